// The text of the error an action raises, for tests that compare it.
#pragma once

#include "program_error.h"

#include <string>

// The CustomPipes::ProgramError text that action raised; whenNone when it raised none.
template <class Action>
std::wstring ErrorTextOf(Action&& action, std::wstring whenNone = L"(no error)") {
    try {
        action();
    } catch (const CustomPipes::ProgramError& e) {
        return e.Text();
    }
    return whenNone;
}
