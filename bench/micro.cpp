// The in-process figures: the search request against expat alone, and the reading and
// decoding of a full court answer against a copy and one code-page conversion.
#include "micro.h"

#include "CustomPipes.h"
#include "court_answer.h"
#include "search_request.h"
#include "timing.h"
#include "wire_text.h"
#include "xml_parser.h"

#include <cstring>
#include <stdexcept>

namespace bench {

namespace {

constexpr int kWarmUps = 200;
constexpr int kRepetitions = 3001;

// Expat alone on the bytes that the request check hands it: the floor of building a
// request, whose own work is the text around that check.
bool ParseAlone(const std::string& bytes) {
    const CustomPipes::UniqueXmlParser parser = CustomPipes::CreateXmlParser();
    return XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK;
}

std::wstring Cyrillic(size_t length) {
    const std::wstring alphabet = L"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
    std::wstring text;
    for (size_t i = 0; i < length; ++i) text += alphabet[i % alphabet.size()];
    return text;
}

void RequestFigure(const char* name, const SearchFields& fields) {
    const std::wstring request = BuildSearchRequest(fields);
    // The checked bytes: the request without its NUL, in the ANSI code page.
    const std::string bytes = wire::ToAnsiBytes(std::wstring_view(request).substr(0, request.size() - 1));
    if (!ParseAlone(bytes)) throw std::runtime_error("the request is not well-formed");

    size_t sink = 0;
    const Comparison c = CompareWithFloor(Timed([&] { sink += BuildSearchRequest(fields).size(); }),
                                          Timed([&] { sink += ParseAlone(bytes); }), kWarmUps, kRepetitions);
    if (sink == 0) throw std::runtime_error("nothing was built");
    PrintFigure(name, "expat alone", c, kRepetitions, 1.5);
}

}  // namespace

void RunRequestFigures() {
    RequestFigure("Search request, default fields", SearchFields{});

    SearchFields full;
    for (std::wstring* field : {&full.Edit1, &full.Edit2, &full.Edit3, &full.Edit4, &full.Edit5, &full.Edit6,
                                &full.Edit7, &full.Edit8}) {
        *field = Cyrillic(1000);
    }
    RequestFigure("Search request, 8 fields of 1000 Cyrillic characters", full);
}

void RunAnswerFigures() {
    CustomPipes::RegisterServiceMessages();
    const std::wstring answer = FullCourtAnswer();
    const CustomPipes::NamedBlock block = CreateCourtAnswerBlock(answer);
    const CustomPipes::ServiceEntry& court = CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel);

    MSG dataReady{};
    dataReady.message = CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady);

    // What the answer view does with a data-ready message, up to the memo's text.
    const auto readAndDecode = [&] {
        bool handled = false;
        std::wstring text;
        CustomPipes::ReadServiceAnswer(dataReady, handled, text);
        return wire::DecodeLinesJoined(text);
    };
    const std::vector<std::wstring> lines = wire::DecodeLines(answer);
    if (readAndDecode().size() < answer.size() / 2) throw std::runtime_error("the court answer was not read back");
    if (lines.size() < 250 || lines.front().find(L"<?xml") != 0 || lines[3].find(L"районный суд") == std::wstring::npos) {
        throw std::runtime_error("the court answer was not read back");
    }

    // The floor: the same bytes copied out of the mapped block, and one conversion of
    // the whole text to the ANSI code page.
    std::vector<char> copy(court.answerBlockSize);
    std::string ansi(answer.size(), '\0');
    const auto copyAndConvert = [&] {
        std::memcpy(copy.data(), block.Data(), copy.size());
        const auto* chars = reinterpret_cast<const wchar_t*>(copy.data());
        return ::WideCharToMultiByte(CP_ACP, 0, chars, static_cast<int>(answer.size()), ansi.data(),
                                     static_cast<int>(ansi.size()), nullptr, nullptr);
    };

    // The block's own system calls, which the protocol makes anew for every answer.
    const auto openAndClose = [&] {
        return CustomPipes::NamedBlock::Open(court.answerBlockName, CustomPipes::NamedBlock::Access::Read).IsMapped();
    };

    size_t sink = 0;
    constexpr int kAnswerRepetitions = 1001;
    const Comparison whole = CompareWithFloor(Timed([&] { sink += readAndDecode().size(); }),
                                              Timed([&] { sink += copyAndConvert(); }), 50, kAnswerRepetitions);
    const Comparison reading = CompareWithFloor(Timed([&] {
                                                    bool handled = false;
                                                    std::wstring text;
                                                    CustomPipes::ReadServiceAnswer(dataReady, handled, text);
                                                    sink += text.size();
                                                }),
                                                Timed([&] { sink += copyAndConvert(); }), 50, kAnswerRepetitions);
    const Comparison calls = CompareWithFloor(Timed([&] { sink += openAndClose(); }),
                                              Timed([&] { sink += copyAndConvert(); }), 50, kAnswerRepetitions);
    const Comparison decoding = CompareWithFloor(Timed([&] { sink += wire::DecodeLinesJoined(answer).size(); }),
                                                 Timed([&] { sink += copyAndConvert(); }), 50, kAnswerRepetitions);
    if (sink == 0) throw std::runtime_error("nothing was read");

    char name[128];
    std::snprintf(name, sizeof name, "Court answer of %zu lines, 65536 bytes, read and decoded into the memo's text",
                  lines.size());
    PrintFigure(name, "copy + one conversion", whole, kAnswerRepetitions, 2.0);
    PrintFigure("- of which: reading the block (ReadServiceAnswer)", "copy + one conversion", reading,
                kAnswerRepetitions, 0);
    PrintFigure("- - of that: open, map, unmap and close alone, no page touched", "copy + one conversion", calls,
                kAnswerRepetitions, 0);
    PrintFigure("- of which: decoding the text into the memo's text", "copy + one conversion", decoding, kAnswerRepetitions, 0);
}

}  // namespace bench
