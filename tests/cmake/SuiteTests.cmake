# Run by ctest (through TEST_INCLUDE_FILES) when it starts: lists the test
# program's cases and registers one ctest test per suite, run as one process
# with --gtest_filter=Suite.*. A suite's cases share a process, so each
# program must pass both ways: a case alone, and every case in one process.
#
# Set by the file that includes this one: TEST_EXECUTABLE, TEST_PREFIX,
# TEST_TIMEOUT, TEST_ENVIRONMENT, TEST_ENVIRONMENT_MODIFICATION.
if(NOT EXISTS "${TEST_EXECUTABLE}")
  add_test("${TEST_PREFIX}NOT_BUILT" "${TEST_EXECUTABLE}")
  return()
endif()
execute_process(COMMAND "${TEST_EXECUTABLE}" --gtest_list_tests
                OUTPUT_VARIABLE listing ERROR_VARIABLE listing_error RESULT_VARIABLE listed
                TIMEOUT 60)
if(NOT listed EQUAL 0)
  # The failure shows as a failing test, not as a silently smaller run.
  add_test("${TEST_PREFIX}LISTING_FAILED" "${TEST_EXECUTABLE}" --gtest_list_tests)
  set_tests_properties("${TEST_PREFIX}LISTING_FAILED" PROPERTIES TIMEOUT 60)
  return()
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(count 0)
foreach(line IN LISTS lines)
  # Suite lines start in column 0 and end with a dot (parameterised suites
  # carry a "  # TypeParam = ..." comment after it); case lines are indented.
  if(line MATCHES "^([^ #][^ ]*)\\.( |$)")
    set(suite "${CMAKE_MATCH_1}")
    set(name "${TEST_PREFIX}${suite}")
    add_test("${name}" "${TEST_EXECUTABLE}" "--gtest_filter=${suite}.*")
    set_tests_properties("${name}" PROPERTIES
                         TIMEOUT "${TEST_TIMEOUT}"
                         ENVIRONMENT "${TEST_ENVIRONMENT}"
                         ENVIRONMENT_MODIFICATION "${TEST_ENVIRONMENT_MODIFICATION}"
                         # A filter that matches no case must not pass.
                         FAIL_REGULAR_EXPRESSION "\\] 0 tests from 0 test suites ran")
    math(EXPR count "${count} + 1")
  endif()
endforeach()
if(count EQUAL 0)
  add_test("${TEST_PREFIX}NO_SUITES" "${TEST_EXECUTABLE}" --gtest_list_tests)
  set_tests_properties("${TEST_PREFIX}NO_SUITES" PROPERTIES WILL_FAIL TRUE)
endif()
