#include "court_answer.h"

#include "blocks.h"
#include "program_error.h"
#include "service_catalogue.h"
#include "wire_text.h"

#include <iterator>

namespace bench {

namespace {

constexpr const wchar_t* kCourtNames[] = {
    L"Ленинский районный суд города Владимира",
    L"Октябрьский районный суд города Владимира",
    L"Фрунзенский районный суд города Владимира",
    L"Владимирский областной суд",
    L"Мировой судья судебного участка № 4 Ленинского района",
};

std::wstring CourtEntry(int number) {
    const std::wstring n = std::to_wstring(number);
    return L"  <court>\r\n"
           L"    <name>" + std::wstring(kCourtNames[number % std::size(kCourtNames)]) + L"</name>\r\n"
           L"    <code>33RS000" + n + L"</code>\r\n"
           L"    <address>600005, Владимирская область, город Владимир, улица Стрелецкая, дом " + n +
           L"</address>\r\n"
           L"    <judge>Председатель суда: Смирнова Екатерина Андреевна</judge>\r\n"
           L"    <phone>(4922) 35-25-" + n + L", приёмная, канцелярия по гражданским делам</phone>\r\n"
           L"  </court>\r\n";
}

}  // namespace

std::wstring FullCourtAnswer() {
    const size_t capacity = CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel).answerBlockSize / 2 - 1;
    const std::wstring closing = L"</AnswerFromVarnel>\r\n";
    const size_t commentFrame = std::wstring(L"  <!--  -->\r\n").size();

    std::wstring text = CustomPipes::wire::EncodeValue(L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<AnswerFromVarnel>\r\n");
    for (int number = 1;; ++number) {
        const std::wstring entry = CustomPipes::wire::EncodeValue(CourtEntry(number));
        if (text.size() + entry.size() + commentFrame + closing.size() > capacity) break;
        text += entry;
    }
    // The rest of the block, to its last character, is a comment.
    const size_t fill = capacity - text.size() - closing.size() - commentFrame;
    text += L"  <!-- " + std::wstring(fill, L'.') + L" -->\r\n" + closing;
    return text;
}

CustomPipes::NamedBlock CreateCourtAnswerBlock(const std::wstring& text) {
    const CustomPipes::ServiceEntry& court = CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel);
    CustomPipes::NamedBlock block = CustomPipes::NamedBlock::Create(court.answerBlockName, court.answerBlockSize);
    if (!block.IsMapped()) {
        throw CustomPipes::ProgramError(L"The court answer block could not be made (" + std::wstring(block.FailedCall()) +
                           L" failed with error " + std::to_wstring(block.Error()) + L")");
    }
    PutText(block, text);
    return block;
}

}  // namespace bench
