// Reading a client's search request document.
#pragma once

#include <string>
#include <string_view>

namespace sample_server {

// What a request says, element by element, decoded to UTF-16. Missing elements read
// as empty text.
struct ParsedRequest {
    std::wstring lang;
    // <Adress>
    bool addressUse = false;
    std::wstring index, subj, rayon, np, city, street, house, full;
    std::wstring autoAnswer;  // "true" or "false" as sent; anything but "false" answers at once
    std::wstring typesearch;  // "AddressOfOrgan" or "AddressOfObject"
    // <CodeOfCourts>
    bool codeUse = false;
    std::wstring typecode, code;
    // <Names>
    bool namesUse = false;
    std::wstring typeName;  // "NameOfOrgan" or "FamilyOfMan"
    std::wstring name;
};

// Parses the request document from its bytes (the request text converted to the ANSI
// code page, which gives the UTF-8 document its declaration announces). A document
// that is not well-formed, has another root than <ParamsForVarnel>, or carries a
// DOCTYPE or entity declaration raises ProgramError naming the reason and line.
ParsedRequest ParseRequestDocument(std::string_view documentBytes);

}  // namespace sample_server
