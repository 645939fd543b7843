# morvane_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS label])
# LABELS takes one label: the discovered tests receive it through
# gtest_discover_tests, whose generated script splits a list apart.
# Builds one GoogleTest executable and registers its tests with CTest.
# GoogleTest is needed only when the tests are built.
if(MORVANE_TESTS)
  include(GoogleTest)
  find_package(GTest REQUIRED)
endif()
find_package(Threads REQUIRED)

function(morvane_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    PROPERTIES LABELS "${T_LABELS}"
    DISCOVERY_TIMEOUT 60)
endfunction()
