#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

// Tells where two byte strings first differ, instead of printing whole maps.
inline ::testing::AssertionResult same_bytes(const std::string& actual, const std::string& expected)
{
    const auto [in_actual, in_expected] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (in_actual == actual.end() && in_expected == expected.end()) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << actual.size() << " bytes where " << expected.size()
           << " were expected, first differing at offset " << in_actual - actual.begin();
}
