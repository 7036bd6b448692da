#include "block_reading.h"

#include "named_block.h"
#include "wire_document.h"
#include "wire_text.h"

#include <cstring>
#include <vector>

namespace tools {

BlockText ReadBlockText(const std::wstring& name, size_t contractBytes) {
    BlockText result;
    const CustomPipes::NamedBlock block = CustomPipes::NamedBlock::Open(name, CustomPipes::NamedBlock::Access::Read);
    if (!block.IsMapped()) {
        result.problem = L"no block of that name (" + std::wstring(block.FailedCall()) + L": system error " +
                         std::to_wstring(block.Error()) + L")";
        return result;
    }
    if (block.UsableBytes() == 0) {
        result.problem = L"reserved, nothing committed: not read";
        return result;
    }
    if (block.UsableBytes() < contractBytes) {
        result.problem = L"only " + std::to_wstring(block.UsableBytes()) + L" of " + std::to_wstring(contractBytes) +
                         L" bytes can be read (too small or partly reserved): not read";
        return result;
    }
    // The peer may write the block again at any moment: work on a private copy.
    std::vector<wchar_t> copy(contractBytes / sizeof(wchar_t));
    std::memcpy(copy.data(), block.Data(), copy.size() * sizeof(wchar_t));
    const std::wstring_view text = wire::TextUpToNul(copy.data(), copy.size() * sizeof(wchar_t));
    if (text.size() == copy.size()) {
        result.problem = L"no NUL in its first " + std::to_wstring(contractBytes) + L" bytes";
        return result;
    }
    result.wireText = text;
    if (auto document = wire::DocumentOfWireText(result.wireText)) {
        result.document = std::move(*document);
    } else {
        result.problem = L"not wire text (" + std::to_wstring(result.wireText.size()) +
                         L" characters that are not UTF-8 bytes in the ANSI code page)";
    }
    return result;
}

}  // namespace tools
