// The common ground of the end-to-end tests: no other server runs when a test starts,
// and requests are built exactly as the window builds them.
#pragma once

#include "sample_answer.h"
#include "sample_server_driver.h"
#include "searches.h"

#include <gtest/gtest.h>

class SampleServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(PumpUntil([] { return !sample_server_driver::IsServerRunning(); }, 10000))
            << "another process holds the mutex VARNEL2";
    }

    static sample_answer::Answer Decoded(const std::optional<std::wstring>& answer) {
        EXPECT_TRUE(answer.has_value()) << "no answer came";
        return answer ? sample_answer::Read(*answer) : sample_answer::Answer{};
    }
};

