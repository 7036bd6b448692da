// The command-line switches and the hand-over of a second start, with the real program.
#include "server_fixtures.h"
#include "child_process.h"

using namespace sample_server_driver;

namespace {

// Starts the server with a switch, checks what its window offers, then has the first
// body sent and returns the answer.
sample_answer::Answer ChooseFirst(RunningServer& server, TestClient& client) {
    client.ForgetAnswers();
    ChooseAndSend(server.Window(), 0);
    const auto answer = client.WaitForAnswer();
    EXPECT_TRUE(answer) << "the chosen body was not sent";
    return answer ? sample_answer::Read(*answer) : sample_answer::Answer{};
}

}  // namespace

TEST_F(SampleServerTest, TheNameSwitchOpensWithItsSearchDoneSpacesIncluded) {
    TestClient client;
    RunningServer server = RunningServer::Start(L" -a:владимирогорский городской");
    ASSERT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) == 1; }, 5000))
        << OfferedMatches(server.Window());
    const sample_answer::Answer a = ChooseFirst(server, client);
    EXPECT_EQ(a.search.at(L"by"), L"name");
    EXPECT_EQ(a.search.at(L"name"), L"владимирогорский городской");
    EXPECT_EQ(a.mode, L"chosen");
    ASSERT_EQ(a.bodies.size(), 1u);
    EXPECT_EQ(a.bodies[0].code, L"01016433305000");
}

TEST_F(SampleServerTest, TheCodeSwitchFindsTheSampleBody) {
    TestClient client;
    RunningServer server = RunningServer::Start(L" -i:01016433305000");
    ASSERT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) == 1; }, 5000));
    const sample_answer::Answer a = ChooseFirst(server, client);
    EXPECT_EQ(a.search.at(L"by"), L"code");
    ASSERT_EQ(a.bodies.size(), 1u);
    EXPECT_EQ(a.bodies[0].code, L"01016433305000");
}

TEST_F(SampleServerTest, TheSurnameSwitchListsTheJudge) {
    TestClient client;
    RunningServer server = RunningServer::Start(L" -f:Ёлкина");
    ASSERT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) == 1; }, 5000));
    const sample_answer::Answer a = ChooseFirst(server, client);
    EXPECT_EQ(a.search.at(L"by"), L"surname");
    ASSERT_EQ(a.bodies.size(), 1u);
    EXPECT_EQ(a.bodies[0].judges, std::vector<std::wstring>{L"Ёлкина М. С."});
}

TEST_F(SampleServerTest, WithoutASwitchNothingIsOfferedAndNothingIsSentOnThePress) {
    TestClient client;
    RunningServer server = RunningServer::Start();
    EXPECT_EQ(OfferedMatches(server.Window()), 0);
    client.ForgetAnswers();
    ChooseAndSend(server.Window(), 0);
    EXPECT_FALSE(client.WaitForAnswer(1000));
    EXPECT_TRUE(server.IsRunning());
}

TEST_F(SampleServerTest, ASecondStartHandsItsSwitchToTheRunningServerAndEnds) {
    TestClient client;
    RunningServer server = RunningServer::Start();
    ASSERT_EQ(OfferedMatches(server.Window()), 0);

    const ProcessOutput second = RunAndCapture(L"\"" + ServerPath() + L"\" -i:02024471205000", 30000);
    EXPECT_EQ(second.exitCode, 0u);
    ASSERT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) == 1; }, 5000));
    // Only the first server has a window.
    EXPECT_EQ(::FindWindowExW(nullptr, server.Window(), CustomPipes::kVarnelWindowClass, nullptr), nullptr);

    const sample_answer::Answer a = ChooseFirst(server, client);
    EXPECT_EQ(a.search.at(L"code"), L"02024471205000");
    ASSERT_EQ(a.bodies.size(), 1u);
    EXPECT_EQ(a.bodies[0].name, L"Арбитражный суд Краснобережского края");

    // The running server keeps answering requests after the hand-over.
    const sample_answer::Answer next = Decoded(client.Ask(BuildSearchRequest(ByCode(L"01016433305000"))));
    EXPECT_EQ(next.search.at(L"code"), L"01016433305000");
}

TEST_F(SampleServerTest, TheClientsUnquotedCommandLineIsUnderstood) {
    // The launch page starts the server as path + " -f:" + surname, without quotes.
    RunningServer server = RunningServer::StartCommandLine(ServerPath() + L" -f:Корнеев");
    EXPECT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) == 4; }, 5000))
        << OfferedMatches(server.Window());
}
