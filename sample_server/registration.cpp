#include "registration.h"

#include "installation_record.h"
#include "protocol.h"
#include "win32.h"

namespace sample_server {

namespace {

using CustomPipes::InstallationRecord;

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

std::wstring_view FileName(std::wstring_view path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

// Who holds the record, as far as its path tells: a copy of this program elsewhere
// (an older build, another unpacked package) or another program altogether.
std::wstring Holder(const std::wstring& exeName, const std::wstring& ownPath) {
    return SamePath(std::wstring(FileName(exeName)), std::wstring(FileName(ownPath)))
               ? L"another copy of the sample server"
               : L"another program (where Varnel is installed, Varnel itself)";
}

const std::wstring kWhere = L"HKEY_CURRENT_USER\\" + std::wstring(CustomPipes::kVarnelKey);

}  // namespace

RecordOutcome RegisterServer(const std::wstring& ownPath, bool force) {
    const InstallationRecord existing = CustomPipes::ReadInstallationRecord();
    const bool foreign = !existing.exeName.empty() && !SamePath(existing.exeName, ownPath);
    if (foreign && !force) {
        return {2, L"Refused: the record in " + kWhere + L" points to \"" + existing.exeName + L"\" (version " +
                       existing.version + L"), " + Holder(existing.exeName, ownPath) +
                       L". Pass --force to replace it with this one."};
    }
    CustomPipes::WriteInstallationRecord(kRecordVersion, ownPath);
    std::wstring message = L"Registered \"" + ownPath + L"\" as version " + kRecordVersion + L" in " + kWhere + L".";
    if (foreign) message += L" It replaces \"" + existing.exeName + L"\" (version " + existing.version + L").";
    return {0, message};
}

RecordOutcome UnregisterServer(const std::wstring& ownPath, bool force) {
    const InstallationRecord existing = CustomPipes::ReadInstallationRecord();
    if (existing.version.empty()) return {0, L"Nothing to remove: there is no record in " + kWhere + L"."};
    if (!existing.exeName.empty() && !SamePath(existing.exeName, ownPath) && !force) {
        return {2, L"Refused: the record in " + kWhere + L" points to \"" + existing.exeName + L"\", " +
                       Holder(existing.exeName, ownPath) + L", not to this program. Pass --force to remove it anyway."};
    }
    CustomPipes::RemoveInstallationRecord(existing.version);
    return {0, L"Removed the record of \"" + existing.exeName + L"\" (version " + existing.version + L") from " + kWhere +
                   L"."};
}

}  // namespace sample_server
