// The request block of a client: its named shared-memory block that Varnel reads the
// request from, named after the client's top-level window.
#pragma once

#include "named_block.h"
#include "win32.h"

#include <string>
#include <string_view>

namespace CustomPipes {

class RequestBlock {
public:
    RequestBlock() = default;

    // Creates the block of 16384 bytes named after window and maps all of it writable.
    // A block of that name that exists already was made by another program (window
    // handles can be guessed), with its security and its handle: it is not used. A
    // failure is not raised here but kept: Write reports it.
    static RequestBlock CreateFor(HWND window);

    bool IsMapped() const noexcept { return failure_.empty(); }

    // Another program made a block of the window's name first: a client that can make
    // a new window tries again with it.
    bool TakenByAnother() const noexcept { return taken_; }

    // Raises ProgramError naming both lengths when request (ending with its NUL) has
    // more than 8191 characters before the NUL.
    static void CheckFits(std::wstring_view request);

    // Why there is no block; empty when there is one.
    const std::wstring& Failure() const noexcept { return failure_; }

    // Copies request, whose last character is its terminating NUL, to byte 0; the
    // bytes after the NUL keep what they held. Raises ProgramError, writing nothing,
    // when the request does not fit (CheckFits) or when there is no block.
    void Write(std::wstring_view request);

private:
    NamedBlock block_;
    bool taken_ = false;
    std::wstring failure_ = L"There is no request block, so no request can be sent";
};

}  // namespace CustomPipes
