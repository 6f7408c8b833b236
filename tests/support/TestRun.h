#pragma once
// Runs every test and tells CTest how the run went through the exit code: a run in which tests
// skipped (GTEST_SKIP, e.g. no mount namespace here) and none failed is reported as skipped,
// not passed; a failure stays a failure however many tests skipped.

#include <gtest/gtest.h>

inline int RunAllTestsReportingSkips()
{
    const int result = RUN_ALL_TESTS();
    if (result == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0)
        return TESSALUNE_SKIPPED_RUN;
    return result;
}
