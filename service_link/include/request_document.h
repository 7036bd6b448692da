// The search request document read back: what a request says, and why a document is
// not one. The client checks a request with the same reader before it sends it, so it
// refuses exactly what a server refuses.
#pragma once

#include <string>
#include <string_view>
#include <variant>

namespace CustomPipes {

// What a request says, element by element, decoded to UTF-16. Missing elements read as
// empty text; values are kept as sent (another client may send what this program never
// writes).
struct RequestDocument {
    std::wstring lang;
    // <Adress>
    bool addressUse = false;
    std::wstring index, subject, district, settlement, city, street, house, full;  // see request_vocabulary.h
    std::wstring autoAnswer;  // "true" or "false" as sent
    std::wstring typesearch;  // "AddressOfOrgan" or "AddressOfObject"
    // <CodeOfCourts>
    bool codeUse = false;
    std::wstring typecode, code;
    // <Names>
    bool namesUse = false;
    std::wstring typeName;  // "NameOfOrgan" or "FamilyOfMan"
    std::wstring name;
};

// Why a document is not a request.
struct RequestDocumentFault {
    enum class Kind {
        Malformed,  // not well-formed XML
        Refused,    // well-formed, but with a DOCTYPE, an entity declaration or another root than <ParamsForVarnel>
    };
    Kind kind;
    std::wstring reason;  // the parser's words, or ours for a refusal
    unsigned long line;   // counted from 1
};

// Reads a request document from its bytes (the request text converted to the ANSI code
// page, which gives the UTF-8 document its declaration announces; the declaration
// decides the encoding).
std::variant<RequestDocument, RequestDocumentFault> ReadRequestDocument(std::string_view documentBytes);

// The same, a fault raised as ProgramError: "Request refused: <reason> (line N)" or
// "The request is not well-formed XML: <reason> (line N)", as a server logs it.
RequestDocument ParseRequestDocument(std::string_view documentBytes);

// The client's check before it sends: a document ReadRequestDocument faults raises
// ProgramError with the reason, CR LF, "Line: " and the line number, CR LF, and the
// first 40 characters of that line of the document.
void CheckRequestDocument(std::string_view documentBytes);

}  // namespace CustomPipes
