// The server's main window "TfrmMainRudoz": the log of requests and answers, the
// bodies found for a request that waits for a person's choice, and the button that
// sends the chosen one.
#pragma once

#include "answer_block.h"
#include "answer_document.h"
#include "handles.h"
#include "command_line.h"
#include "fonts.h"
#include "request_handling.h"
#include "search.h"
#include "win32.h"

#include <string>
#include <string_view>
#include <vector>

namespace sample_server {

class ServerWindow {
public:
    ServerWindow(HINSTANCE instance, AnswerBlock& answers);
    ServerWindow(const ServerWindow&) = delete;
    ServerWindow& operator=(const ServerWindow&) = delete;

    // Raises CustomPipes::ProgramError when the window cannot be created.
    void Create(int showCommand);

    // What the command line asked for, at start or handed over by a second start.
    void ActOnArguments(std::wstring_view arguments, bool handedOver);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    // The one boundary for the handlers: a fault ends in the log, never past the
    // window procedure.
    template <typename Handler>
    void Guarded(const wchar_t* what, Handler&& handler) noexcept;

    void OnCreate();
    void OnSize(int width, int height);
    void OnRequest(WPARAM code, LPARAM client);
    void OnCommand(int id, int notification);
    void OnSendChosen();
    LRESULT OnCopyData(const COPYDATASTRUCT& data);

    void LogOutcome(std::wstring_view requestText, const RequestOutcome& outcome);
    void LogAnswer(const Search& search, size_t found, const WrittenAnswer& answer);
    void Answer(const Search& search, AnswerMode mode, size_t found, std::span<const Match> sent, WPARAM code,
                LPARAM client);
    void ShowMatches(const Search& search, std::vector<Match> matches, WPARAM code, LPARAM client);

    // Log lines wait in unwrittenLog_ until the window is idle: a client waits for the
    // answer, and filling the list box costs far more than finding and sending it.
    void Log(std::wstring_view line);
    void LogLines(std::wstring_view indent, const std::vector<std::wstring>& lines, size_t maxLines);
    void WriteLog();
    HWND Control(int id) const { return ::GetDlgItem(window_, id); }

    HINSTANCE instance_;
    AnswerBlock& answers_;
    HWND window_ = nullptr;
    display::UniqueFont font_;
    UINT requestMessage_ = 0;
    std::vector<std::wstring> unwrittenLog_;

    // The request that waits for a person's choice.
    struct Pending {
        Search search;
        std::vector<Match> matches;
        WPARAM code = 0;
        LPARAM client = 0;
    } pending_;
};

}  // namespace sample_server
