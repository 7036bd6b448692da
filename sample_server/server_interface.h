// What other processes may rely on besides the protocol itself: the hand-over of a
// second start, and the control identifiers of the server's window (for tests and
// for automation that plays the person at the window).
#pragma once

#include "win32.h"

namespace sample_server {

// WM_COPYDATA dwData of a second start: lpData holds the arguments of its command
// line as UTF-16 (without NUL), which the running server acts on as its own.
constexpr ULONG_PTR kHandOverArguments = 0x56524E31;  // "VRN1"

// Children of the "TfrmMainRudoz" window.
constexpr int kLogListId = 101;      // list box: the log of requests and answers
constexpr int kMatchesListId = 102;  // list box: the bodies found, waiting for a choice
constexpr int kSendChosenId = 103;   // button "Отправить выбранное"
constexpr int kStatusId = 104;       // static text: what the matches list shows

}  // namespace sample_server
