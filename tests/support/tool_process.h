// A console tool started as a script starts it, owned until it ends: its standard
// output and standard error go to two files of a scratch folder, so that each stream
// is seen by itself and as it is written, or its output goes into a pipe whose reader
// has gone; its standard input, when given, comes from a pipe the test fills.
#pragma once

#include "child_process.h"
#include "files.h"
#include "handles.h"
#include "notice_listener.h"
#include "scratch_folder.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>

struct ToolStreams {
    bool closedOutput = false;         // standard output is a pipe nobody reads
    std::optional<std::string> input;  // the bytes of standard input, then its end

    static ToolStreams ClosedOutput() { return {true, std::nullopt}; }
    static ToolStreams Input(std::string bytes) { return {false, std::move(bytes)}; }
};

class ToolProcess {
public:
    explicit ToolProcess(const std::wstring& commandLine, const ToolStreams& streams = ToolStreams())
        : folder_(L"tool-" + std::to_wstring(++count_)) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const auto create = [&](const wchar_t* name) {
            return CustomPipes::AdoptFileHandle(::CreateFileW((folder_ / name).c_str(), GENERIC_WRITE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0,
                                                 nullptr));
        };
        CustomPipes::UniqueHandle out = create(L"out"), err = create(L"err"), input, inputWriter;
        if (streams.closedOutput) {
            // The reader goes at once: the tool's first write finds nobody there.
            out = std::move(MakePipe(false).writer);
        }
        if (streams.input) {
            PipeEnds pipe = MakePipe(true);
            input = std::move(pipe.reader);
            inputWriter = std::move(pipe.writer);
        }
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        startup.hStdInput = input ? input.get() : ::GetStdHandle(STD_INPUT_HANDLE);
        started_ = std::chrono::steady_clock::now();
        process_ = ChildProcess::Start(commandLine, &startup, true);
        if (!process_) throw std::runtime_error("the tool could not be started");
        if (inputWriter) {
            input.reset();  // the tool's copy is the only reader left
            DWORD written = 0;
            ::WriteFile(inputWriter.get(), streams.input->data(), static_cast<DWORD>(streams.input->size()), &written,
                        nullptr);
        }
    }

    // Waits for the end, pumping this thread's messages meanwhile (the test's windows
    // hear the broadcasts). False when it does not end in time.
    bool WaitForExit(DWORD timeoutMs = 60000) { return PumpUntil([&] { return !process_.IsRunning(); }, timeoutMs); }
    DWORD ExitCode() const { return process_.WaitForExit(0); }
    double Seconds() const { return std::chrono::duration<double>(ended_ - started_).count(); }
    std::string Out() const { return ReadWholeFile(folder_ / L"out"); }
    std::string Err() const { return ReadWholeFile(folder_ / L"err"); }

    // Runs to the end and notes when it ended.
    ToolProcess& Run(DWORD timeoutMs = 60000) {
        if (!WaitForExit(timeoutMs)) throw std::runtime_error("the tool did not end in time");
        ended_ = std::chrono::steady_clock::now();
        return *this;
    }

private:
    struct PipeEnds {
        CustomPipes::UniqueHandle reader, writer;
    };
    static PipeEnds MakePipe(bool toolReads) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE reader = nullptr, writer = nullptr;
        if (!::CreatePipe(&reader, &writer, &inherit, 0)) throw std::runtime_error("no pipe could be made");
        // Only the tool's end is inherited: a tool holding both ends would keep the pipe open.
        ::SetHandleInformation(toolReads ? writer : reader, HANDLE_FLAG_INHERIT, 0);
        return {CustomPipes::UniqueHandle(reader), CustomPipes::UniqueHandle(writer)};
    }

    static inline int count_ = 0;
    ScratchFolder folder_;
    ChildProcess process_;
    std::chrono::steady_clock::time_point started_, ended_;
};
