// Varnel's server installation record in HKEY_CURRENT_USER: where client programs find
// Varnel's executable. Varnel (or the sample server's --register) writes it; clients
// only read it.
#pragma once

#include <string>

namespace CustomPipes {

struct InstallationRecord {
    bool found = false;    // the record's key exists
    std::wstring version;  // "CurrentVersion"; empty when missing
    std::wstring exeName;  // "ExeName" below that version's settings; empty when missing
};

// "Software\Orbisan\Varnel\<version>\settings", the key that holds "ExeName".
std::wstring SettingsKeyPath(const std::wstring& version);

// Reads the record. A missing key, value or data reads as empty; a string value is
// taken as stored, up to its first NUL and unexpanded. A value of any other type that
// holds data raises ProgramError "Invalid data type for '<name>'".
InstallationRecord ReadInstallationRecord();

// Writes "ExeName" below version's settings, then "CurrentVersion" = version.
// Raises ProgramError naming the key or value that could not be written.
void WriteInstallationRecord(const std::wstring& version, const std::wstring& exeName);

// Removes version's key with everything below it and "CurrentVersion", then the
// record's key itself once nothing else is left in it. Raises ProgramError naming what
// could not be removed.
void RemoveInstallationRecord(const std::wstring& version);

// Varnel's executable path from the record, as stored; empty when the record is
// missing. A value of a non-string type raises ProgramError ("Invalid data type for
// 'ExeName'").
std::wstring LookUpServerExecutable();

// Why the record names nothing to start, in words: no record, no "ExeName" in it, or
// the path it names and that no file is there.
std::wstring DescribeMissingServer(const InstallationRecord& record);

}  // namespace CustomPipes
