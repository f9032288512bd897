# tidewell_add_test(NAME name SOURCES ... LIBS ... LABELS ... [THREADS])
# Builds one test executable and registers it with CTest under its labels.
# THREADS also runs it under ThreadSanitizer in scripts/test.
function(tidewell_add_test)
  cmake_parse_arguments(T "THREADS;QT" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(labels ${T_LABELS})
  if(T_THREADS)
    list(APPEND labels threads)
    add_dependencies(threads_tests ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
