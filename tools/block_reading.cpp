#include "block_reading.h"

#include "named_block.h"
#include "wire_document.h"
#include "wire_text.h"

namespace tools {

WatchedBlock ReadWatchedBlock(const std::wstring& name, size_t contractBytes) {
    WatchedBlock result;
    CustomPipes::BlockText block = CustomPipes::ReadBlockText(name, contractBytes, CustomPipes::ShortBlock::Refuse);
    if (!block.text) {
        result.problem = block.problem + L": not read";
        return result;
    }
    result.wireText = std::move(*block.text);
    if (auto document = CustomPipes::wire::DocumentOfWireText(result.wireText)) {
        result.document = std::move(*document);
    } else {
        result.problem = L"not wire text (" + std::to_wstring(result.wireText.size()) +
                         L" characters that are not UTF-8 bytes in the ANSI code page)";
    }
    return result;
}

}  // namespace tools
