# tw_output_at_build_root(TARGET): puts the target's program at the top of
# the build folder, also with multi-config generators (Visual Studio), which
# would otherwise add the configuration's name to the path. The program,
# its text files and the test-only probe then sit side by side.
function(tw_output_at_build_root target)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  foreach(config ${CMAKE_CONFIGURATION_TYPES})
    string(TOUPPER ${config} config_upper)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY_${config_upper} ${CMAKE_BINARY_DIR})
  endforeach()
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)  # wWinMain / wmain
  endif()
endfunction()
