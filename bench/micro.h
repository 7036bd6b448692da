// Figures measured inside the bench process.
#pragma once

namespace bench {

// BuildSearchRequest for the default fields and for long Cyrillic fields.
void RunRequestFigures();

// A full court answer from its block to the memo's lines.
void RunAnswerFigures();

}  // namespace bench
