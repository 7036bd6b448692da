// The search request document: what the program hands to Varnel.
#pragma once

#include "win32.h"

#include <string>

// The snapshot of page 1 that a request is built from, named after the controls that
// hold the values. The defaults are the page's state at start.
struct SearchFields {
    std::wstring ComboBox1 = L"Russian";  // search language
    std::wstring Edit1;                   // federal subject
    std::wstring Edit2;                   // district
    std::wstring Edit3;                   // city
    std::wstring Edit4;                   // settlement
    std::wstring Edit5;                   // street
    std::wstring Edit6;                   // postal index
    std::wstring Edit7;                   // court code
    std::wstring Edit8 = L"владимир";     // name or surname
    bool RadioButton4 = true;             // search by address
    bool RadioButton5 = false;            // search by name
    bool RadioButton6 = false;            // search by court code
    int RadioGroup1 = 0;                  // 0: answer at once, otherwise through Varnel's window
    int RadioGroup2 = 0;                  // 0: address of the body, 1: address of the defendant
    int RadioGroup3 = 0;                  // 0: name of the body, 1: judge's surname
};

// The request text in wire form: the document's lines, each ended by CR LF, and one
// terminating NUL, which is the last character of the returned string. The document
// is checked for well-formedness first; a value that breaks it (an unescaped "<" or
// "&"), a lone surrogate, or non-ASCII text under a multi-byte ANSI code page raises
// ProgramError and no text is returned.
std::wstring BuildSearchRequest(const SearchFields& fields, UINT codePage = CP_ACP);
