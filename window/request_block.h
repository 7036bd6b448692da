// The request block: the window's named shared-memory block that Varnel reads the
// request from, named after the main window's handle.
#pragma once

#include "named_block.h"
#include "win32.h"

#include <string>
#include <string_view>

class RequestBlock {
public:
    RequestBlock() = default;

    // Creates (or opens, when it exists) the block of 16384 bytes named after window and
    // maps all of it writable. A failure is not raised here but kept: Write reports it.
    static RequestBlock CreateFor(HWND window);

    bool IsMapped() const noexcept { return failure_.empty(); }

    // Copies request, whose last character is its terminating NUL, to byte 0; the
    // bytes after the NUL keep what they held. Raises ProgramError, writing nothing,
    // when the request has more than 8191 characters before the NUL or when there is
    // no block.
    void Write(std::wstring_view request);

private:
    CustomPipes::NamedBlock block_;
    std::wstring failure_ = L"There is no request block, so no request can be sent";
};
