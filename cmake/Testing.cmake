# rc_add_test(NAME SOURCES ... LIBS ... [ENCODER_LOCK] [TIMEOUT seconds])
# One GoogleTest executable registered as one CTest test. Qt runs offscreen and the settings
# folder points into the build tree, so no test touches the user's desktop or settings.
# ENCODER_LOCK: the test starts or ends encoders. Ending an encoder is done by name and reaches
# every encoder on the machine, so such tests never run side by side.
function(rc_add_test name)
  cmake_parse_arguments(T "ENCODER_LOCK" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # Shared test tools and fixtures are included as "tools/...", "transcoder/..." and so on.
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    RC_APPDIR="${RC_APPDIR}/"
    RC_TEST_TOOLS_DIR="${CMAKE_BINARY_DIR}/tests/bin/"
    RC_SOURCE_DIR="${CMAKE_SOURCE_DIR}/")
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/tests/config-home;ASAN_OPTIONS=detect_leaks=0")
  if(T_ENCODER_LOCK)
    set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK encoder)
  endif()
endfunction()
