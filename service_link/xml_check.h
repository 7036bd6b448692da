// The well-formedness check of an XML document, with expat.
#pragma once

#include <string_view>

// Parses document (its bytes, in the encoding its declaration names; no DTD is loaded
// and no external entity resolved). A document that is not well-formed raises
// ProgramError: the parser's reason, CR LF, "Line: " and the line number counted from
// 1, CR LF, and the first 40 characters of the offending source line.
void CheckWellFormed(std::string_view document);
