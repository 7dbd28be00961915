# Cross build for 32-bit Windows with MinGW-w64. Only a 64-bit Wine is
# installed here, so no emulator is set: the tests build but are not run.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(TW_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
