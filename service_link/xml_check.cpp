#include "xml_check.h"

#include "program_error.h"
#include "wire_text.h"
#include "xml_parser.h"

#include <string>

namespace {

// Line `number` (from 1) of the document, with the same line ends as expat counts.
std::string_view SourceLine(std::string_view document, unsigned long number) {
    size_t start = 0;
    for (unsigned long line = 1; line < number && start < document.size(); ++line) {
        const size_t end = document.find_first_of("\r\n", start);
        if (end == std::string_view::npos) return {};
        start = end + (document.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    const size_t end = document.find_first_of("\r\n", start);
    return document.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The first `count` characters, never splitting a surrogate pair.
std::wstring FirstCharacters(const std::wstring& text, size_t count) {
    size_t units = 0;
    for (size_t chars = 0; chars < count && units < text.size(); ++chars) {
        units += (text[units] >= 0xD800 && text[units] <= 0xDBFF && units + 1 < text.size()) ? 2 : 1;
    }
    return text.substr(0, units);
}

}  // namespace

namespace CustomPipes {

UniqueXmlParser CreateXmlParser(const char* encoding) {
    UniqueXmlParser parser(XML_ParserCreate(encoding));
    if (!parser) throw ProgramError(L"The XML parser could not be created (out of memory)");
    return parser;
}

}  // namespace CustomPipes

void CheckWellFormed(std::string_view document) {
    const CustomPipes::UniqueXmlParser parser = CustomPipes::CreateXmlParser();

    if (XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), XML_TRUE) == XML_STATUS_OK) {
        return;
    }
    const unsigned long line = XML_GetCurrentLineNumber(parser.get());
    const std::wstring reason = wire::DecodeUtf8(XML_ErrorString(XML_GetErrorCode(parser.get())));
    const std::wstring source = wire::DecodeUtf8(SourceLine(document, line));
    throw ProgramError(reason + L"\r\nLine: " + std::to_wstring(line) + L"\r\n" + FirstCharacters(source, 40));
}
