// The turn our clients take for a whole exchange: Varnel has one answer block, so a
// second client that announced its request while the first still waits could have its
// answer read as the first one's. Nothing here depends on timing luck: the sample
// server's window thread is held still, so the first client's request stays unanswered
// for as long as the test wants, and every request notice is counted meanwhile.
#include "demo_process.h"
#include "server_fixtures.h"
#include "tool_process.h"
#include "varnel_library.h"

#include <gtest/gtest.h>

#include <thread>

using namespace window_driving;
using namespace sample_server_driver;
using namespace ControlId;

namespace {

constexpr const wchar_t* kFirstCode = L"01016433305000";
constexpr const wchar_t* kQueryCode = L"01016433306000";
constexpr const wchar_t* kSecondCode = L"01016433307000";
constexpr DWORD kHeldMs = 2000;

// A search of varnel.dll by court code, run on a thread of its own as a host's worker runs it.
class SearchOnThread {
public:
    SearchOnThread(const VarnelLibrary& library, const wchar_t* code)
        : thread_([this, &library, code] {
              LibrarySearch search(library);
              result_ = search.Set(L"by", L"code");
              if (result_ == 0) result_ = search.Set(L"code", code);
              if (result_ == 0) result_ = search.Run(20000);
              answer_ = search.Answer();
              error_ = search.Error();
          }) {}
    ~SearchOnThread() {
        if (thread_.joinable()) thread_.join();
    }
    SearchOnThread(const SearchOnThread&) = delete;
    SearchOnThread& operator=(const SearchOnThread&) = delete;

    // Waits for the end; the answer, with the result and reason when it is not 0.
    std::string Outcome() {
        thread_.join();
        return result_ == 0 ? CustomPipes::wire::ToUtf8(answer_)
                            : "result " + std::to_string(result_) + ": " + CustomPipes::wire::ToUtf8(error_);
    }

private:
    int result_ = -1;
    std::wstring answer_, error_;
    std::thread thread_;
};


std::string CodeElement(const wchar_t* code) { return "<code>" + CustomPipes::wire::ToUtf8(code) + "</code>"; }

// True when answer names code and none of the other codes the test asks for.
bool NamesOnly(const std::string& answer, const wchar_t* code) {
    for (const wchar_t* other : {kFirstCode, kQueryCode, kSecondCode}) {
        if ((answer.find(CodeElement(other)) != std::string::npos) != (other == code)) return false;
    }
    return true;
}

// The sample server running and held still, and a first search of the library that has
// announced its request and waits for the answer, holding the turn.
class ExchangeTurn : public NoServerAndNoRecord {
protected:
    void SetUp() override {
        NoServerAndNoRecord::SetUp();
        server_ = RunningServer::Start();
        held_.emplace(server_.Window());
        first_.emplace(library_, kFirstCode);
        ASSERT_EQ(requests_.WaitFor(1, 10000), 1) << "the first search announced no request";
    }
    void TearDown() override {
        held_.reset();
        first_.reset();  // its answer comes, or its timeout ends, before the server goes
        NoServerAndNoRecord::TearDown();
    }

    VarnelLibrary library_{WindowsPath(VARNEL_DLL)};
    NoticeListener requests_{{RequestMessage()}, NoticeListener::Thread::Own};
    RunningServer server_;
    std::optional<HeldThread> held_;
    std::optional<SearchOnThread> first_;
};

}  // namespace

TEST_F(ExchangeTurn, NoOtherClientAnnouncesARequestUntilTheFirstHasItsAnswer) {
    ToolProcess query(L"\"" + WindowsPath(VARNEL_QUERY_EXE) + L"\" --by code --code " + kQueryCode + L" --timeout 20");
    SearchOnThread second(library_, kSecondCode);
    // varnel-query has made its hidden window and block: next it asks for the turn.
    EXPECT_TRUE(PumpUntil([] { return ExchangeClientWindow(ClientProcess::Another) != nullptr; }, 10000));
    ::Sleep(kHeldMs);
    EXPECT_EQ(requests_.Count(), 1) << "another client announced its request while the first waited for its answer";

    held_->Resume();
    const std::string first = first_->Outcome();
    EXPECT_TRUE(NamesOnly(first, kFirstCode)) << first;
    const std::string secondAnswer = second.Outcome();
    EXPECT_TRUE(NamesOnly(secondAnswer, kSecondCode)) << secondAnswer;
    query.Run(30000);
    EXPECT_EQ(query.ExitCode(), 0u) << query.Err();
    EXPECT_TRUE(NamesOnly(query.Out(), kQueryCode)) << query.Out() << query.Err();
    EXPECT_EQ(requests_.Count(), 3);
}

TEST_F(ExchangeTurn, TheDemosPressWhileAnotherClientWaitsSaysSoAndPostsNothing) {
    window_driving::DemoProcess demo(DemoPath());
    ASSERT_TRUE(demo.MainWindow());
    window_driving::Click(demo.Control(Button1));
    const HWND box = demo.WaitForMessageBox(kTitle, 10000);
    ASSERT_TRUE(box) << "the press while another client waits for its answer said nothing";
    EXPECT_NE(window_driving::MessageBoxText(box).find(L"Another program is waiting for Varnel's answer"), std::wstring::npos)
        << CustomPipes::wire::ToUtf8(window_driving::MessageBoxText(box));
    window_driving::CloseMessageBox(box);
    EXPECT_EQ(requests_.Count(), 1) << "the demo announced its request while another client waited for its answer";

    // Once the first client has its answer, the turn is free and a press sends.
    held_->Resume();
    const std::string first = first_->Outcome();
    EXPECT_TRUE(NamesOnly(first, kFirstCode)) << first;
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(Button1)));
    EXPECT_TRUE(window_driving::WaitUntil([&] { return Memo1Text(demo).find(L"<VarnelAnswer>") != std::wstring::npos; }, 10000));
    EXPECT_FALSE(demo.HasMessageBox(kTitle));
    EXPECT_EQ(requests_.Count(), 2);
}
