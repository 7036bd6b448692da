// Requests through real request blocks and messages, answers through "Varnel2" and
// the data-ready broadcast.
#include "server_fixtures.h"

#include <algorithm>
#include <string>

using namespace sample_server_driver;

namespace {

constexpr const wchar_t* kSampleCode = L"01016433305000";

}  // namespace

TEST_F(SampleServerTest, TheWindowsDefaultRequestIsAnsweredAtOnceWithBodiesNamedVladimir) {
    RunningServer server = RunningServer::Start();
    TestClient client;
    const sample_answer::Answer a = Decoded(client.Ask(BuildSearchRequest(CustomPipes::SearchRequest{})));
    ASSERT_TRUE(a.wellFormed) << a.error;
    EXPECT_EQ(a.search.at(L"by"), L"name");
    EXPECT_EQ(a.search.at(L"requested"), L"address");
    EXPECT_EQ(a.mode, L"auto");
    ASSERT_GE(a.bodies.size(), 3u);
    EXPECT_EQ(a.found, static_cast<long>(a.bodies.size()));
    for (const auto& body : a.bodies) EXPECT_NE(body.name.find(L"ладимир"), std::wstring::npos) << body.code;
    EXPECT_TRUE(server.IsRunning());
}

TEST_F(SampleServerTest, EachSearchKindIsAnswered) {
    RunningServer server = RunningServer::Start();
    TestClient client;

    const sample_answer::Answer code = Decoded(client.Ask(BuildSearchRequest(ByCode(kSampleCode))));
    EXPECT_EQ(code.search.at(L"by"), L"code");
    EXPECT_EQ(code.search.at(L"code"), kSampleCode);
    ASSERT_EQ(code.bodies.size(), 1u);
    EXPECT_EQ(code.bodies[0].code, kSampleCode);
    EXPECT_EQ(code.bodies[0].name, L"Владимирогорский городской суд");

    const sample_answer::Answer name = Decoded(client.Ask(BuildSearchRequest(ByName(L"КРАСНОБЕРЕЖСКИЙ"))));
    EXPECT_EQ(name.search.at(L"by"), L"name");
    ASSERT_GE(name.bodies.size(), 3u);
    for (const auto& body : name.bodies) EXPECT_NE(body.name.find(L"раснобережск"), std::wstring::npos);

    const sample_answer::Answer surname = Decoded(client.Ask(BuildSearchRequest(ByName(L"Корнеева", CustomPipes::SearchRequest::NameOf::OfficialSurname))));
    EXPECT_EQ(surname.search.at(L"by"), L"surname");
    ASSERT_EQ(surname.bodies.size(), 3u);
    for (const auto& body : surname.bodies) {
        ASSERT_EQ(body.judges.size(), 1u);
        EXPECT_EQ(body.judges[0].rfind(L"Корнеева ", 0), 0u);
    }

    CustomPipes::SearchRequest address;
    address.name.clear();
    address.address.city = L"тайгинск";
    address.address.street = L"Оленья";
    const sample_answer::Answer byAddress = Decoded(client.Ask(BuildSearchRequest(address)));
    EXPECT_EQ(byAddress.search.at(L"by"), L"address");
    EXPECT_EQ(byAddress.search.at(L"city"), L"тайгинск");
    ASSERT_EQ(byAddress.bodies.size(), 2u);  // the city court and the bailiffs on Оленья street
    for (const auto& body : byAddress.bodies) EXPECT_NE(body.address.find(L"ул. Оленья"), std::wstring::npos);
}

TEST_F(SampleServerTest, ARequestAnsweredThroughTheWindowWaitsForTheChoice) {
    RunningServer server = RunningServer::Start();
    TestClient client;
    client.ForgetAnswers();
    client.WriteRequest(BuildSearchRequest(ByName(L"мировой судья", {}, CustomPipes::SearchRequest::Answer::ChosenInVarnel)));
    client.Notify();
    EXPECT_FALSE(client.WaitForAnswer(1500)) << "answered without a choice";
    ASSERT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) > 2; }, 5000));
    const int offered = OfferedMatches(server.Window());

    ChooseAndSend(server.Window(), 2);
    const sample_answer::Answer a = Decoded(client.WaitForAnswer());
    ASSERT_TRUE(a.wellFormed) << a.error;
    EXPECT_EQ(a.mode, L"chosen");
    EXPECT_EQ(a.found, offered);
    ASSERT_EQ(a.bodies.size(), 1u);
    // The third body the search finds is the one sent: compare with an automatic answer.
    const sample_answer::Answer all = Decoded(client.Ask(BuildSearchRequest(ByName(L"мировой судья"))));
    ASSERT_EQ(static_cast<int>(all.bodies.size()), offered);
    EXPECT_EQ(a.bodies[0].code, all.bodies[2].code);
}

TEST_F(SampleServerTest, TheAnswerBlockHoldsTheLatestAnswerOnlyUpToItsNul) {
    RunningServer server = RunningServer::Start();
    TestClient client;
    const auto longer = client.Ask(BuildSearchRequest(ByName(L"суд")));
    const auto shorter = client.Ask(BuildSearchRequest(ByCode(kSampleCode)));
    ASSERT_TRUE(longer && shorter);
    ASSERT_GT(longer->size(), shorter->size());
    EXPECT_EQ(sample_answer::Read(*shorter).bodies.size(), 1u);
    EXPECT_TRUE(sample_answer::Read(*shorter).wellFormed);
    EXPECT_EQ(shorter->substr(shorter->size() - 17), L"</VarnelAnswer>\r\n");
}

// Each bad block, in a client of its own, is followed at once by a good request: the
// server takes them in turn, so when the good one is answered the bad one has been
// read, and it must not have been answered. The sample server's answers carry the
// request's lParam, which tells them apart.
TEST_F(SampleServerTest, BadRequestBlocksAreNotAnsweredAndTheServerGoesOn) {
    RunningServer server = RunningServer::Start();
    TestClient client;
    const std::wstring good = BuildSearchRequest(ByCode(kSampleCode));

    // sendBad(requester) announces the bad request and returns the lParam it used.
    const auto sendBadThenGood = [&](const char* what, bool answered, auto&& sendBad) {
        client.ForgetAnswers();
        const uint32_t badRequester = sendBad();
        client.WriteRequest(good);
        client.Notify();
        const auto answer = client.WaitForAnswerTo(CustomPipes::WindowHandleValue(client.Window()));
        const sample_answer::Answer a = Decoded(answer);
        EXPECT_TRUE(a.wellFormed) << what;
        EXPECT_EQ(a.Echo(L"code"), kSampleCode) << what;
        EXPECT_EQ(client.AnswersTo(badRequester) > 0, answered) << what;
        EXPECT_TRUE(server.IsRunning()) << what;
    };
    const auto inOwnBlock = [](TestClient& bad, std::wstring_view text) {
        bad.WriteRequest(text);
        bad.Notify();
        return CustomPipes::WindowHandleValue(bad.Window());
    };

    TestClient malformed;
    sendBadThenGood("malformed XML", false, [&] {
        return inOwnBlock(malformed, std::wstring(L"<ParamsForVarnel><Names><name>a & b</name></Names>") + L'\0');
    });
    TestClient doctype;
    sendBadThenGood("DOCTYPE", false, [&] {
        return inOwnBlock(doctype, std::wstring(L"<!DOCTYPE p [<!ENTITY a \"x\">]><ParamsForVarnel><Names><use>yes</use>"
                                                L"<name>&a;</name></Names></ParamsForVarnel>") + L'\0');
    });
    sendBadThenGood("missing block", false, [&] {
        client.Notify(4000000001u);
        return 4000000001u;
    });
    TestClient unterminated;
    sendBadThenGood("unterminated block", false, [&] {
        const std::wstring full(CustomPipes::kRequestBlockSize / sizeof(wchar_t), L'<');
        unterminated.WriteBytes(full.data(), CustomPipes::kRequestBlockSize);
        unterminated.Notify();
        return CustomPipes::WindowHandleValue(unterminated.Window());
    });
    TestClient undersized(4096);
    sendBadThenGood("undersized block", false, [&] { return inOwnBlock(undersized, good); });
    // Stacked combining marks and control characters: a good request all the same,
    // answered, and shown sanitised in the log.
    TestClient hostile;
    sendBadThenGood("hostile text", true, [&] {
        return inOwnBlock(hostile, BuildSearchRequest(ByName(L"a\u0301\u0302\u0303\u0304\u0305\u0489 \u202E\u200B\uFEFF")));
    });
}
