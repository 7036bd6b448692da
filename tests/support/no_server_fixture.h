// Tests that start with no sample server running and no installation record, and leave
// none behind; and tests that start with the sample server registered as Varnel (not
// running), and likewise leave nothing behind.
#pragma once

#include "registry_fixture.h"
#include "sample_server_driver.h"

#include <gtest/gtest.h>

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
