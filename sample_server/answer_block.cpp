#include "answer_block.h"

#include "program_error.h"
#include "service_catalogue.h"

#include <cstring>

namespace sample_server {

namespace {

const CustomPipes::ServiceEntry& Varnel() { return CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel); }

}  // namespace

AnswerBlock::AnswerBlock()
    : block_(CustomPipes::NamedBlock::CreateWhole(L"The answer block", Varnel().answerBlockName,
                                                  Varnel().answerBlockSize)),
      size_(Varnel().answerBlockSize) {}

void AnswerBlock::Publish(std::wstring_view textWithNul, WPARAM wParam, LPARAM lParam) {
    const size_t bytes = textWithNul.size() * sizeof(wchar_t);
    if (textWithNul.empty() || textWithNul.back() != L'\0' || bytes > size_) {
        throw CustomPipes::ProgramError(L"An answer of " + std::to_wstring(bytes) + L" bytes does not fit the answer block");
    }
    std::memcpy(block_.WritableData(), textWithNul.data(), bytes);
    ::PostMessageW(HWND_BROADCAST, CustomPipes::ServiceMessage(CustomPipes::Service::Varnel,
                                                               CustomPipes::MessageKind::DataReady),
                   wParam, lParam);
}

}  // namespace sample_server
