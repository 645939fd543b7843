# morvane_add_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS label]
#                  [ENVIRONMENT VAR=value...])
# LABELS takes one label: the discovered tests receive it through
# gtest_discover_tests, whose generated script splits a list apart.
# Builds one GoogleTest executable and registers its tests with CTest (in
# cross builds, the executable as one test).
# GoogleTest is needed only when the tests are built.
if(MORVANE_TESTS)
  include(GoogleTest)
  find_package(GTest REQUIRED)
endif()
find_package(Threads REQUIRED)

function(morvane_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR})
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator (Wine, qemu) each start costs a lot more than a test:
    # the executable runs as one test.
    add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "${T_ENVIRONMENT}")
  else()
    gtest_discover_tests(${T_NAME}
      WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
      PROPERTIES LABELS "${T_LABELS}" ENVIRONMENT "${T_ENVIRONMENT}"
      DISCOVERY_TIMEOUT 60)
  endif()
endfunction()

# morvane_add_dll_check(<target> [IMAGE_IDS <file>])
# Registers the file check of a Windows plug-in DLL: machine type, the DLLs it
# imports, the names it exports, its resources (a PNG for each id of the
# "<id> <file name>" list in <file>, by default plugin/resources/ImageIds.txt)
# and its thread-local-storage callbacks (tests/vst2/check_dll.cmake).
function(morvane_add_dll_check target)
  cmake_parse_arguments(C "" "IMAGE_IDS" "" ${ARGN})
  if(NOT C_IMAGE_IDS)
    set(C_IMAGE_IDS ${PROJECT_SOURCE_DIR}/plugin/resources/ImageIds.txt)
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(machine x86-64)
  else()
    set(machine i386)
  endif()
  add_test(NAME ${target}_dll_file
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DLIBRARY=$<TARGET_FILE:${target}> -DMACHINE=${machine} -DVERSION=${PROJECT_VERSION}
            -DIMAGE_IDS=${C_IMAGE_IDS} -P ${PROJECT_SOURCE_DIR}/tests/vst2/check_dll.cmake)
  set_tests_properties(${target}_dll_file PROPERTIES LABELS vst2)
endfunction()
