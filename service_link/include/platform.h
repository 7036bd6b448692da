// What this program runs on, and with which rights.
#pragma once

namespace CustomPipes {

// True when the program runs under Wine (its ntdll exports wine_get_version).
bool RunsUnderWine();

// True when this process runs elevated: an elevated process that starts what the current
// user's installation record names starts, elevated, whatever any program of that user
// wrote there. Under Wine every process's token says it is elevated, yet none has more
// rights than the user who runs Wine: false there. A non-empty environment variable
// VARNEL_TREAT_AS_ELEVATED makes it true, so that the tests see an elevated process's
// behaviour where none can be made: it can make a program stricter, never less strict.
bool RunsElevated();

}  // namespace CustomPipes
