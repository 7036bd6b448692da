// Reading a block another program made, as an onlooker: never written, never trusted.
#pragma once

#include <cstddef>
#include <string>

namespace tools {

struct WatchedBlock {
    std::wstring wireText;  // the characters up to the NUL
    std::string document;   // the UTF-8 document they carry
    std::wstring problem;   // why the block cannot be shown, in a few words; empty when it can
};

// Opens the block read-only and takes its text. A block that is missing, with fewer
// than contractBytes that may be read (smaller than the contract, or reserved and not
// committed), without NUL in those bytes, or whose text is not wire text, gives a problem.
WatchedBlock ReadWatchedBlock(const std::wstring& name, size_t contractBytes);

}  // namespace tools
