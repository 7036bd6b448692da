#include "search_request.h"

#include "program_error.h"
#include "wire_text.h"
#include "xml_check.h"

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

    std::wstring Finish() {
        // Converted to the ANSI code page the text is the UTF-8 document that its
        // declaration announces; that is what the peer parses, so that is what is checked.
        CheckWellFormed(wire::ToAnsiBytes(text_, codePage_));
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

std::wstring BuildSearchRequest(const SearchFields& f, UINT codePage) {
    size_t valueBytes = 0;
    for (const std::wstring* value : {&f.ComboBox1, &f.Edit1, &f.Edit2, &f.Edit3, &f.Edit4, &f.Edit5, &f.Edit6,
                                      &f.Edit7, &f.Edit8}) {
        valueBytes += wire::Utf8Length(*value);
    }
    RequestWriter w(codePage, valueBytes);
    w.Line(L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>");
    w.Line(L"<ParamsForVarnel>");
    w.Line(L"  <Locality>");
    w.Element(L"lang", L"На каком языке искать", f.ComboBox1);
    w.Line(L"  </Locality>");
    w.Line(L"  <Adress>");
    w.Line(YesNo(f.RadioButton4));
    w.Line(L"    <dest>court</dest>");
    w.Element(L"index", L"Индекс", f.Edit6);
    w.Element(L"subj", L"Субъект", f.Edit1);
    w.Element(L"Rayon", L"Район", f.Edit2);
    w.Element(L"NP", L"Населенный пункт", f.Edit4);
    w.Element(L"city", L"Город", f.Edit3);
    w.Element(L"Street", L"Улица", f.Edit5);
    w.Line(L"    <house></house>");
    w.Line(L"    <Full></Full>");
    w.Line(f.RadioGroup1 == 0 ? L"    <AUTO_ANSWER>true</AUTO_ANSWER>" : L"    <AUTO_ANSWER>false</AUTO_ANSWER>");
    if (f.RadioGroup2 == 0) w.Line(L"    <typesearch>AddressOfOrgan</typesearch>");
    if (f.RadioGroup2 == 1) w.Line(L"    <typesearch>AddressOfObject</typesearch>");
    w.Line(L"  </Adress>");
    w.Line(L"  <CodeOfCourts>");
    w.Line(YesNo(f.RadioButton6));
    w.Line(L"    <typecode>code_court</typecode>");
    w.Element(L"code", L"Код суда", f.Edit7);
    w.Line(L"  </CodeOfCourts>");
    w.Line(L"  <Names>");
    w.Line(YesNo(f.RadioButton5));
    if (f.RadioGroup3 == 0) w.Line(L"    <typename>NameOfOrgan</typename>");
    if (f.RadioGroup3 == 1) w.Line(L"    <typename>FamilyOfMan</typename>");
    w.Element(L"name", L"Наименование / Фамилия", f.Edit8);
    w.Line(L"  </Names>");
    w.Line(L"</ParamsForVarnel>");
    return w.Finish();
}
