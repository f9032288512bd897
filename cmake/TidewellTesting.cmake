# Every test runs through tests/support/hermetic-run, which gives it a HOME, XDG folders and
# TMPDIR of its own under the build tree, removed afterwards, and draws windows off screen.
set(TIDEWELL_HERMETIC_RUN ${PROJECT_SOURCE_DIR}/tests/support/hermetic-run)
set(TIDEWELL_TEST_SCRATCH ${PROJECT_BINARY_DIR}/test-scratch)

# tidewell_register_test(NAME COMMAND...): the CTest entry for one test command.
function(tidewell_register_test name)
  add_test(NAME ${name} COMMAND sh ${TIDEWELL_HERMETIC_RUN} ${TIDEWELL_TEST_SCRATCH} ${ARGN})
endfunction()

# tidewell_add_test(NAME name SOURCES ... LIBS ... LABELS ... [THREADS])
# Builds one test executable and registers it with CTest under its labels.
# THREADS also runs it under ThreadSanitizer in scripts/test.
function(tidewell_add_test)
  cmake_parse_arguments(T "THREADS" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  tidewell_register_test(${T_NAME} $<TARGET_FILE:${T_NAME}>)
  set(labels ${T_LABELS})
  if(T_THREADS)
    list(APPEND labels threads)
    add_dependencies(threads_tests ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT})
endfunction()
