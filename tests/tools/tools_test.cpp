// varnel-query and varnel-monitor as an integrator runs them: real processes against
// the real sample server, their output read from the files it went to.
#include "named_block.h"
#include "registry_fixture.h"
#include "sample_answer.h"
#include "sample_server_driver.h"
#include "scratch_folder.h"
#include "searches.h"
#include "tool_process.h"
#include "wire_document.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

using namespace sample_server_driver;

namespace {

std::wstring QueryCommand(const std::wstring& arguments) {
    return L"\"" + WindowsPath(VARNEL_QUERY_EXE) + L"\" " + arguments;
}

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
        requests_.push_back(std::wstring(CustomPipes::wire::TextUpToNul(block.Data(), block.UsableBytes())) + L'\0');
    }

    std::vector<std::wstring> requests_;
    NoticeListener listener_{{RequestMessage()},
                             NoticeListener::Thread::Caller,
                             [this](const NoticeListener::Notice& notice) { Copy(notice); }};
};

// The answer now in "Varnel2" as varnel-query prints it: decoded lines, UTF-8, "\n".
std::string AnswerAsPrinted() {
    const std::optional<std::wstring> answer = ReadAnswerBlock();
    if (!answer) return "(no answer block)";
    std::wstring text;
    for (const std::wstring& line : CustomPipes::wire::DecodeLines(*answer)) text += line + L"\n";
    return CustomPipes::wire::ToUtf8(text);
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
        SCOPED_TRACE(CustomPipes::wire::ToUtf8(c.arguments));
        spy_.Clear();
        ToolProcess query(QueryCommand(c.arguments));
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
        {missing, CustomPipes::wire::ToUtf8(L"\"" + missing + L"\", and there is no file there")},
    };
    for (const auto& c : cases) {
        DeleteServerRecord();
        if (!c.exeName.empty()) WriteServerRecord(c.exeName);
        ToolProcess query(QueryCommand(L"--by name"));
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
    ToolProcess query(QueryCommand(L"--by name"));
    query.Run();
    DeleteServerRecord();
    EXPECT_EQ(query.ExitCode(), 4u) << query.Err();
    EXPECT_NE(query.Err().find(CustomPipes::wire::ToUtf8(L"Varnel could not be started from \"" + text + L"\"")), std::string::npos)
        << query.Err();
    EXPECT_LT(query.Seconds(), 5.0);
    EXPECT_TRUE(spy_.Requests().empty());
}

TEST_F(VarnelQuery, ClientsStartedTogetherEachGetTheirOwnAnswer) {
    RunningServer server = RunningServer::Start();
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        ToolProcess byCode(QueryCommand(L"--by code --code 01016433305000"));
        ToolProcess bySurname(QueryCommand(L"--by surname --name Ш"));
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
    ToolProcess query(QueryCommand(L"--by name --name \"Иванов & сыновья\""));
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
        SCOPED_TRACE(CustomPipes::wire::ToUtf8(c.file));
        ASSERT_TRUE(WriteWholeFile(folder / c.file, c.document));
        ToolProcess query(QueryCommand(L"--request \"" + (folder / c.file) + L"\" --timeout 30"));
        query.Run();
        EXPECT_EQ(query.ExitCode(), 2u) << query.Err();
        EXPECT_NE(query.Err().find(c.reason), std::string::npos) << query.Err();
        EXPECT_LT(query.Seconds(), 5.0) << "the request was sent and its answer waited for";
    }
    EXPECT_TRUE(spy_.Requests().empty());
}

TEST_F(VarnelQuery, ChosenAnswerThatNobodyChoosesTimesOutWithExitThree) {
    RunningServer server = RunningServer::Start();
    ToolProcess query(QueryCommand(L"--by code --code 01016433305000 --chosen --timeout 2"));
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

TEST_F(VarnelQuery, AnAnswerThatCannotBeWrittenIsReportedWithExitFour) {
    RunningServer server = RunningServer::Start();
    // A script's pipe whose reader has gone (on Windows also a full disk): the answer is
    // lost, and the exit code must say so.
    ToolProcess closed(QueryCommand(L"--by code --code 01016433305000"), ToolStreams::ClosedOutput());
    closed.Run();
    EXPECT_EQ(closed.ExitCode(), 4u) << closed.Err();
    EXPECT_NE(closed.Err().find("the standard output cannot be written"), std::string::npos) << closed.Err();

    const ScratchFolder folder(L"query-output");
    ToolProcess nowhere(QueryCommand(L"--by code --code 01016433305000 --output \"" + folder / L"missing\\answer.xml" +
                                     L"\""));
    nowhere.Run();
    EXPECT_EQ(nowhere.ExitCode(), 4u) << nowhere.Err();
    EXPECT_NE(nowhere.Err().find("cannot be created"), std::string::npos) << nowhere.Err();
}

namespace {

std::string Utf16Bytes(std::wstring_view text, bool bigEndian) {
    std::string bytes;
    for (wchar_t c : text) {
        const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::wstring SaveFile(const ScratchFolder& folder, const wchar_t* name, const std::string& bytes) {
    const std::wstring path = folder / name;
    const CustomPipes::UniqueHandle file =
        CustomPipes::AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    return path;
}

// The UTF-8 document a request in wire form carries.
std::string DocumentOf(const std::wstring& requestWithNul) {
    return CustomPipes::wire::DocumentOfWireText(std::wstring_view(requestWithNul).substr(0, requestWithNul.size() - 1)).value();
}

}  // namespace

TEST_F(VarnelQuery, ReadsItsRequestFromAPipeOrAUtf16FileAndSaysWhatIsWrongWithOtherText) {
    const ScratchFolder folder(L"request-files");
    CustomPipes::SearchRequest byCode = ByCode(L"01016433305000");
    byCode.address.city = L"Владимирогорск";  // Cyrillic on the way, too
    // The answer waits for a choice, so the request block is certainly there while the
    // spy copies it.
    byCode.answer = CustomPipes::SearchRequest::Answer::ChosenInVarnel;
    const std::wstring request = BuildSearchRequest(byCode);
    const std::string document = DocumentOf(request);
    const std::wstring text = CustomPipes::wire::DecodeUtf8(document);

    struct Read {
        std::wstring arguments;
        std::optional<std::string> input;
    } reads[] = {
        {L"--request -", document},
        {L"--request \"" + SaveFile(folder, L"le.xml", "\xFF\xFE" + Utf16Bytes(text, false)) + L"\"", std::nullopt},
        {L"--request \"" + SaveFile(folder, L"be.xml", "\xFE\xFF" + Utf16Bytes(text, true)) + L"\"", std::nullopt},
    };
    for (const Read& read : reads) {
        SCOPED_TRACE(CustomPipes::wire::ToUtf8(read.arguments));
        // A fresh server lists nothing until this request comes.
        StopEveryServer();
        RunningServer server = RunningServer::Start();
        spy_.Clear();
        ToolProcess query(QueryCommand(read.arguments), read.input ? ToolStreams::Input(*read.input) : ToolStreams());
        if (PumpUntil([&] { return OfferedMatches(server.Window()) == 1; }, 20000)) {
            EXPECT_EQ(spy_.Requests(), std::vector<std::wstring>{request});
            ChooseAndSend(server.Window(), 0);
        }
        query.Run();
        EXPECT_EQ(query.ExitCode(), 0u) << query.Err();
        EXPECT_NE(query.Out().find("<name>Владимирогорский городской суд</name>"), std::string::npos) << query.Out();
    }

    // UTF-16 without its byte-order mark is said to be what it is, in words.
    spy_.Clear();
    ToolProcess noMark(QueryCommand(L"--request \"" + SaveFile(folder, L"no-mark.xml", Utf16Bytes(text, false)) + L"\""));
    noMark.Run();
    EXPECT_EQ(noMark.ExitCode(), 2u);
    const std::string err = noMark.Err();
    EXPECT_NE(err.find("is not UTF-8 text: the byte at offset 1 is a NUL"), std::string::npos) << err;
    EXPECT_EQ(err.find('\0'), std::string::npos) << "NUL bytes on standard error";

    // Too long for the block: the length the person wrote, beside the wire's.
    CustomPipes::SearchRequest longName = byCode;
    longName.name = std::wstring(4700, L'я');
    const std::string longDocument = DocumentOf(BuildSearchRequest(longName));
    const size_t characters = CustomPipes::wire::DecodeUtf8(longDocument).size();
    ToolProcess tooLong(QueryCommand(L"--request \"" + SaveFile(folder, L"long.xml", longDocument) + L"\""));
    tooLong.Run();
    EXPECT_EQ(tooLong.ExitCode(), 2u);
    EXPECT_NE(tooLong.Err().find("The request is " + std::to_string(characters) + " characters long, " +
                                 std::to_string(longDocument.size()) + " in wire form"),
              std::string::npos)
        << tooLong.Err();
    EXPECT_TRUE(spy_.Requests().empty());
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
    ::PostMessageW(HWND_BROADCAST, RequestMessage(), CustomPipes::kWindowRequestCode,
                   static_cast<LPARAM>(blockName));
}

}  // namespace

TEST(VarnelMonitor, PrintsAnExchangeDecodedAndReportsEachBadBlockInOneLine) {
    StopEveryServer();
    RunningServer server = RunningServer::Start();
    ToolProcess monitor(L"\"" + WindowsPath(VARNEL_MONITOR_EXE) + L"\"");
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
    ToolProcess query(QueryCommand(L"--by code --code 01016433305000 --chosen"));
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

namespace {

std::wstring MonitorCommand(const std::wstring& arguments = {}) {
    return L"\"" + WindowsPath(VARNEL_MONITOR_EXE) + L"\"" + arguments;
}

// The monitor's hidden window once it listens; null when it does not come.
HWND MonitorWindow() {
    HWND window = nullptr;
    PumpUntil([&] { return (window = ::FindWindowW(L"VarnelMonitor", nullptr)) != nullptr; }, 20000);
    return window;
}

}  // namespace

TEST(VarnelMonitor, EndsWithAnErrorAtItsNextLineOnceItsOutputIsClosed) {
    StopEveryServer();
    ToolProcess monitor(MonitorCommand(), ToolStreams::ClosedOutput());
    ASSERT_NE(MonitorWindow(), nullptr);
    PostRequest(4000000002u);  // names no block: one line to write
    ASSERT_TRUE(monitor.WaitForExit(20000)) << "the monitor runs on with nobody reading it";
    EXPECT_EQ(monitor.ExitCode(), 4u);
    EXPECT_NE(monitor.Err().find("the standard output cannot be written"), std::string::npos) << monitor.Err();
}

TEST(VarnelMonitor, ShowsTheControlCharactersOfABlockAsTheirCodes) {
    StopEveryServer();
    ToolProcess monitor(MonitorCommand());
    const HWND window = MonitorWindow();
    ASSERT_NE(window, nullptr);
    // What any process on the desktop can write to fool a person reading the monitor:
    // backspaces over the text, a terminal's "erase the line", "up a line", a bell.
    const std::wstring text = L"<request>Real\b\b\b\bFAKE\x1B[2K\x1B[1A\a</request>\r\n\t<tab/>\r\n";
    const auto block = CustomPipes::NamedBlock::Create(L"4000000004", CustomPipes::kRequestBlockSize);
    ASSERT_GE(block.UsableBytes(), CustomPipes::kRequestBlockSize);
    std::memcpy(block.WritableData(), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    PostRequest(4000000004u);
    ASSERT_TRUE(PumpUntil([&] { return monitor.Out().find("<tab/>") != std::string::npos; }, 20000))
        << monitor.Out() << monitor.Err();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    monitor.Run();

    const std::string out = monitor.Out();
    EXPECT_NE(out.find("\n    <request>Real\\x08\\x08\\x08\\x08FAKE\\x1B[2K\\x1B[1A\\x07</request>\n"), std::string::npos)
        << out;
    EXPECT_NE(out.find("\n    \t<tab/>\n"), std::string::npos) << "a tab is shown as it is: " << out;
    for (const char c : out) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') ADD_FAILURE() << "control byte " << int(c);
    }
}

TEST(ToolsAtStart, MonitorRefusesAFileAsItsFolderServerPrintsItsUsageAndNamesAnotherCopy) {
    StopEveryServer();
    const ScratchFolder folder(L"at-start");
    const std::wstring file = SaveFile(folder, L"not-a-folder", "x");
    ToolProcess monitor(MonitorCommand(L" --xml-dir \"" + file + L"\""));
    ASSERT_TRUE(monitor.WaitForExit(20000)) << "the monitor started with a file for its folder";
    EXPECT_EQ(monitor.ExitCode(), 4u);
    EXPECT_NE(monitor.Err().find("is a file, not a folder"), std::string::npos) << monitor.Err();

    ToolProcess help(L"\"" + ServerPath() + L"\" --help");
    ASSERT_TRUE(help.WaitForExit(20000)) << "--help opened the server's window";
    EXPECT_EQ(help.ExitCode(), 0u);
    EXPECT_NE(help.Out().find("Usage: varnel-sample-server.exe"), std::string::npos) << help.Out();
    EXPECT_FALSE(IsServerRunning());

    // Another copy of the sample server, elsewhere, holds the record.
    WriteServerRecord(L"C:\\Old tools\\varnel-sample-server.exe");
    ToolProcess refused(L"\"" + ServerPath() + L"\" --register");
    refused.Run();
    DeleteServerRecord();
    EXPECT_EQ(refused.ExitCode(), 2u);
    EXPECT_NE(refused.Out().find("another copy of the sample server"), std::string::npos) << refused.Out();
    EXPECT_NE(refused.Out().find("--force"), std::string::npos) << refused.Out();
}
