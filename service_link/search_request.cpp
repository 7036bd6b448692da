#include "search_request.h"

#include "program_error.h"
#include "request_document.h"
#include "request_vocabulary.h"
#include "wire_text.h"

namespace CustomPipes {

namespace {

class RequestWriter {
public:
    // valueBytes: the UTF-8 bytes of all values together, each a wire character. The
    // text is allocated once and no larger than it will be: under Wine a fresh large
    // block costs more than filling it.
    RequestWriter(UINT codePage, size_t valueBytes) : codePage_(codePage) { text_.reserve(kMarkup + valueBytes); }

    void Line(std::wstring_view line) {
        text_ += line;
        text_ += L"\r\n";
    }

    // A value travels unescaped, exactly as typed, in its wire form.
    // caption: the field's caption on page 1, for the error texts.
    void Element(std::wstring_view tag, std::wstring_view caption, std::wstring_view value) {
        if (const auto at = wire::FindLoneSurrogate(value)) {
            throw ProgramError(L"«" + std::wstring(caption) + L"»: the text holds a lone UTF-16 surrogate at character " +
                               std::to_wstring(*at + 1) + L" and cannot be sent");
        }
        text_ += L"    <";
        text_ += tag;
        text_ += L'>';
        try {
            wire::AppendValue(value, codePage_, text_);
        } catch (const ProgramError& e) {
            throw ProgramError(L"«" + std::wstring(caption) + L"»: " + e.Text());
        }
        text_ += L"</";
        text_ += tag;
        text_ += L">\r\n";
    }

    // A word of the document's vocabulary, not a value: "    <tag>word</tag>".
    void Word(std::wstring_view tag, std::wstring_view word) {
        text_ += L"    <";
        text_ += tag;
        text_ += L'>';
        text_ += word;
        text_ += L"</";
        text_ += tag;
        text_ += L">\r\n";
    }

    std::wstring Finish() {
        // Converted to the ANSI code page the text is the UTF-8 document that its
        // declaration announces; that is what the peer parses, so that is what is checked.
        CheckRequestDocument(wire::ToAnsiBytes(text_, codePage_));
        text_ += L'\0';
        return std::move(text_);
    }

private:
    static constexpr size_t kMarkup = 1280;  // the 30 lines without their values, and the NUL

    UINT codePage_;
    std::wstring text_;
};

const wchar_t* YesNo(bool yes) { return yes ? L"    <use>yes</use>" : L"    <use>no</use>"; }

}  // namespace

std::wstring BuildSearchRequest(const SearchRequest& s, UINT codePage) {
    using By = SearchRequest::By;
    const SearchRequest::Address& a = s.address;
    size_t valueBytes = 0;
    for (const std::wstring* value : {&s.language, &a.subject, &a.district, &a.city, &a.settlement, &a.street,
                                      &a.index, &s.code, &s.name}) {
        valueBytes += wire::Utf8Length(*value);
    }
    RequestWriter w(codePage, valueBytes);
    w.Line(L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>");
    w.Line(L"<ParamsForVarnel>");
    w.Line(L"  <Locality>");
    w.Element(L"lang", L"На каком языке искать", s.language);
    w.Line(L"  </Locality>");
    w.Line(L"  <Adress>");
    w.Line(YesNo(s.by == By::Address));
    w.Line(L"    <dest>court</dest>");
    w.Element(request_words::kIndex, L"Индекс", a.index);
    w.Element(request_words::kSubject, L"Субъект", a.subject);
    w.Element(request_words::kDistrict, L"Район", a.district);
    w.Element(request_words::kSettlement, L"Населенный пункт", a.settlement);
    w.Element(request_words::kCity, L"Город", a.city);
    w.Element(request_words::kStreet, L"Улица", a.street);
    w.Line(L"    <house></house>");
    w.Line(L"    <Full></Full>");
    w.Line(s.answer == SearchRequest::Answer::Automatic ? L"    <AUTO_ANSWER>true</AUTO_ANSWER>"
                                                        : L"    <AUTO_ANSWER>false</AUTO_ANSWER>");
    w.Word(L"typesearch", s.addressOf == SearchRequest::AddressOf::Body ? request_words::kAddressOfBody
                                                                         : request_words::kAddressOfDefendant);
    w.Line(L"  </Adress>");
    w.Line(L"  <CodeOfCourts>");
    w.Line(YesNo(s.by == By::Code));
    w.Line(L"    <typecode>code_court</typecode>");
    w.Element(L"code", L"Код суда", s.code);
    w.Line(L"  </CodeOfCourts>");
    w.Line(L"  <Names>");
    w.Line(YesNo(s.by == By::Name));
    w.Word(L"typename", s.nameOf == SearchRequest::NameOf::Body ? request_words::kNameOfBody
                                                                 : request_words::kOfficialSurname);
    w.Element(L"name", L"Наименование / Фамилия", s.name);
    w.Line(L"  </Names>");
    w.Line(L"</ParamsForVarnel>");
    return w.Finish();
}

}  // namespace CustomPipes
