# Cross build for 32-bit Windows with MinGW-w64. The tests run under Wine
# when its 32-bit half is installed (Debian: wine32:i386, whose loader is
# /usr/lib/wine/wine); without it they build but are not run.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TW_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

find_program(TW_WINE wine)
if(TW_WINE AND EXISTS /usr/lib/wine/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TW_WINE})
endif()
