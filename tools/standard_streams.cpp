#include "standard_streams.h"

#include "handles.h"
#include "program_error.h"
#include "system_error.h"
#include "text_output.h"
#include "win32.h"
#include "wire_text.h"

#include <algorithm>
#include <string>

namespace tools {

namespace {

// What a failed write means to a user: in words where the system's are obscure, with
// the system's text and number.
std::wstring WriteFailure(const std::wstring& what, DWORD error) {
    switch (error) {
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
        case ERROR_PIPE_NOT_CONNECTED:
            return CustomPipes::SystemErrorText(what + L" (the program reading it has closed it)", error);
        default: return CustomPipes::SystemErrorText(what, error);
    }
}

bool IsStream(HANDLE stream) { return stream != nullptr && stream != INVALID_HANDLE_VALUE; }

}  // namespace

void WriteOutput(std::wstring_view text) {
    const HANDLE stream = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!IsStream(stream)) throw CustomPipes::ProgramError(L"there is no standard output to write to");
    if (const DWORD error = CustomPipes::WriteText(stream, text)) {
        throw CustomPipes::ProgramError(WriteFailure(L"the standard output cannot be written", error));
    }
}

void WriteUtf8File(const std::wstring& path, std::wstring_view text) {
    DWORD error = 0;
    {
        const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = ::GetLastError();
            throw CustomPipes::ProgramError(
                CustomPipes::SystemErrorText(L"the file \"" + path + L"\" cannot be created", error));
        }
        error = CustomPipes::WriteText(file.get(), text);
    }
    if (error) {
        // A cut answer must not pass for a whole one.
        const bool removed = ::DeleteFileW(path.c_str());
        throw CustomPipes::ProgramError(WriteFailure(L"the file \"" + path + L"\" cannot be written", error) +
                                        (removed ? L"; what was written of it is removed"
                                                 : L"; it holds only part of the text"));
    }
}

void WriteErrorLine(std::wstring_view line) {
    const HANDLE stream = ::GetStdHandle(STD_ERROR_HANDLE);
    if (IsStream(stream)) CustomPipes::WriteText(stream, std::wstring(line) + L"\n");
}

}  // namespace tools
