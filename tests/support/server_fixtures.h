// The states of Varnel that tests start from: no sample server running and no
// installation record, left so behind; the sample server registered as Varnel and not
// running, likewise; and the sample server's own tests, which wait until no other
// server runs and build requests exactly as the window builds them.
#pragma once

#include "registry_fixture.h"
#include "sample_answer.h"
#include "sample_server_driver.h"
#include "searches.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

class NoServerAndNoRecord : public ::testing::Test {
protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }

private:
    static void Clear() {
        sample_server_driver::StopEveryServer();
        DeleteServerRecord();
    }
};

#ifdef VARNEL_SAMPLE_SERVER_EXE
class SampleServerRegistered : public ::testing::Test {
protected:
    void SetUp() override {
        sample_server_driver::StopEveryServer();
        WriteServerRecord(sample_server_driver::ServerPath());
    }
    // The record goes too: a test that registers the server expects to find none.
    void TearDown() override {
        sample_server_driver::StopEveryServer();
        DeleteServerRecord();
    }
};
#endif

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

