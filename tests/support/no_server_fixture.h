// Tests that start with no sample server running and no installation record, and leave
// none behind.
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
