// The examples of README.md and tools/README.txt, run as a user types them in cmd, in a
// folder holding the programs as the package unpacks them, against the sample server:
// each must give what its text promises. An example is a line whose first word is one
// of the programs, or a "type ... |" line feeding one of them.
#include "registry_fixture.h"
#include "sample_server_driver.h"
#include "scratch_folder.h"
#include "tool_process.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace sample_server_driver;

namespace {

enum class Kind {
    Answer,   // varnel-query: its answer holds the pieces
    Chosen,   // the same, once a person has picked the body in the server's window
    Monitor,  // varnel-monitor: while it runs an exchange happens; its lines hold the pieces
    Record,   // varnel-sample-server --register: its output holds the pieces
    Switch,   // varnel-sample-server with a switch: the running server lists the bodies
};

struct Promise {
    Kind kind;
    std::vector<std::string> pieces;
    int listed = 0;  // Switch: how many bodies the server's window lists
};

// What each example promises, in the words of the text around it.
const std::map<std::string, Promise>& Promises() {
    static const std::map<std::string, Promise> promises = {
        {"varnel-query.exe",
         {Kind::Answer, {"<by>name</by>", "<requested>address</requested>", "<found>5</found>"}}},
        {"varnel-query.exe --by code --code 01016433305000",
         {Kind::Answer, {"<by>code</by>", "<found>1</found>", "<name>Владимирогорский городской суд</name>"}}},
        {"varnel-query.exe --by name --name \"районный суд\" > answer.xml",
         {Kind::Answer, {"<by>name</by>", "<name>Заречный районный суд Приозёрной области</name>"}}},
        {"varnel-query.exe --by name --name \"районный суд\" --output answer.xml",
         {Kind::Answer, {"<by>name</by>", "<name>Заречный районный суд Приозёрной области</name>"}}},
        {"varnel-query.exe --by surname --name Корнеев",
         {Kind::Answer,
          {"<by>surname</by>", "<judge>Корнеева А. П.</judge>", "<judge>Корнеева Е. Л.</judge>",
           "<judge>Корнеев М. П.</judge>"}}},
        {"varnel-query.exe --by address --city Владимирогорск --defendant",
         {Kind::Answer,
          {"<by>address</by>", "<typesearch>AddressOfObject</typesearch>", "<city>Владимирогорск</city>",
           "<name>Владимирогорский городской суд</name>"}}},
        {"varnel-query.exe --by code --code 01016433305000 --chosen --timeout 120",
         {Kind::Chosen, {"<mode>chosen</mode>", "<name>Владимирогорский городской суд</name>"}}},
        {"varnel-query.exe --request my-request.xml",
         {Kind::Answer, {"<by>name</by>", "<requested>address</requested>", "<found>5</found>"}}},
        {"type my-request.xml | varnel-query.exe --request -",
         {Kind::Answer, {"<by>name</by>", "<requested>address</requested>", "<found>5</found>"}}},
        {"varnel-monitor.exe",
         {Kind::Monitor,
          {"WM_TO_REGISTRY_TO_VARNEL_EVENT wParam=65535", "answer block \"Varnel2\"", "<by>code</by>"}}},
        {"varnel-monitor.exe --full --xml-dir exchanges > exchanges.log",
         {Kind::Monitor,
          {"WM_TO_REGISTRY_TO_VARNEL_EVENT wParam=65535", "answer block \"Varnel2\"", "<by>code</by>"}}},
        {"varnel-monitor.exe --xml-dir exchanges",
         {Kind::Monitor,
          {"WM_TO_REGISTRY_TO_VARNEL_EVENT wParam=65535", "answer block \"Varnel2\"", "<by>code</by>"}}},
        {"varnel-sample-server.exe --register", {Kind::Record, {"Registered"}}},
        {"varnel-sample-server.exe -a:владимирогорский городской", {Kind::Switch, {}, 1}},
    };
    return promises;
}

const char* const kPrograms[] = {"varnel-query.exe", "varnel-monitor.exe", "varnel-sample-server.exe"};

std::string Trimmed(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r");
    const size_t last = line.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : line.substr(first, last - first + 1);
}

// The examples of a text, as typed: without their "# ..." comment and outer blanks.
// README.md holds them in fenced blocks, README.txt indented by four spaces.
enum class Layout { Markdown, Plain };
std::vector<std::string> ExamplesIn(const std::string& text, Layout layout) {
    std::vector<std::string> examples;
    std::istringstream lines(text);
    bool fenced = false;
    for (std::string line; std::getline(lines, line);) {
        std::string command = Trimmed(line.substr(0, line.find(" #")));
        if (command.starts_with("```")) fenced = !fenced;
        if (layout == Layout::Markdown ? !fenced : !line.starts_with("    ")) continue;
        const std::string firstWord = command.substr(0, command.find(' '));
        bool example = firstWord == "type" && command.find("| varnel-") != std::string::npos;
        for (const char* program : kPrograms) example = example || firstWord == program;
        if (example) examples.push_back(command);
    }
    return examples;
}

std::string SourceFile(const char* relative) {
    return ReadWholeFile(WindowsPath(std::string(VARNEL_SOURCE_DIR) + "/" + relative));
}

// The request example of docs/protocol.md: the first XML block after its heading.
std::string ProtocolRequestExample() {
    const std::string protocol = SourceFile("docs/protocol.md");
    const size_t section = protocol.find("## The request document");
    const size_t start = protocol.find("```xml\n", section);
    const size_t end = protocol.find("```", start + 7);
    if (section == std::string::npos || start == std::string::npos || end == std::string::npos) return {};
    return protocol.substr(start + 7, end - start - 7);
}

// Where an example's answer goes: the file after ">" or "--output", or standard output.
std::wstring AnswerFile(const std::string& example) {
    for (const std::string mark : {"> ", "--output "}) {
        const size_t at = example.find(mark);
        if (at != std::string::npos) {
            const std::string rest = example.substr(at + mark.size());
            return CustomPipes::wire::DecodeUtf8(rest.substr(0, rest.find(' ')));
        }
    }
    return {};
}

// A folder laid out as the package unpacks, made the current folder of the examples.
class ExampleFolder {
public:
    ExampleFolder() : folder_(L"readme-examples") {
        for (const char* built : {VARNEL_QUERY_EXE, VARNEL_MONITOR_EXE, VARNEL_SAMPLE_SERVER_EXE}) {
            const std::wstring from = WindowsPath(built);
            ::CopyFileW(from.c_str(), (folder_ / from.substr(from.find_last_of(L'\\') + 1)).c_str(), FALSE);
        }
        ::GetCurrentDirectoryW(MAX_PATH, previous_);
        ::SetCurrentDirectoryW(folder_.Path().c_str());
    }
    ~ExampleFolder() { ::SetCurrentDirectoryW(previous_); }

    std::wstring operator/(const std::wstring& child) const { return folder_ / child; }

private:
    ScratchFolder folder_;
    wchar_t previous_[MAX_PATH] = {};
};

class ReadmeExamples : public ::testing::Test {
protected:
    void SetUp() override { StopEveryServer(); }
    void TearDown() override {
        StopEveryServer();
        DeleteServerRecord();
    }

    // The example typed into cmd in the examples' folder.
    static ToolProcess Typed(const std::string& example) {
        return ToolProcess(L"cmd.exe /d /c " + CustomPipes::wire::DecodeUtf8(example));
    }

    // Runs one example and says what it gave: the text its promise is looked for in.
    std::string Run(const std::string& example, const Promise& promise) {
        const std::wstring answerFile = AnswerFile(example);
        if (!answerFile.empty()) ::DeleteFileW((folder_ / answerFile).c_str());
        // A fresh server lists nothing until this example's search comes.
        if (promise.kind == Kind::Chosen || promise.kind == Kind::Switch) {
            server_.Stop();
            server_ = RunningServer::Start();
        }

        ToolProcess typed = Typed(example);
        if (promise.kind == Kind::Chosen) {
            EXPECT_TRUE(PumpUntil([&] { return OfferedMatches(server_.Window()) == 1; }, 20000));
            ChooseAndSend(server_.Window(), 0);
        }
        if (promise.kind == Kind::Monitor) RunAnExchangeBeside(typed, answerFile);
        if (promise.kind == Kind::Switch) {
            EXPECT_TRUE(PumpUntil([&] { return OfferedMatches(server_.Window()) == promise.listed; }, 20000))
                << "the server lists " << OfferedMatches(server_.Window()) << " bodies";
        }
        typed.Run();
        EXPECT_EQ(typed.ExitCode(), 0u) << typed.Err();
        if (answerFile.empty()) return typed.Out();
        EXPECT_EQ(typed.Out(), "") << "the answer goes to " << CustomPipes::wire::ToUtf8(answerFile) << " alone";
        return ReadWholeFile(folder_ / answerFile);
    }

    // While the monitor of the example listens, one exchange, then the monitor is
    // closed as Ctrl+C closes it.
    void RunAnExchangeBeside(ToolProcess& monitor, const std::wstring& logFile) {
        HWND window = nullptr;
        ASSERT_TRUE(PumpUntil([&] { return (window = ::FindWindowW(L"VarnelMonitor", nullptr)) != nullptr; }, 20000));
        ToolProcess query(L"\"" + WindowsPath(VARNEL_QUERY_EXE) + L"\" --by code --code 01016433305000");
        query.Run();
        const auto log = [&] { return logFile.empty() ? monitor.Out() : ReadWholeFile(folder_ / logFile); };
        EXPECT_TRUE(PumpUntil([&] { return log().find("</VarnelAnswer>") != std::string::npos; }, 20000)) << log();
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }

    // The answers the monitor examples saved in the folder "exchanges".
    int SavedAnswers() const {
        WIN32_FIND_DATAW found{};
        const CustomPipes::UniqueFindHandle search(
            ::FindFirstFileW((folder_ / L"exchanges\\*-WM_TO_DATA_FROM_VARNEL_READY_EVENT.xml").c_str(), &found));
        int count = search ? 1 : 0;
        while (search && ::FindNextFileW(search.get(), &found)) ++count;
        return count;
    }

    ExampleFolder folder_;
    RunningServer server_;
};

}  // namespace

TEST_F(ReadmeExamples, EachGivesWhatItPromises) {
    std::vector<std::string> examples = ExamplesIn(SourceFile("README.md"), Layout::Markdown);
    for (const std::string& example : ExamplesIn(SourceFile("tools/README.txt"), Layout::Plain)) {
        examples.push_back(example);
    }
    ASSERT_GE(examples.size(), 10u) << "the examples were not found";

    // The request of one's own that README.md offers: the one docs/protocol.md shows.
    const std::string request = ProtocolRequestExample();
    ASSERT_NE(request.find("<ParamsForVarnel>"), std::string::npos);
    {
        const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(::CreateFileW((folder_ / L"my-request.xml").c_str(), GENERIC_WRITE, 0,
                                                                nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(file.get(), request.data(), static_cast<DWORD>(request.size()), &written, nullptr));
    }

    server_ = RunningServer::Start();
    for (const std::string& example : examples) {
        SCOPED_TRACE(example);
        const auto promise = Promises().find(example);
        if (promise == Promises().end()) {
            ADD_FAILURE() << "an example that promises nothing here: add what it gives to Promises()";
            continue;
        }
        const int savedBefore = SavedAnswers();
        const std::string gave = Run(example, promise->second);
        for (const std::string& piece : promise->second.pieces) {
            EXPECT_NE(gave.find(piece), std::string::npos) << "no \"" << piece << "\" in:\n" << gave;
        }
        if (example.find("--xml-dir exchanges") != std::string::npos) {
            EXPECT_GT(SavedAnswers(), savedBefore) << "no answer saved in exchanges\\";
        }
    }
}
