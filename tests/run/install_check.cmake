# Installs the build into a fresh prefix and checks that both programs are
# there and run. Called by ctest with BUILD_DIR and PREFIX.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(program genera_scenario scenario-tool)
  set(path "${PREFIX}/bin/${program}")
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "${path} was not installed")
  endif()
  execute_process(COMMAND "${path}" --version RESULT_VARIABLE result OUTPUT_VARIABLE out)
  if(NOT result EQUAL 0 OR NOT out MATCHES "^${program} [0-9]")
    message(FATAL_ERROR "${path} --version: status ${result}, output '${out}'")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
