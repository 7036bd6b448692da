// --register and --unregister: the server writes or removes Varnel's installation
// record so that client programs find and start it.
#pragma once

#include <string>

namespace sample_server {

// The version the server registers itself as; a key name below the record's key.
constexpr const wchar_t* kRecordVersion = L"1.0";

// The result of a record mode: the process exit code and what to print.
struct RecordOutcome {
    int exitCode = 0;  // 0 done, 1 failed, 2 refused
    std::wstring message;
};

// Writes the record pointing at ownPath. A record that points at another executable
// is left alone unless force is set: on a real machine it belongs to the real Varnel.
RecordOutcome RegisterServer(const std::wstring& ownPath, bool force);

// Removes the record when it points at ownPath (or at nothing); a record of another
// executable is left alone unless force is set.
RecordOutcome UnregisterServer(const std::wstring& ownPath, bool force);

}  // namespace sample_server
