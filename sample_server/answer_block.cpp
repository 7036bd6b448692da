#include "answer_block.h"

#include "program_error.h"
#include "service_catalogue.h"

#include <cstring>

namespace sample_server {

namespace {

const CustomPipes::ServiceEntry& Varnel() { return CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel); }

}  // namespace

AnswerBlock::AnswerBlock() : size_(Varnel().answerBlockSize) {
    mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size_),
                                        Varnel().answerBlockName));
    if (!mapping_) {
        throw ProgramError(L"The answer block \"" + std::wstring(Varnel().answerBlockName) +
                           L"\" could not be created (system error " + std::to_wstring(::GetLastError()) + L")");
    }
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, 0));
    MEMORY_BASIC_INFORMATION info{};
    if (!view_ || ::VirtualQuery(view_.get(), &info, sizeof info) == 0 || info.RegionSize < size_) {
        throw ProgramError(L"The answer block \"" + std::wstring(Varnel().answerBlockName) +
                           L"\" could not be mapped at its full size");
    }
}

void AnswerBlock::Publish(std::wstring_view textWithNul, WPARAM wParam, LPARAM lParam) {
    const size_t bytes = textWithNul.size() * sizeof(wchar_t);
    if (textWithNul.empty() || textWithNul.back() != L'\0' || bytes > size_) {
        throw ProgramError(L"An answer of " + std::to_wstring(bytes) + L" bytes does not fit the answer block");
    }
    std::memcpy(view_.get(), textWithNul.data(), bytes);
    ::PostMessageW(HWND_BROADCAST, CustomPipes::ServiceMessage(CustomPipes::Service::Varnel,
                                                               CustomPipes::MessageKind::DataReady),
                   wParam, lParam);
}

}  // namespace sample_server
