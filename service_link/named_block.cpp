#include "named_block.h"

#include "program_error.h"
#include "system_error.h"
#include "wire_text.h"

#include <algorithm>
#include <vector>

namespace CustomPipes {

namespace {

bool IsAccessible(DWORD protect, bool needWrite) {
    constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (protect == 0 || (protect & (PAGE_GUARD | PAGE_NOACCESS))) return false;
    return !needWrite || (protect & kWritable) != 0;
}

size_t CommittedBytesFrom(const void* start, bool needWrite) noexcept {
    const auto* base = static_cast<const char*>(start);
    const char* at = base;
    const void* allocation = nullptr;
    MEMORY_BASIC_INFORMATION region{};
    // The pages of one view may lie in several regions (committed in parts): count them
    // up to the first that is not committed or not accessible, or that lies beyond the view.
    while (base && ::VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (at == base) allocation = region.AllocationBase;
        if (region.AllocationBase != allocation || region.State != MEM_COMMIT) break;
        if (!IsAccessible(region.Protect, needWrite)) break;
        at = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return static_cast<size_t>(at - base);
}

}  // namespace

NamedBlock NamedBlock::Open(const std::wstring& name, Access access) {
    NamedBlock block;
    block.access_ = access;
    const DWORD desired = access == Access::Write ? FILE_MAP_WRITE : FILE_MAP_READ;
    block.mapping_.reset(::OpenFileMappingW(desired, FALSE, name.c_str()));
    if (!block.mapping_) {
        block.error_ = ::GetLastError();
        block.failedCall_ = L"OpenFileMapping";
        return block;
    }
    block.Map(desired, 0);
    return block;
}

NamedBlock NamedBlock::Create(const std::wstring& name, uint32_t size, DWORD protection,
                              SECURITY_ATTRIBUTES* security) {
    NamedBlock block;
    block.access_ = Access::Write;
    block.mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, security, protection, 0, size, name.c_str()));
    if (!block.mapping_) {
        block.error_ = ::GetLastError();
        block.failedCall_ = L"CreateFileMapping";
        return block;
    }
    block.existed_ = ::GetLastError() == ERROR_ALREADY_EXISTS;
    // A block of that name that existed is used as it is; one smaller than size cannot
    // be mapped at size.
    block.Map(FILE_MAP_WRITE, size);
    return block;
}

void NamedBlock::Map(DWORD desiredAccess, size_t bytes) {
    view_.reset(::MapViewOfFile(mapping_.get(), desiredAccess, 0, 0, bytes));
    if (!view_) {
        error_ = ::GetLastError();
        failedCall_ = L"MapViewOfFile";
        return;
    }
    usable_ = CommittedBytesFrom(view_.get(), access_ == Access::Write);
    // A view asked for at its size may lie in a region rounded up to whole pages.
    if (bytes != 0 && usable_ > bytes) usable_ = bytes;
}

NamedBlock NamedBlock::CreateWhole(const std::wstring& what, const std::wstring& name, uint32_t size,
                                   SECURITY_ATTRIBUTES* security) {
    NamedBlock block = Create(name, size, PAGE_READWRITE, security);
    const std::wstring named = what + L" \"" + name + L"\"";
    if (!block.IsMapped()) {
        throw ProgramError(SystemErrorText(named + L" could not be made (" + block.FailedCall() + L")", block.Error()));
    }
    // Another program made a block of this name first, with pages reserved but not
    // committed, or not writable: writing there would be an access violation.
    if (block.UsableBytes() < size) {
        throw ProgramError(named + L" has only " + std::to_wstring(block.UsableBytes()) + L" of its " +
                           std::to_wstring(size) + L" bytes committed and writable");
    }
    return block;
}

BlockText TextOfBlock(const void* data, size_t usableBytes, size_t contractBytes, ShortBlock rule) {
    if (usableBytes == 0) return {std::nullopt, L"reserved, with nothing committed"};
    if (rule == ShortBlock::Refuse && usableBytes < contractBytes) {
        return {std::nullopt, L"only " + std::to_wstring(usableBytes) + L" of its " + std::to_wstring(contractBytes) +
                                  L" bytes can be read (too small, or partly reserved)"};
    }
    const size_t characters = std::min(usableBytes, contractBytes) / sizeof(wchar_t);
    if (characters == 0) return {std::nullopt, L"less than one character can be read"};
    // The owner may write the block again at any moment: work on a private copy.
    std::vector<wchar_t> copy(characters);
    std::copy_n(static_cast<const char*>(data), characters * sizeof(wchar_t), reinterpret_cast<char*>(copy.data()));
    const std::wstring_view text = wire::TextUpToNul(copy.data(), characters * sizeof(wchar_t));
    if (rule == ShortBlock::Refuse && text.size() == characters) {
        return {std::nullopt, L"no NUL in its first " + std::to_wstring(contractBytes) + L" bytes"};
    }
    return {std::wstring(text), {}};
}

BlockText ReadBlockText(const std::wstring& name, size_t contractBytes, ShortBlock rule) {
    const NamedBlock block = NamedBlock::Open(name, NamedBlock::Access::Read);
    if (!block.IsMapped()) {
        return {std::nullopt, SystemErrorText(L"no block of that name (" + std::wstring(block.FailedCall()) + L")",
                                              block.Error())};
    }
    return TextOfBlock(block.Data(), block.UsableBytes(), contractBytes, rule);
}

}  // namespace CustomPipes
