// The server installation record in HKEY_CURRENT_USER, written by --register and
// removed by --unregister, so that the demo finds and starts this server.
#pragma once

#include <string>

namespace sample_server {

// The version the server registers itself as; a key name below the record's key.
constexpr const wchar_t* kRecordVersion = L"1.0";

struct InstallationRecord {
    std::wstring version;  // "CurrentVersion"; empty when missing
    std::wstring exeName;  // "ExeName" below that version; empty when missing
};

// Raises ProgramError when a value exists with another type than a string.
InstallationRecord ReadInstallationRecord();

// The result of a record mode: the process exit code and what to print.
struct RecordOutcome {
    int exitCode = 0;  // 0 done, 1 failed, 2 refused
    std::wstring message;
};

// Writes the record pointing at ownPath. A record that points at another executable
// is left alone unless force is set: on a real machine it belongs to the real service.
RecordOutcome RegisterServer(const std::wstring& ownPath, bool force);

// Removes the record when it points at ownPath (or at nothing); a record of another
// executable is left alone unless force is set.
RecordOutcome UnregisterServer(const std::wstring& ownPath, bool force);

}  // namespace sample_server
