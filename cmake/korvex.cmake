# korvex_add_test(NAME SOURCES... LIBS ...): one GoogleTest executable registered with CTest.
function(korvex_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main korvex_warnings)
  if(CMAKE_CROSSCOMPILING)
    # One CTest entry per program: each start of the emulator costs more than the cases.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
include(GoogleTest)

# A GoogleTest executable with its own main (a QApplication), run offscreen.
function(korvex_add_qt_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest korvex_warnings)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
