// A named shared-memory block (a file mapping backed by the paging file) mapped into
// this process, and how much of it may be touched.
#pragma once

#include "handles.h"
#include "win32.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace CustomPipes {

class NamedBlock {
public:
    enum class Access { Read, Write };

    NamedBlock() = default;

    // Opens the block another process made, and maps all of it. Empty (IsMapped false,
    // Error set) when no block has that name or it cannot be mapped.
    static NamedBlock Open(const std::wstring& name, Access access);

    // Creates the block with size bytes, or opens the one of that name that exists (as
    // it is, whatever its size), and maps size bytes of it writable. protection is
    // CreateFileMapping's; tests pass SEC_RESERVE to make a block as a careless peer might.
    // security: who may open it (null: the process's default).
    static NamedBlock Create(const std::wstring& name, uint32_t size, DWORD protection = PAGE_READWRITE,
                             SECURITY_ATTRIBUTES* security = nullptr);

    bool IsMapped() const noexcept { return view_ != nullptr; }
    const void* Data() const noexcept { return view_.get(); }
    void* WritableData() const noexcept { return access_ == Access::Write ? view_.get() : nullptr; }
    HANDLE Mapping() const noexcept { return mapping_.get(); }

    // The bytes from the start of the view that may be read (and, for Access::Write,
    // written): committed pages of the view, up to the first page that is not. Another
    // program may have made the block smaller than the contract says, or reserved it
    // without committing it; touching such a page is an access violation on Windows.
    size_t UsableBytes() const noexcept { return usable_; }

    // Why the block is not mapped: the system error of the failed call, and its name.
    DWORD Error() const noexcept { return error_; }
    const wchar_t* FailedCall() const noexcept { return failedCall_; }

private:
    void Map(DWORD desiredAccess, size_t bytes);

    UniqueHandle mapping_;
    UniqueMapView view_;
    Access access_ = Access::Read;
    size_t usable_ = 0;
    DWORD error_ = 0;
    const wchar_t* failedCall_ = L"";
};

}  // namespace CustomPipes
