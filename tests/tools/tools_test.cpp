// varnel-query and varnel-monitor as an integrator runs them: real processes against
// the real sample server, their output read from the files it went to.
#include "files.h"
#include "named_block.h"
#include "registry_fixture.h"
#include "sample_answer.h"
#include "sample_server_driver.h"
#include "scratch_folder.h"
#include "search_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace sample_server_driver;
using Clock = std::chrono::steady_clock;

namespace {

std::wstring QueryCommand(const std::wstring& arguments) {
    return L"\"" + WindowsPath(VARNEL_QUERY_EXE) + L"\" " + arguments;
}

// A tool started with its standard output and standard error going to two files of a
// scratch folder, so that each stream is seen by itself and as it is written.
class Tool {
public:
    explicit Tool(const std::wstring& commandLine) : folder_(L"tool-" + std::to_wstring(++count_)) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const auto create = [&](const wchar_t* name) {
            return AdoptFileHandle(::CreateFileW((folder_ / name).c_str(), GENERIC_WRITE,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS, 0,
                                                 nullptr));
        };
        const UniqueHandle out = create(L"out"), err = create(L"err");
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out.get();
        startup.hStdError = err.get();
        started_ = Clock::now();
        process_ = ChildProcess::Start(commandLine, &startup, true);
        if (!process_) throw std::runtime_error("the tool could not be started");
    }

    // Waits for the end, pumping this thread's messages meanwhile (the test's windows
    // hear the broadcasts). False when it does not end in time.
    bool WaitForExit(DWORD timeoutMs = 60000) { return PumpUntil([&] { return !process_.IsRunning(); }, timeoutMs); }
    DWORD ExitCode() const { return process_.WaitForExit(0); }
    double Seconds() const { return std::chrono::duration<double>(ended_ - started_).count(); }
    std::string Out() const { return ReadWholeFile(folder_ / L"out"); }
    std::string Err() const { return ReadWholeFile(folder_ / L"err"); }

    // Runs to the end and notes when it ended.
    Tool& Run() {
        EXPECT_TRUE(WaitForExit());
        ended_ = Clock::now();
        return *this;
    }

private:
    static inline int count_ = 0;
    ScratchFolder folder_;
    ChildProcess process_;
    Clock::time_point started_, ended_;
};

// Hears the request notices, as Varnel does, and copies each request out of the block
// it names while the client waits.
class RequestSpy {
public:
    // The requests seen so far, each with its NUL; a while is pumped first so that a
    // notice posted last is heard too.
    const std::vector<std::wstring>& Requests() {
        listener_.CountAfter(300);
        return requests_;
    }
    void Clear() { requests_.clear(); }

private:
    void Copy(const NoticeListener::Notice& notice) {
        const auto block = CustomPipes::NamedBlock::Open(CustomPipes::RequestBlockName(static_cast<uint32_t>(notice.lParam)),
                                                         CustomPipes::NamedBlock::Access::Read);
        requests_.push_back(std::wstring(wire::TextUpToNul(block.Data(), block.UsableBytes())) + L'\0');
    }

    std::vector<std::wstring> requests_;
    NoticeListener listener_{{VarnelMessage(CustomPipes::MessageKind::Request)},
                             NoticeListener::Thread::Caller,
                             [this](const NoticeListener::Notice& notice) { Copy(notice); }};
};

// The answer now in "Varnel2" as varnel-query prints it: decoded lines, UTF-8, "\n".
std::string AnswerAsPrinted() {
    const std::optional<std::wstring> answer = ReadAnswerBlock();
    if (!answer) return "(no answer block)";
    std::wstring text;
    for (const std::wstring& line : wire::DecodeLines(*answer)) text += line + L"\n";
    return wire::ToUtf8(text);
}

class VarnelQuery : public ::testing::Test {
protected:
    void SetUp() override { StopEveryServer(); }
    void TearDown() override { StopEveryServer(); }
    RequestSpy spy_;
};

}  // namespace

TEST_F(VarnelQuery, EachSearchSendsTheWindowsRequestAndPrintsTheAnswerAsUtf8) {
    RunningServer server = RunningServer::Start();
    CustomPipes::SearchRequest byName, byCode, byAddress;
    byName.by = CustomPipes::SearchRequest::By::Name;
    byName.name = L"районный";
    byCode.by = CustomPipes::SearchRequest::By::Code;
    byCode.code = L"01016433305000";
    byAddress.address.city = L"Владимирогорск";
    struct Case {
        std::wstring arguments;
        const CustomPipes::SearchRequest& fields;
        std::string by, piece;  // what the answer must say: the search made, and a body found
    } cases[] = {
        {L"--by name --name районный", byName, "name", "<name>Заречный районный суд Приозёрной области</name>"},
        {L"--by code --code 01016433305000", byCode, "code", "<name>Владимирогорский городской суд</name>"},
        {L"--city Владимирогорск", byAddress, "address",
         "<address>600101, Приозёрная область, г. Владимирогорск, ул. Озёрная, д. 12</address>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(wire::ToUtf8(c.arguments));
        spy_.Clear();
        Tool query(QueryCommand(c.arguments));
        query.Run();
        EXPECT_EQ(query.ExitCode(), 0u) << query.Err();
        EXPECT_EQ(query.Err(), "");
        ASSERT_EQ(spy_.Requests().size(), 1u);
        EXPECT_EQ(spy_.Requests()[0], BuildSearchRequest(c.fields));
        // Byte for byte the decoded answer, and the Cyrillic as UTF-8.
        const std::string out = query.Out();
        EXPECT_EQ(out, AnswerAsPrinted());
        EXPECT_NE(out.find("<by>" + c.by + "</by>"), std::string::npos) << out;
        EXPECT_NE(out.find(c.piece), std::string::npos) << out;
    }
}

TEST_F(VarnelQuery, NotInstalledExitsOneSayingWhatWasFoundAndPostsNothing) {
    ScratchFolder folder(L"not installed");
    const std::wstring missing = folder / L"Varnel\\varnel.exe";
    const struct {
        std::wstring exeName;  // empty: no record at all
        std::string reason;
    } cases[] = {
        {L"", "there is no record HKEY_CURRENT_USER\\Software\\Orbisan\\Varnel"},
        {missing, wire::ToUtf8(L"\"" + missing + L"\", and there is no file there")},
    };
    for (const auto& c : cases) {
        DeleteServerRecord();
        if (!c.exeName.empty()) WriteServerRecord(c.exeName);
        Tool query(QueryCommand(L"--by name"));
        query.Run();
        EXPECT_EQ(query.ExitCode(), 1u);
        EXPECT_NE(query.Err().find("neither running nor installed"), std::string::npos) << query.Err();
        EXPECT_NE(query.Err().find(c.reason), std::string::npos) << query.Err();
        EXPECT_EQ(query.Out(), "");
    }
    DeleteServerRecord();
    EXPECT_TRUE(spy_.Requests().empty());
}

TEST_F(VarnelQuery, AVarnelThatCannotBeStartedIsReportedWithExitFourAndNothingPosted) {
    ScratchFolder folder(L"not a program");
    const std::wstring text = folder / L"varnel.exe";
    WriteWholeFile(text, "This is a text file, not a program.\r\n");
    WriteServerRecord(text);
    Tool query(QueryCommand(L"--by name"));
    query.Run();
    DeleteServerRecord();
    EXPECT_EQ(query.ExitCode(), 4u) << query.Err();
    EXPECT_NE(query.Err().find(wire::ToUtf8(L"Varnel could not be started from \"" + text + L"\"")), std::string::npos)
        << query.Err();
    EXPECT_LT(query.Seconds(), 5.0);
    EXPECT_TRUE(spy_.Requests().empty());
}

TEST_F(VarnelQuery, ClientsStartedTogetherEachGetTheirOwnAnswer) {
    RunningServer server = RunningServer::Start();
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        Tool byCode(QueryCommand(L"--by code --code 01016433305000"));
        Tool bySurname(QueryCommand(L"--by surname --name Ш"));
        byCode.Run();
        bySurname.Run();
        ASSERT_EQ(byCode.ExitCode(), 0u) << byCode.Err();
        ASSERT_EQ(bySurname.ExitCode(), 0u) << bySurname.Err();
        EXPECT_NE(byCode.Out().find("<by>code</by>"), std::string::npos) << byCode.Out();
        EXPECT_NE(bySurname.Out().find("<by>surname</by>"), std::string::npos) << bySurname.Out();
    }
}

TEST_F(VarnelQuery, AmpersandIsRefusedWithTheParsersReasonAndNothingPosted) {
    RunningServer server = RunningServer::Start();
    Tool query(QueryCommand(L"--by name --name \"Иванов & сыновья\""));
    query.Run();
    EXPECT_EQ(query.ExitCode(), 2u);
    const std::string err = query.Err();
    EXPECT_NE(err.find("not well-formed (invalid token)"), std::string::npos) << err;
    EXPECT_NE(err.find("Line: 28"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << "one line: " << err;
    EXPECT_TRUE(spy_.Requests().empty());
}

TEST_F(VarnelQuery, ARequestFileAServerWouldRefuseIsRefusedAtOnceWithExitTwo) {
    RunningServer server = RunningServer::Start();
    ScratchFolder folder(L"refused requests");
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    const struct {
        const wchar_t* file;
        std::string document;
        const char* reason;
    } cases[] = {
        {L"doctype.xml", declaration + "<!DOCTYPE ParamsForVarnel>\r\n<ParamsForVarnel/>\r\n", "DOCTYPE"},
        {L"entity.xml", declaration + "<!DOCTYPE p [<!ENTITY e \"x\">]>\r\n<ParamsForVarnel>&e;</ParamsForVarnel>\r\n",
         "DOCTYPE"},
        {L"other.xml", declaration + "<Other/>\r\n", "root element is <Other>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(wire::ToUtf8(c.file));
        ASSERT_TRUE(WriteWholeFile(folder / c.file, c.document));
        Tool query(QueryCommand(L"--request \"" + (folder / c.file) + L"\" --timeout 30"));
        query.Run();
        EXPECT_EQ(query.ExitCode(), 2u) << query.Err();
        EXPECT_NE(query.Err().find(c.reason), std::string::npos) << query.Err();
        EXPECT_LT(query.Seconds(), 5.0) << "the request was sent and its answer waited for";
    }
    EXPECT_TRUE(spy_.Requests().empty());
}

TEST_F(VarnelQuery, ChosenAnswerThatNobodyChoosesTimesOutWithExitThree) {
    RunningServer server = RunningServer::Start();
    Tool query(QueryCommand(L"--by code --code 01016433305000 --chosen --timeout 2"));
    query.Run();
    EXPECT_EQ(query.ExitCode(), 3u) << query.Err();
    EXPECT_NE(query.Err().find("no answer"), std::string::npos) << query.Err();
    // Two seconds of waiting, plus the start of a process under Wine.
    EXPECT_GE(query.Seconds(), 2.0);
    EXPECT_LT(query.Seconds(), 5.0);
    // The request did go out, and waits for a person at the server's window.
    EXPECT_EQ(spy_.Requests().size(), 1u);
    EXPECT_EQ(OfferedMatches(server.Window()), 1);
}

namespace {

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool IsMessageLine(const std::string& line) {
    static const std::regex kMessage(R"(^\d\d:\d\d:\d\d\.\d\d\d WM_\w+_EVENT wParam=\d+ lParam=-?\d+$)");
    return std::regex_match(line, kMessage);
}

// The lines that follow the request message naming block `name`, up to the next message.
std::vector<std::string> LinesAfterRequest(const std::vector<std::string>& lines, const std::string& name) {
    const std::string heading = "WM_TO_REGISTRY_TO_VARNEL_EVENT wParam=65535 lParam=" + name;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!IsMessageLine(lines[i]) || !lines[i].ends_with(heading)) continue;
        std::vector<std::string> after;
        for (size_t j = i + 1; j < lines.size() && !IsMessageLine(lines[j]); ++j) after.push_back(lines[j]);
        return after;
    }
    return {"(no request message for block " + name + ")"};
}

void PostRequest(uint32_t blockName) {
    ::PostMessageW(HWND_BROADCAST, CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::Request),
                   CustomPipes::kWindowRequestCode, static_cast<LPARAM>(blockName));
}

}  // namespace

TEST(VarnelMonitor, PrintsAnExchangeDecodedAndReportsEachBadBlockInOneLine) {
    StopEveryServer();
    RunningServer server = RunningServer::Start();
    Tool monitor(L"\"" + WindowsPath(VARNEL_MONITOR_EXE) + L"\"");
    HWND monitorWindow = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (monitorWindow = ::FindWindowW(L"VarnelMonitor", nullptr)) != nullptr; }, 20000));

    // Blocks a careless client might name: reserved and never committed, none at all,
    // and 16384 bytes without a NUL.
    const auto reserved = CustomPipes::NamedBlock::Create(L"4000000001", CustomPipes::kRequestBlockSize,
                                                          PAGE_READWRITE | SEC_RESERVE);
    const auto noNul = CustomPipes::NamedBlock::Create(L"4000000003", CustomPipes::kRequestBlockSize);
    ASSERT_GE(noNul.UsableBytes(), CustomPipes::kRequestBlockSize);
    std::wmemset(static_cast<wchar_t*>(noNul.WritableData()), L'A', CustomPipes::kRequestBlockSize / 2);
    for (uint32_t name : {4000000001u, 4000000002u, 4000000003u}) PostRequest(name);

    // Then an exchange: the answer waits for a choice, so the request block is
    // certainly there while the monitor reads it.
    Tool query(QueryCommand(L"--by code --code 01016433305000 --chosen"));
    ASSERT_TRUE(PumpUntil([&] { return monitor.Out().find("<AUTO_ANSWER>false</AUTO_ANSWER>") != std::string::npos; },
                          20000))
        << monitor.Out();
    ASSERT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) == 1; }, 10000));
    ChooseAndSend(server.Window(), 0);
    query.Run();
    EXPECT_EQ(query.ExitCode(), 0u) << query.Err();
    ASSERT_TRUE(PumpUntil([&] { return monitor.Out().find("</VarnelAnswer>") != std::string::npos; }, 10000))
        << monitor.Out();

    // Closed as Ctrl+C closes it: it ends by itself, with exit code 0.
    ::PostMessageW(monitorWindow, WM_CLOSE, 0, 0);
    monitor.Run();
    EXPECT_EQ(monitor.ExitCode(), 0u) << monitor.Err();

    const std::vector<std::string> lines = LinesOf(monitor.Out());
    const auto oneLineSaying = [&](const std::string& name, const std::string& words) {
        const std::vector<std::string> after = LinesAfterRequest(lines, name);
        ASSERT_EQ(after.size(), 1u) << monitor.Out();
        EXPECT_NE(after[0].find("request block \"" + name + "\": " + words), std::string::npos) << after[0];
    };
    oneLineSaying("4000000001", "reserved");
    oneLineSaying("4000000002", "no block");
    oneLineSaying("4000000003", "no NUL");

    // The request and the answer, decoded with their Cyrillic intact.
    const std::string out = monitor.Out();
    EXPECT_NE(out.find("\n        <code>01016433305000</code>\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n        <name>владимир</name>\n"), std::string::npos) << out;
    const size_t answer = out.find("WM_TO_DATA_FROM_VARNEL_READY_EVENT");
    ASSERT_NE(answer, std::string::npos) << out;
    EXPECT_NE(out.find("  answer block \"Varnel2\": ", answer), std::string::npos) << out;
    EXPECT_NE(out.find("<mode>chosen</mode>", answer), std::string::npos) << out;
    EXPECT_NE(out.find("<name>Владимирогорский городской суд</name>", answer), std::string::npos) << out;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find("\xEF\xBF\xBD"), std::string::npos) << "a replacement character in: " << line;
    }
}
