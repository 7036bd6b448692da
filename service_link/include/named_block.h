// A named shared-memory block (a file mapping backed by the paging file) mapped into
// this process, and how much of it may be touched.
#pragma once

#include "handles.h"
#include "win32.h"

#include <cstddef>
#include <cstdint>
#include <optional>
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

    // Creates the block as Create does and makes sure all size bytes may be written.
    // Raises ProgramError naming what (a person's word for the block, "The request
    // block") and name when it cannot be made or another program made it first with
    // fewer bytes committed and writable.
    static NamedBlock CreateWhole(const std::wstring& what, const std::wstring& name, uint32_t size,
                                  SECURITY_ATTRIBUTES* security = nullptr);

    bool IsMapped() const noexcept { return view_ != nullptr; }
    // Create found a block of the name already there, made by this or another program.
    bool Existed() const noexcept { return existed_; }
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
    bool existed_ = false;
    DWORD error_ = 0;
    const wchar_t* failedCall_ = L"";
};

// What a reader does with a block that has fewer bytes that may be read than the
// contract's size, or no NUL in them.
enum class ShortBlock {
    ReadWhatIsThere,  // a client reading an answer: what is committed, up to the NUL or its end
    Refuse,           // a server reading a request, an onlooker reporting it: not read
};

// The wire text of a block, copied out (its owner may write it again at any moment),
// or why there is none, in a few words.
struct BlockText {
    std::optional<std::wstring> text;  // the characters up to the first NUL
    std::wstring problem;              // when there is no text
};

// The text in the first usableBytes bytes at data, of a block of contractBytes.
BlockText TextOfBlock(const void* data, size_t usableBytes, size_t contractBytes, ShortBlock rule);

// Opens the named block read-only and reads its text by rule. A block that cannot be
// opened, or with nothing committed, has no text.
BlockText ReadBlockText(const std::wstring& name, size_t contractBytes, ShortBlock rule);

}  // namespace CustomPipes
