// The request block: the window's named shared-memory block that Varnel reads the
// request from, named after the main window's handle.
#pragma once

#include "handles.h"
#include "win32.h"

#include <string>
#include <string_view>

// The handle's 32-bit value as unsigned decimal digits: the name of the block, and what
// the request notice carries in lParam.
std::wstring RequestBlockName(HWND window);

class RequestBlock {
public:
    RequestBlock() = default;

    // Creates (or opens, when it exists) the paging-file-backed block of 16384 bytes
    // and maps all of it writable. A failure is not raised here but kept: Write
    // reports it.
    static RequestBlock CreateFor(HWND window);

    bool IsMapped() const noexcept { return view_ != nullptr; }

    // Copies request, whose last character is its terminating NUL, to byte 0; the
    // bytes after the NUL keep what they held. Raises ProgramError, writing nothing,
    // when the request has more than 8191 characters before the NUL or when there is
    // no block.
    void Write(std::wstring_view request);

private:
    UniqueHandle mapping_;
    UniqueMapView view_;
    std::wstring failure_;  // why there is no block
};
