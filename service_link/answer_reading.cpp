// Copying a service's answer out of its answer block.
#include "answer_reading.h"

#include "named_block.h"
#include "service_catalogue.h"

namespace CustomPipes {

std::optional<std::wstring> ReadAnswer(UINT dataReadyMessage) {
    const ServiceEntry* entry = FindAnswerBlockByDataReady(dataReadyMessage);
    if (!entry) return std::nullopt;
    // Any process may have made the block, smaller than the catalogue says or with
    // pages reserved but never committed: only what may be touched is read.
    return ReadBlockText(entry->answerBlockName, entry->answerBlockSize, ShortBlock::ReadWhatIsThere).text;
}

bool ReadServiceAnswer(const MSG& message, bool& handled, std::wstring& text) {
    std::optional<std::wstring> answer = ReadAnswer(message.message);
    if (!answer) return false;
    text = std::move(*answer);
    handled = true;
    return true;
}

}  // namespace CustomPipes
