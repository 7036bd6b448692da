// The in-process figures: the search request against expat alone, and the reading and
// decoding of a full court answer against what the contract makes any reader do.
#include "micro.h"

#include "CustomPipes.h"
#include "handles.h"
#include "court_answer.h"
#include "search_request.h"
#include "timing.h"
#include "wire_text.h"
#include "request_document.h"
#include "xml_parser.h"

#include <cstring>
#include <cwchar>
#include <string_view>
#include <vector>
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

void RequestFigure(const char* name, const CustomPipes::SearchRequest& fields, bool withParts) {
    const std::wstring request = BuildSearchRequest(fields);
    // The checked bytes: the request without its NUL, in the ANSI code page.
    const std::string bytes = CustomPipes::wire::ToAnsiBytes(std::wstring_view(request).substr(0, request.size() - 1));
    if (!ParseAlone(bytes)) throw std::runtime_error("the request is not well-formed");

    size_t sink = 0;
    const Comparison c = CompareWithFloor(Timed([&] { sink += BuildSearchRequest(fields).size(); }),
                                          Timed([&] { sink += ParseAlone(bytes); }), kWarmUps, kRepetitions);
    if (sink == 0) throw std::runtime_error("nothing was built");
    PrintFigure(name, "expat alone", c, kRepetitions, 1.5);
    if (!withParts) return;

    // Where the time goes: the request's own steps, each timed alone against the floor.
    const std::vector<const std::wstring*> values = {&fields.language, &fields.address.subject, &fields.address.district, &fields.address.city,
                                                     &fields.address.settlement,     &fields.address.street, &fields.address.index, &fields.code,
                                                     &fields.name};
    const Comparison encoding = CompareWithFloor(Timed([&] {
                                                     std::wstring text;
                                                     for (const std::wstring* value : values) {
                                                         CustomPipes::wire::AppendValue(*value, CP_ACP, text);
                                                     }
                                                     sink += text.size();
                                                 }),
                                                 Timed([&] { sink += ParseAlone(bytes); }), kWarmUps, kRepetitions);
    const Comparison check = CompareWithFloor(Timed([&] { CustomPipes::CheckRequestDocument(bytes); }),
                                              Timed([&] { sink += ParseAlone(bytes); }), kWarmUps, kRepetitions);
    const Comparison converting = CompareWithFloor(Timed([&] { sink += CustomPipes::wire::ToAnsiBytes(request).size(); }),
                                                   Timed([&] { sink += ParseAlone(bytes); }), kWarmUps, kRepetitions);
    const Comparison utf8Only = CompareWithFloor(Timed([&] {
                                                     for (const std::wstring* value : values) {
                                                         sink += CustomPipes::wire::ToUtf8(*value).size();
                                                     }
                                                 }),
                                                 Timed([&] { sink += ParseAlone(bytes); }), kWarmUps, kRepetitions);
    PrintFigure("- of which: the values in wire form (AppendValue)", "expat alone", encoding, kRepetitions, 0);
    PrintFigure("- - of that, at most: the values to UTF-8 alone (ToUtf8)", "expat alone", utf8Only, kRepetitions, 0);
    PrintFigure("- of which: the whole text to the ANSI code page (ToAnsiBytes)", "expat alone", converting,
                kRepetitions, 0);
    PrintFigure("- of which: the check of the document (CheckRequestDocument)", "expat alone", check, kRepetitions, 0);
}

// The floor of reading an answer: what the contract makes every reader do for each
// data-ready message, in the plainest code. The block is opened, mapped, copied,
// unmapped and closed; copy, when given, receives its bytes. Returns whether it mapped.
bool MapPlainly(const std::wstring& name, size_t size, std::vector<wchar_t>* copy) {
    const CustomPipes::UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    if (!mapping) return false;
    const CustomPipes::UniqueMapView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, size));
    if (!view) return false;
    if (copy) {
        copy->resize(size / sizeof(wchar_t));
        std::memcpy(copy->data(), view.get(), size);
    }
    return true;
}

// The wire rules' conversions on the whole text at once: to the ANSI code page, whose
// bytes are the UTF-8 of the answer, then from UTF-8. Under the single-byte code page
// the wire needs, the bytes number the characters, and UTF-8 never makes more UTF-16
// units than it has bytes: one call each.
std::wstring ConvertPlainly(std::wstring_view text) {
    const int length = static_cast<int>(text.size());
    std::string bytes(text.size(), '\0');
    const int byteCount = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), length, nullptr, nullptr);
    std::wstring decoded(static_cast<size_t>(byteCount), L'\0');
    decoded.resize(static_cast<size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), byteCount, decoded.data(), byteCount)));
    return decoded;
}

std::wstring ReadPlainly(const std::wstring& name, size_t size) {
    std::vector<wchar_t> copy;
    if (!MapPlainly(name, size, &copy)) return {};
    return ConvertPlainly(std::wstring_view(copy.data(), ::wcsnlen(copy.data(), copy.size())));
}

}  // namespace

void RunRequestFigures() {
    RequestFigure("Search request, default fields", CustomPipes::SearchRequest{}, false);

    CustomPipes::SearchRequest full;
    for (std::wstring* field : {&full.address.subject, &full.address.district, &full.address.city, &full.address.settlement, &full.address.street, &full.address.index,
                                &full.code, &full.name}) {
        *field = Cyrillic(1000);
    }
    RequestFigure("Search request, 8 fields of 1000 Cyrillic characters", full, true);
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
        return CustomPipes::wire::DecodeLinesJoined(text);
    };
    const std::vector<std::wstring> lines = CustomPipes::wire::DecodeLines(answer);
    if (readAndDecode().size() < answer.size() / 2) throw std::runtime_error("the court answer was not read back");
    if (lines.size() < 250 || lines.front().find(L"<?xml") != 0 || lines[3].find(L"районный суд") == std::wstring::npos) {
        throw std::runtime_error("the court answer was not read back");
    }
    const std::wstring plain = ReadPlainly(court.answerBlockName, court.answerBlockSize);
    if (plain.find(lines[3]) == std::wstring::npos) throw std::runtime_error("the plain reading did not decode the answer");

    size_t sink = 0;
    // Both read the block anew each time, as each data-ready message makes a reader do.
    const auto floor = Timed([&] { sink += ReadPlainly(court.answerBlockName, court.answerBlockSize).size(); });
    constexpr int kAnswerRepetitions = 1001;
    const Comparison whole =
        CompareWithFloor(Timed([&] { sink += readAndDecode().size(); }), floor, 50, kAnswerRepetitions);
    const Comparison reading = CompareWithFloor(Timed([&] {
                                                    bool handled = false;
                                                    std::wstring text;
                                                    CustomPipes::ReadServiceAnswer(dataReady, handled, text);
                                                    sink += text.size();
                                                }),
                                                floor, 50, kAnswerRepetitions);
    const Comparison calls = CompareWithFloor(
        Timed([&] {
            sink += CustomPipes::NamedBlock::Open(court.answerBlockName, CustomPipes::NamedBlock::Access::Read).IsMapped();
        }),
        Timed([&] { sink += MapPlainly(court.answerBlockName, court.answerBlockSize, nullptr); }), 50, kAnswerRepetitions);
    const Comparison decoding = CompareWithFloor(Timed([&] { sink += CustomPipes::wire::DecodeLinesJoined(answer).size(); }),
                                                 Timed([&] { sink += ConvertPlainly(answer).size(); }), 50,
                                                 kAnswerRepetitions);
    if (sink == 0) throw std::runtime_error("nothing was read");

    constexpr const char* kFloor = "open, map, copy, unmap, close, to ANSI, from UTF-8";
    char name[128];
    std::snprintf(name, sizeof name, "Court answer of %zu lines, 65536 bytes, read and decoded into the memo's text",
                  lines.size());
    PrintFigure(name, kFloor, whole, kAnswerRepetitions, 2.0);
    PrintFigure("- of which: reading the block (ReadServiceAnswer)", kFloor, reading, kAnswerRepetitions, 0);
    PrintFigure("- - of that: NamedBlock::Open and its end, no page touched", "the same four calls plainly", calls,
                kAnswerRepetitions, 0);
    PrintFigure("- of which: decoding the text into the memo's text (DecodeLinesJoined)",
                "the whole text to ANSI and from UTF-8", decoding, kAnswerRepetitions, 0);
}

}  // namespace bench
