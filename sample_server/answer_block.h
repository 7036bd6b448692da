// The server's answer block "Varnel2" and the data-ready notice.
#pragma once

#include "named_block.h"
#include "win32.h"

#include <string_view>

namespace sample_server {

// Created once and kept while the server runs, so a client can read the latest answer
// whenever its data-ready message arrives.
class AnswerBlock {
public:
    // Raises CustomPipes::ProgramError when the block cannot be created or is smaller than the
    // catalogue's size (another program made one of that name).
    AnswerBlock();

    // Writes text (wire text ending with its NUL) at the start of the block and posts
    // the data-ready message to all top-level windows with wParam and lParam.
    // Text that does not fit raises CustomPipes::ProgramError and nothing is written.
    void Publish(std::wstring_view textWithNul, WPARAM wParam, LPARAM lParam);

private:
    CustomPipes::NamedBlock block_;
    size_t size_ = 0;
};

}  // namespace sample_server
