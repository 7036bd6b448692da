// What the window tests share: the program under test, the session's Varnel state and
// the service messages as a peer registers them.
#pragma once

#include "blocks.h"
#include "gui_driver.h"
#include "protocol.h"
#include "registry_fixture.h"

#include <gtest/gtest.h>

#include <string>

using gui::DemoPath;
using gui::kTitle;

// A message identifier as every process of the session gets it.
inline UINT Registered(const wchar_t* name) { return ::RegisterWindowMessageW(name); }
