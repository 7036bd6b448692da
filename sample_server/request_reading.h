// Reading a client's request block: the named file mapping that a request notice
// points to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sample_server {

// Either the request text (up to its NUL) or why there is none.
struct RequestReading {
    bool ok = false;
    std::wstring text;     // wire text, without the NUL
    std::wstring problem;  // for the log when not ok
};

// The request in the first usableBytes bytes of a block: the text up to the first NUL
// of the first 16384 bytes. A block with fewer usable bytes than that, or without a
// NUL in them, holds no request the server will act on.
RequestReading RequestTextOf(const void* data, size_t usableBytes);

// Opens the block named by the client's window handle (lParam of the request notice)
// read-only, learns how much of it may be read, and reads the request from it.
RequestReading ReadRequestBlock(uint32_t clientWindow);

}  // namespace sample_server
