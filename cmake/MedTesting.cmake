# med_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [TIMEOUT s])
# One Qt Test executable per unit, registered with CTest and run offscreen with a fixed locale.
function(med_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;MED_SOURCE_DIR=${PROJECT_SOURCE_DIR};MED_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()
