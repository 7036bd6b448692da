// A search, as the request document states it, and the request text made of it.
#pragma once

#include "win32.h"

#include <string>

namespace CustomPipes {

// What a search asks Varnel for. The defaults are the demo window's page 1 at start.
struct SearchRequest {
    // Which of the document's three sections says <use>yes</use>.
    enum class By { Address, Name, Code };
    // <typesearch>: the address is the body's own (AddressOfOrgan) or a defendant's,
    // whose court is wanted (AddressOfObject).
    enum class AddressOf { Body, Defendant };
    // <typename>: the name is a body's (NameOfOrgan) or an official's surname (FamilyOfMan).
    enum class NameOf { Body, OfficialSurname };
    // <AUTO_ANSWER>: Varnel answers at once (true), or a person chooses the answer in
    // Varnel's window (false).
    enum class Answer { Automatic, ChosenInVarnel };

    struct Address {
        std::wstring subject;     // <subj>: the federal subject
        std::wstring district;    // <Rayon>
        std::wstring city;        // <city>
        std::wstring settlement;  // <NP>
        std::wstring street;      // <Street>
        std::wstring index;       // <index>: the postal code
    };

    By by = By::Address;
    AddressOf addressOf = AddressOf::Body;
    NameOf nameOf = NameOf::Body;
    Answer answer = Answer::Automatic;
    std::wstring language = L"Russian";  // <lang>
    Address address;
    std::wstring name = L"владимир";  // <name>: a body's name or an official's surname
    std::wstring code;                // <code>: a body's 14-digit code
};

// The request text in wire form: the document's 30 lines, each ended by CR LF, and one
// terminating NUL, which is the last character of the returned string. Values are
// inserted as typed, unescaped. The document is checked first; a value that breaks it
// (an unescaped "<" or "&"), a lone surrogate, or non-ASCII text under a multi-byte
// ANSI code page raises ProgramError and no text is returned.
std::wstring BuildSearchRequest(const SearchRequest& search, UINT codePage = CP_ACP);

}  // namespace CustomPipes
