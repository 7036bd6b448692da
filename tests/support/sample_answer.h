// Reading the sample server's answer document in a test: an independent reader of the
// format README.md documents, so a test checks the document, not the server's writer.
#pragma once

#include "wire_text.h"
#include "xml_parser.h"

#include <map>
#include <string>
#include <vector>

namespace sample_answer {

struct Body {
    std::wstring code, name, kind, address, phone;
    std::vector<std::wstring> judges;
};

struct Answer {
    bool wellFormed = false;
    std::wstring error;                          // the parser's reason when not well-formed
    std::wstring root;                           // name of the root element
    std::map<std::wstring, std::wstring> search;  // <Search> children: by, requested, name, code, city, ...
    std::wstring mode;                           // "auto" or "chosen"
    long found = -1;
    std::vector<Body> bodies;
    bool truncated = false;
    long truncatedSent = -1, truncatedFound = -1;

    // A <Search> child's text, empty when the answer has none.
    std::wstring Echo(const std::wstring& name) const {
        const auto at = search.find(name);
        return at == search.end() ? std::wstring() : at->second;
    }
};

namespace detail {

struct Reader {
    Answer answer;
    std::vector<std::string> path;
    std::string text;

    static void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attributes) {
        auto& r = *static_cast<Reader*>(data);
        if (r.path.empty()) r.answer.root = CustomPipes::wire::DecodeUtf8(name);
        r.path.emplace_back(name);
        r.text.clear();
        if (r.path.size() == 2 && r.path[1] == "Body") r.answer.bodies.emplace_back();
        if (r.path.size() == 2 && r.path[1] == "Truncated") {
            r.answer.truncated = true;
            for (const XML_Char** a = attributes; *a; a += 2) {
                if (std::string(a[0]) == "sent") r.answer.truncatedSent = std::stol(a[1]);
                if (std::string(a[0]) == "found") r.answer.truncatedFound = std::stol(a[1]);
            }
        }
    }

    static void XMLCALL End(void* data, const XML_Char*) {
        auto& r = *static_cast<Reader*>(data);
        const std::wstring value = CustomPipes::wire::DecodeUtf8(r.text);
        const std::string& name = r.path.back();
        if (r.path.size() == 3 && r.path[1] == "Search") r.answer.search[CustomPipes::wire::DecodeUtf8(name)] = value;
        if (r.path.size() == 2 && name == "mode") r.answer.mode = value;
        if (r.path.size() == 2 && name == "found") r.answer.found = std::stol(r.text);
        if (r.path.size() == 3 && r.path[1] == "Body") {
            Body& body = r.answer.bodies.back();
            if (name == "code") body.code = value;
            if (name == "name") body.name = value;
            if (name == "kind") body.kind = value;
            if (name == "address") body.address = value;
            if (name == "phone") body.phone = value;
            if (name == "judge") body.judges.push_back(value);
        }
        r.path.pop_back();
        r.text.clear();
    }

    static void XMLCALL Text(void* data, const XML_Char* s, int length) {
        static_cast<Reader*>(data)->text.append(s, static_cast<size_t>(length));
    }
};

}  // namespace detail

// Parses the answer from its wire text: converted to the ANSI code page it is the
// UTF-8 document its declaration names.
inline Answer Read(std::wstring_view wireText) {
    const std::string bytes = CustomPipes::wire::ToAnsiBytes(wireText);
    const CustomPipes::UniqueXmlParser parser = CustomPipes::CreateXmlParser();
    detail::Reader reader;
    XML_SetUserData(parser.get(), &reader);
    XML_SetElementHandler(parser.get(), &detail::Reader::Start, &detail::Reader::End);
    XML_SetCharacterDataHandler(parser.get(), &detail::Reader::Text);
    if (XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE) == XML_STATUS_OK) {
        reader.answer.wellFormed = true;
    } else {
        reader.answer.error = CustomPipes::wire::DecodeUtf8(XML_ErrorString(XML_GetErrorCode(parser.get())));
    }
    return reader.answer;
}

}  // namespace sample_answer
