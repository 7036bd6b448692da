#include "answer_document.h"

#include "program_error.h"
#include "request_vocabulary.h"
#include "service_catalogue.h"
#include "wire_text.h"

namespace sample_server {

namespace {

// Never splits a surrogate pair.
std::wstring CutForEcho(std::wstring_view value) {
    if (value.size() <= kMaxEchoCharacters) return std::wstring(value);
    size_t end = kMaxEchoCharacters;
    if (value[end - 1] >= 0xD800 && value[end - 1] <= 0xDBFF) --end;
    return std::wstring(value.substr(0, end)) + L"\u2026";
}

class AnswerWriter {
public:
    explicit AnswerWriter(UINT codePage) : codePage_(codePage) {}

    void Line(std::wstring_view line) {
        text_ += line;
        text_ += L"\r\n";
    }

    void Element(std::wstring_view indent, std::wstring_view tag, std::wstring_view value) {
        text_ += indent;
        text_ += L'<';
        text_ += tag;
        text_ += L'>';
        text_ += EscapeXml(value);
        text_ += L"</";
        text_ += tag;
        text_ += L">\r\n";
    }

    // The text so far in wire form; the writer starts afresh.
    std::wstring Take() {
        // A switch's value comes straight from the command line and may hold any UTF-16.
        while (const auto at = CustomPipes::wire::FindLoneSurrogate(text_)) text_[*at] = L'\uFFFD';
        std::wstring wire = CustomPipes::wire::EncodeValue(text_, codePage_);
        text_.clear();
        return wire;
    }

private:
    UINT codePage_;
    std::wstring text_;
};

std::wstring SearchEcho(const Search& search, AnswerMode mode, size_t found, UINT codePage) {
    AnswerWriter w(codePage);
    w.Line(L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>");
    w.Line(L"<VarnelAnswer>");
    w.Line(L"  <Search>");
    w.Element(L"    ", L"by", SearchKindWord(search.kind));
    if (search.requested != search.kind) w.Element(L"    ", L"requested", SearchKindWord(search.requested));
    if (search.kind == SearchKind::Address) {
        w.Element(L"    ", L"typesearch", CutForEcho(search.typesearch));
        namespace words = CustomPipes::request_words;
        w.Element(L"    ", words::kIndex, CutForEcho(search.address.index));
        w.Element(L"    ", words::kSubject, CutForEcho(search.address.subject));
        w.Element(L"    ", words::kDistrict, CutForEcho(search.address.district));
        w.Element(L"    ", words::kSettlement, CutForEcho(search.address.settlement));
        w.Element(L"    ", words::kCity, CutForEcho(search.address.city));
        w.Element(L"    ", words::kStreet, CutForEcho(search.address.street));
    }
    if (search.kind == SearchKind::Name || search.kind == SearchKind::Surname) {
        w.Element(L"    ", L"name", CutForEcho(search.text));
    }
    if (search.kind == SearchKind::Code) w.Element(L"    ", L"code", CutForEcho(search.text));
    w.Line(L"  </Search>");
    w.Element(L"  ", L"mode", mode == AnswerMode::Auto ? L"auto" : L"chosen");
    w.Element(L"  ", L"found", std::to_wstring(found));
    return w.Take();
}

std::wstring BodyElement(const Match& match, UINT codePage) {
    const Body& body = *match.body;
    AnswerWriter w(codePage);
    w.Line(L"  <Body>");
    w.Element(L"    ", L"code", body.code);
    w.Element(L"    ", L"name", body.name);
    w.Element(L"    ", L"kind", body.kind);
    w.Element(L"    ", L"address", FormatAddress(body.address));
    w.Element(L"    ", L"phone", body.phone);
    for (const std::wstring& judge : match.judges) w.Element(L"    ", L"judge", judge);
    w.Line(L"  </Body>");
    return w.Take();
}

std::wstring TruncatedMarker(size_t sent, size_t found) {
    return L"  <Truncated sent=\"" + std::to_wstring(sent) + L"\" found=\"" + std::to_wstring(found) + L"\" />\r\n";
}

constexpr std::wstring_view kEnd = L"</VarnelAnswer>\r\n";

}  // namespace

size_t MaxAnswerCharacters() {
    return CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel).answerBlockSize / sizeof(wchar_t) - 1;
}

std::wstring EscapeXml(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            // A value stays on its line, and XML 1.0 allows no other control character
            // (a switch's value can hold any).
            case L'\t':
            case L'\r':
            case L'\n': out += L' '; break;
            default: out += (c < 0x20 || c == 0xFFFE || c == 0xFFFF) ? L'\uFFFD' : c;
        }
    }
    return out;
}

WrittenAnswer WriteAnswer(const Search& search, AnswerMode mode, size_t found, std::span<const Match> sent,
                          size_t maxCharacters, UINT codePage) {
    WrittenAnswer answer;
    answer.text = SearchEcho(search, mode, found, codePage);
    // The marker's numbers are at most those of the full count, so this is its largest size.
    const size_t markerRoom = TruncatedMarker(sent.size(), found).size();
    if (answer.text.size() + markerRoom + kEnd.size() > maxCharacters) {
        throw CustomPipes::ProgramError(L"The answer block is too small for even an empty answer");
    }
    for (size_t i = 0; i < sent.size(); ++i) {
        const std::wstring body = BodyElement(sent[i], codePage);
        const bool last = i + 1 == sent.size();
        const size_t after = answer.text.size() + body.size() + kEnd.size();
        // The last body needs no room for the marker; any other must leave it.
        if (after > maxCharacters || (!last && after + markerRoom > maxCharacters)) {
            answer.truncated = true;
            break;
        }
        answer.text += body;
        ++answer.bodiesWritten;
    }
    if (answer.truncated) answer.text += TruncatedMarker(answer.bodiesWritten, found);
    answer.text += kEnd;
    answer.text += L'\0';
    return answer;
}

}  // namespace sample_server
