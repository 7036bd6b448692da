// Starting the programs under measurement and finding their windows from outside, as
// a user's tools would: by process, window class and control identifier.
#pragma once

#include "handles.h"

#include <string>

namespace bench {

// A started program; the owner ends it and waits for it.
class Program {
public:
    Program() = default;
    Program(Program&&) = default;
    Program& operator=(Program&&) = default;
    ~Program() { Stop(); }

    // Starts path (quoted) followed by arguments, which begin with their own space.
    // Raises ProgramError when it cannot be started.
    static Program Start(const std::wstring& path, const std::wstring& arguments = {});

    HANDLE Process() const { return process_.get(); }
    DWORD ProcessId() const { return processId_; }
    bool IsRunning() const;

    // The program's visible top-level window of windowClass, or null.
    HWND VisibleWindow(const wchar_t* windowClass) const;

    // Waits until the program waits for input with a visible window of windowClass;
    // raises ProgramError when that does not happen within timeoutMs.
    HWND WaitUntilIdleAndVisible(const wchar_t* windowClass, DWORD timeoutMs = 30000) const;

    // Ends the program at once. A program closed through its window takes two seconds
    // to end under Wine, which would only lengthen the run; nothing it holds needs saving.
    void Stop();

private:
    UniqueHandle process_;
    DWORD processId_ = 0;
};

// The descendant of parent whose control identifier is id, or null.
HWND FindDescendant(HWND parent, int id);

// A Unix path as Wine shows it to programs: "Z:" and backslashes. Other paths stay.
std::wstring WindowsPath(std::wstring path);

}  // namespace bench
