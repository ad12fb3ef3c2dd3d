# Registers a GoogleTest program with CTest as one test per test suite (each instantiation
# of a parameterised suite is one). Every process of the program reads all its tables and
# scenes before it runs a case, so a process per case spent most of `make test` starting.
#
# Included: sheenwork_add_test_suites(TARGET [TIMEOUT SECONDS] [ENVIRONMENT VAR=VALUE]).
# Run as a script after each build of the program: writes the CTest lines of the suites
# the program lists.

if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND "${PROGRAM}" --gtest_list_tests
    OUTPUT_VARIABLE listing RESULT_VARIABLE failed TIMEOUT 60)
  if(NOT failed STREQUAL "0")
    message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed: ${failed}")
  endif()
  # A suite's line is the one line of its block that is not indented: "Suite." or
  # "Suite.  # TypeParam = ..." (a name has no blanks, which the lines gtest_main prints
  # before the listing have).
  string(REGEX MATCHALL "\n[^ \n]+\\.(  #|\n)" suites "\n${listing}")
  set(lines "")
  foreach(suite IN LISTS suites)
    string(STRIP "${suite}" suite)
    string(REGEX REPLACE "\\.(  #)?$" "" suite "${suite}")
    string(APPEND lines
      "add_test([=[${suite}]=] [=[${PROGRAM}]=] --gtest_brief=1 [=[--gtest_filter=${suite}.*]=])\n"
      "set_tests_properties([=[${suite}]=] PROPERTIES TIMEOUT ${TIMEOUT}"
      " ENVIRONMENT [=[${ENVIRONMENT}]=])\n")
  endforeach()
  file(WRITE "${OUTPUT}" "${lines}")
  return()
endif()

set(SHEENWORK_TEST_SUITES_SCRIPT "${CMAKE_CURRENT_LIST_FILE}")

function(sheenwork_add_test_suites target)
  cmake_parse_arguments(arg "" "TIMEOUT;ENVIRONMENT" "" ${ARGN})
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 1500)
  endif()
  set(listed "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND "${CMAKE_COMMAND}" "-DPROGRAM=$<TARGET_FILE:${target}>" "-DOUTPUT=${listed}"
      "-DTIMEOUT=${arg_TIMEOUT}" "-DENVIRONMENT=${arg_ENVIRONMENT}"
      -P "${SHEENWORK_TEST_SUITES_SCRIPT}"
    VERBATIM)
  # Until the program is built there is nothing to list: CTest then reports one failing
  # test that says so.
  set(loader "${CMAKE_CURRENT_BINARY_DIR}/${target}_suites_load.cmake")
  file(WRITE "${loader}"
    "if(EXISTS [=[${listed}]=])\n"
    "  include([=[${listed}]=])\n"
    "else()\n"
    "  add_test([=[${target}_NOT_BUILT]=] [=[${target}_NOT_BUILT]=])\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${loader}")
endfunction()
