#include "program_error.h"

#include "wire_text.h"

namespace CustomPipes {

std::wstring ExceptionText(const std::exception& e) {
    if (const auto* ours = dynamic_cast<const ProgramError*>(&e)) return ours->Text();
    return wire::DecodeUtf8(e.what());
}

}  // namespace CustomPipes
