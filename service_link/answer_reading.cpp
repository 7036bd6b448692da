// Copying a service's answer out of its answer block.
#include "CustomPipes.h"

#include "named_block.h"
#include "wire_text.h"

#include <algorithm>
#include <vector>

namespace CustomPipes {

std::optional<std::wstring> ReadAnswer(UINT dataReadyMessage) {
    const ServiceEntry* entry = FindAnswerBlockByDataReady(dataReadyMessage);
    if (!entry) return std::nullopt;

    // Any process may have made the block, smaller than the catalogue says or with
    // pages reserved but never committed: read only what may be touched.
    const NamedBlock block = NamedBlock::Open(entry->answerBlockName, NamedBlock::Access::Read);
    const size_t count = std::min<size_t>(entry->answerBlockSize, block.UsableBytes());
    if (count < sizeof(wchar_t)) return std::nullopt;

    // The service may write the block again at any time; work on a private copy.
    std::vector<wchar_t> copy(count / sizeof(wchar_t));
    std::copy_n(static_cast<const char*>(block.Data()), copy.size() * sizeof(wchar_t),
                reinterpret_cast<char*>(copy.data()));
    return std::wstring(wire::TextUpToNul(copy.data(), copy.size() * sizeof(wchar_t)));
}

bool ReadServiceAnswer(const MSG& message, bool& handled, std::wstring& text) {
    std::optional<std::wstring> answer = ReadAnswer(message.message);
    if (!answer) return false;
    text = std::move(*answer);
    handled = true;
    return true;
}

}  // namespace CustomPipes
