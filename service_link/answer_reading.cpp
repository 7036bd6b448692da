// Copying a service's answer out of its answer block.
#include "CustomPipes.h"

#include "named_block.h"
#include "wire_text.h"

#include <algorithm>
#include <vector>

namespace CustomPipes {

bool ReadServiceAnswer(const MSG& message, bool& handled, std::wstring& text) {
    const ServiceEntry* entry = FindAnswerBlockByDataReady(message.message);
    if (!entry) return false;

    // Any process may have made the block, smaller than the catalogue says or with
    // pages reserved but never committed: read only what may be touched.
    const NamedBlock block = NamedBlock::Open(entry->answerBlockName, NamedBlock::Access::Read);
    const size_t count = std::min<size_t>(entry->answerBlockSize, block.UsableBytes());
    if (count < sizeof(wchar_t)) return false;

    // The service may write the block again at any time; work on a private copy.
    std::vector<wchar_t> copy(count / sizeof(wchar_t));
    std::copy_n(static_cast<const char*>(block.Data()), copy.size() * sizeof(wchar_t),
                reinterpret_cast<char*>(copy.data()));
    text.assign(wire::TextUpToNul(copy.data(), copy.size() * sizeof(wchar_t)));
    handled = true;
    return true;
}

}  // namespace CustomPipes
