// The sample server under hostile requests, written into real blocks and announced as
// a client announces them: after each it still runs and answers the next good request,
// and it never answers the hostile one.
#include "blocks.h"
#include "named_block.h"
#include "notice_listener.h"
#include "raised_error.h"
#include "random_text.h"
#include "registry_fixture.h"
#include "request_document.h"
#include "sample_answer.h"
#include "sample_server_driver.h"
#include "search_request.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

using namespace sample_server_driver;
using Clock = std::chrono::steady_clock;

namespace {

constexpr const wchar_t* kSampleCode = L"01016433305000";
constexpr size_t kBlock = CustomPipes::kRequestBlockSize;

std::wstring WithNul(std::wstring text) { return text + L'\0'; }

std::wstring GoodRequest() {
    CustomPipes::SearchRequest f;
    f.by = CustomPipes::SearchRequest::By::Code;
    f.code = kSampleCode;
    return BuildSearchRequest(f);
}

// n levels of <a> inside the root, closed or left open.
std::wstring Nested(size_t levels, bool closed) {
    std::wstring text = L"<ParamsForVarnel>";
    text.reserve(levels * 7 + 40);
    for (size_t i = 0; i < levels; ++i) text += L"<a>";
    if (closed) {
        for (size_t i = 0; i < levels; ++i) text += L"</a>";
        text += L"</ParamsForVarnel>";
    }
    return text;
}

std::wstring BillionLaughs() {
    std::wstring text = L"<?xml version=\"1.0\"?>\r\n<!DOCTYPE ParamsForVarnel [\r\n <!ENTITY lol \"lol\">\r\n";
    text += L" <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\r\n";
    for (int i = 2; i <= 9; ++i) {
        text += L" <!ENTITY lol" + std::to_wstring(i) + L" \"";
        for (int k = 0; k < 10; ++k) text += L"&lol" + std::to_wstring(i - 1) + L";";
        text += L"\">\r\n";
    }
    text += L"]>\r\n<ParamsForVarnel><Names><use>yes</use><name>&lol9;</name></Names></ParamsForVarnel>\r\n";
    return text;
}

std::wstring HugeAttribute(size_t characters) {
    return L"<ParamsForVarnel a=\"" + std::wstring(characters, L'x') +
           L"\"><Names><use>yes</use><name>sud</name></Names></ParamsForVarnel>";
}

std::string Bytes(const std::wstring& text) { return CustomPipes::wire::ToAnsiBytes(text); }

// The parser's outcome for a document: empty when it was read, else the refusal.
std::wstring Outcome(const std::string& document) {
    return ErrorTextOf([&] { CustomPipes::ParseRequestDocument(document); }, {});
}

class ServerUnderHostileRequests : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(PumpUntil([] { return !IsServerRunning(); }, 10000)) << "another server runs";
        DeleteServerRecord();
        server_ = RunningServer::Start();
        ASSERT_TRUE(server_.Window());
    }

    // Sends the hostile request (through hostile_, whose block is its own, or under
    // another block name), then the good one through client_. The server takes the
    // notices in turn, so when the good answer comes the hostile block has been read.
    // Every answer carries its request's lParam: the hostile one must not be answered
    // (or must be, when it is well-formed: `answered`), the good one exactly once, and
    // the server must still run.
    enum class Hostile { NotAnswered, Answered, Either };
    void ThenAGoodRequestIsAnswered(const std::string& what, const std::function<void()>& sendHostile,
                                    Hostile expected = Hostile::NotAnswered, LPARAM hostileName = 0) {
        SCOPED_TRACE(what);
        const LPARAM good = reinterpret_cast<LPARAM>(client_.Window());
        const LPARAM hostile = hostileName ? hostileName : reinterpret_cast<LPARAM>(hostile_.Window());
        answers_.CountAfter(0);
        answers_.Clear();
        const auto start = Clock::now();
        sendHostile();
        client_.WriteRequest(good_);
        client_.Notify();
        ASSERT_TRUE(PumpUntil([&] { return answers_.CountOf(good) > 0; }, 20000))
            << "no answer to the good request";
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        // The server answers in the order of the notices: an answer to the hostile
        // request would have come first; this catches a second one.
        answers_.CountAfter(50);
        EXPECT_EQ(answers_.CountOf(good), 1);
        if (expected == Hostile::NotAnswered) {
            EXPECT_EQ(answers_.CountOf(hostile), 0) << "the hostile request was answered";
        } else if (expected == Hostile::Answered) {
            EXPECT_EQ(answers_.CountOf(hostile), 1) << "a well-formed request was not answered";
        }
        EXPECT_EQ(answers_.Count(), answers_.CountOf(good) + answers_.CountOf(hostile)) << "an answer to nobody";
        const std::optional<std::wstring> answer = ReadAnswerBlock();
        ASSERT_TRUE(answer.has_value());
        const sample_answer::Answer a = sample_answer::Read(*answer);
        EXPECT_TRUE(a.wellFormed) << a.error;
        EXPECT_EQ(a.Echo(L"code"), kSampleCode) << "the good request's answer is not the last";
        EXPECT_TRUE(server_.IsRunning());
        slowest_ = std::max<long long>(slowest_, ms);
        ++checked_;
    }

    void TearDown() override {
        // Nothing more arrives late: the block still holds the last good answer.
        const std::optional<std::wstring> last = ReadAnswerBlock();
        PumpUntil([] { return false; }, 300);
        EXPECT_EQ(ReadAnswerBlock(), last);
        EXPECT_TRUE(server_.IsRunning());
        std::printf("%d hostile requests, each followed by a good one; slowest pair %lld ms\n", checked_, slowest_);
    }

    RunningServer server_;
    TestClient client_;
    TestClient hostile_;
    NoticeListener answers_{DataReadyMessage()};
    const std::wstring good_ = GoodRequest();
    int checked_ = 0;
    long long slowest_ = 0;
};

}  // namespace

TEST_F(ServerUnderHostileRequests, RandomBlocks) {
    RandomText random(TestSeed());
    std::vector<unsigned char> bytes(kBlock);
    for (int round = 0; round < 150; ++round) {
        switch (round % 3) {
            case 0:  // raw bytes, a NUL somewhere or none
                for (auto& b : bytes) b = static_cast<unsigned char>(random.Below(256));
                break;
            case 1: {  // text of every kind, as wire text would be, with a NUL
                std::wstring text;
                while (text.size() < kBlock / 2) text += random.Character();
                text.resize(kBlock / 2);
                text[random.Below(kBlock / 2)] = 0;
                std::memcpy(bytes.data(), text.data(), kBlock);
                break;
            }
            default: {  // the good request, damaged in a few places
                std::wstring text = good_;
                for (int n = 1 + static_cast<int>(random.Below(5)); n > 0; --n) {
                    text[random.Below(static_cast<unsigned>(text.size() - 1))] = random.Character()[0];
                }
                text.resize(kBlock / 2, L'\0');
                std::memcpy(bytes.data(), text.data(), kBlock);
            }
        }
        // A damaged request may still be well-formed, and is answered then.
        ThenAGoodRequestIsAnswered(
            "random block " + std::to_string(round),
            [&] {
                hostile_.WriteBytes(bytes.data(), bytes.size());
                hostile_.Notify();
            },
            round % 3 == 2 ? Hostile::Either : Hostile::NotAnswered);
    }
}

TEST_F(ServerUnderHostileRequests, DeepNestingEntityExpansionAndHugeAttributes) {
    // As deep as the block holds: well-formed (1165 levels) and never closed.
    const size_t deepest = (CustomPipes::kMaxRequestCharacters - Nested(0, true).size()) / 7;
    ASSERT_LE(Nested(deepest, true).size(), CustomPipes::kMaxRequestCharacters);
    ThenAGoodRequestIsAnswered(
        "nesting " + std::to_string(deepest) + " levels, closed",
        [&] {
            hostile_.WriteRequest(WithNul(Nested(deepest, true)));
            hostile_.Notify();
        },
        Hostile::Answered);  // well-formed, with nothing to look for
    ThenAGoodRequestIsAnswered("nesting 2700 levels, open", [&] {
        hostile_.WriteRequest(WithNul(Nested(2700, false)));
        hostile_.Notify();
    });

    // 100,000 levels do not fit a request block; a client's block of 1 MB holds them,
    // of which the server reads its 16384 bytes only.
    {
        const std::wstring deep = WithNul(Nested(100000, true));
        TestClient big(static_cast<DWORD>(deep.size() * 2));
        ThenAGoodRequestIsAnswered(
            "nesting 100000 levels in a 1 MB block",
            [&] {
                big.WriteRequest(deep);
                big.Notify();
            },
            Hostile::NotAnswered, reinterpret_cast<LPARAM>(big.Window()));
    }

    ThenAGoodRequestIsAnswered("billion laughs", [&] {
        ASSERT_LE(BillionLaughs().size(), CustomPipes::kMaxRequestCharacters);
        hostile_.WriteRequest(WithNul(BillionLaughs()));
        hostile_.Notify();
    });
    ThenAGoodRequestIsAnswered("undeclared entity", [&] {
        hostile_.WriteRequest(WithNul(L"<ParamsForVarnel><Names><use>yes</use><name>&lol9;</name></Names></ParamsForVarnel>"));
        hostile_.Notify();
    });
    ThenAGoodRequestIsAnswered("parameter entity", [&] {
        hostile_.WriteRequest(WithNul(L"<!DOCTYPE ParamsForVarnel [<!ENTITY % p \"<!ENTITY e 'x'>\"> %p;]><ParamsForVarnel/>"));
        hostile_.Notify();
    });
    ThenAGoodRequestIsAnswered("external entity", [&] {
        hostile_.WriteRequest(WithNul(L"<!DOCTYPE ParamsForVarnel [<!ENTITY e SYSTEM \"file:///C:/windows/win.ini\">]>"
                                     L"<ParamsForVarnel><Names><name>&e;</name></Names></ParamsForVarnel>"));
        hostile_.Notify();
    });

    // A 16 KB attribute: the longest the block holds (16,000 bytes of it) in the block.
    const size_t longest = CustomPipes::kMaxRequestCharacters - HugeAttribute(0).size();
    ThenAGoodRequestIsAnswered(
        "attribute of " + std::to_string(longest) + " characters",
        [&] {
            hostile_.WriteRequest(WithNul(HugeAttribute(longest)));
            hostile_.Notify();
        },
        Hostile::Answered);  // well-formed: a search by name
    ThenAGoodRequestIsAnswered("a thousand attributes", [&] {
        std::wstring text = L"<ParamsForVarnel";
        for (int i = 0; i < 1000 && text.size() < 8000; ++i) text += L" a" + std::to_wstring(i) + L"=\"\"";
        hostile_.WriteRequest(WithNul(text + L"/>"));
        hostile_.Notify();
    }, Hostile::Answered);  // well-formed, with nothing to look for
}

// The same documents straight into the server's parser, at sizes no block can carry.
TEST(ServerRequestParser, HundredThousandLevelsEntitiesAndHugeAttributesAreReadOrRefusedQuickly) {
    struct Case {
        const char* what;
        std::string document;
        bool read;  // read (true) or refused (false)
    };
    const Case cases[] = {
        {"100000 levels, closed", Bytes(Nested(100000, true)), true},
        {"100000 levels, open", Bytes(Nested(100000, false)), false},
        {"billion laughs", Bytes(BillionLaughs()), false},
        {"16 KB attribute", Bytes(HugeAttribute(16384)), true},
        {"16 MB attribute", Bytes(HugeAttribute(16u << 20)), true},
    };
    for (const Case& c : cases) {
        const auto start = Clock::now();
        const std::wstring outcome = Outcome(c.document);
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        EXPECT_EQ(outcome.empty(), c.read) << c.what << ": " << ::testing::PrintToString(outcome);
        EXPECT_LT(ms, 5000) << c.what;
        std::printf("%s: %s in %lld ms\n", c.what, outcome.empty() ? "read" : "refused", static_cast<long long>(ms));
    }
    EXPECT_NE(Outcome(Bytes(BillionLaughs())).find(L"DOCTYPE"), std::wstring::npos);
}

TEST_F(ServerUnderHostileRequests, BlocksThatDoNotExistOrBelongToAnotherProgram) {
    for (const uint32_t name : {0u, 1u, 0x7FFFFFFFu, 0xFFFFFFFFu, 4000000001u}) {
        ThenAGoodRequestIsAnswered("no block named " + std::to_string(name), [&] { client_.Notify(name); },
                                   Hostile::NotAnswered, static_cast<LPARAM>(name));
    }
    // lParam -1 and a value above 32 bits: the server names the block by the low 32 bits.
    ThenAGoodRequestIsAnswered("lParam -1", [&] {
        ::PostMessageW(HWND_BROADCAST, CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::Request),
                       CustomPipes::kWindowRequestCode, static_cast<LPARAM>(-1));
    }, Hostile::NotAnswered, static_cast<LPARAM>(-1));

    // Mappings another program made under a decimal name, of other sizes and kinds.
    const auto foreign = [&](const std::string& what, DWORD protection, DWORD size, const std::wstring& content) {
        const uint32_t name = 3900000000u + static_cast<uint32_t>(checked_);
        const auto block = CustomPipes::NamedBlock::Create(CustomPipes::RequestBlockName(name), size, protection);
        ASSERT_TRUE(block.Mapping()) << what << ": system error " << block.Error();
        if (!content.empty()) {
            ASSERT_TRUE(block.IsMapped()) << what;
            // A reserved block gets its first page committed, and the content there.
            if (protection & SEC_RESERVE) {
                ASSERT_TRUE(::VirtualAlloc(block.WritableData(), 4096, MEM_COMMIT, PAGE_READWRITE));
            }
            std::memcpy(block.WritableData(), content.data(), std::min<size_t>(size, content.size() * 2));
        }
        ThenAGoodRequestIsAnswered(what, [&] { client_.Notify(name); }, Hostile::NotAnswered, static_cast<LPARAM>(name));
    };
    foreign("1-byte block holding nothing", PAGE_READWRITE, 1, L"");
    foreign("4096-byte block holding a good request", PAGE_READWRITE, 4096, good_.substr(0, 2047) + L'\0');
    foreign("read-only 16384-byte block of zeros", PAGE_READONLY, 16384, L"");
    foreign("reserved, never committed 16384-byte block", PAGE_READWRITE | SEC_RESERVE, 16384, L"");
    foreign("reserved, never committed 1 MB block", PAGE_READWRITE | SEC_RESERVE, 1 << 20, L"");
    ASSERT_LT(good_.size(), 2048u);
    foreign("reserved 16384-byte block with a good request on its one committed page", PAGE_READWRITE | SEC_RESERVE,
            16384, good_);
    {
        // A copy of what "Varnel2" holds now: the server's own answer document.
        const std::optional<std::wstring> own = ReadAnswerBlock();
        ASSERT_TRUE(own.has_value());
        foreign("65536-byte block holding Varnel2's answer", PAGE_READWRITE, 65536, *own + L'\0');
    }
    foreign("16384-byte block of the good request without its NUL", PAGE_READWRITE, 16384,
            std::wstring(good_.substr(0, good_.size() - 1)) + std::wstring(kBlock / 2, L' '));
    // The client's own block, closed before the server reads it.
    std::optional<TestClient> gone(std::in_place);
    const LPARAM goneName = reinterpret_cast<LPARAM>(gone->Window());
    ThenAGoodRequestIsAnswered(
        "a block closed right after the notice",
        [&] {
            gone->WriteRequest(L"<ParamsForVarnel>" + std::wstring(1, L'\0'));  // never answered, read or not
            gone->Notify();
            gone.reset();
        },
        Hostile::NotAnswered, goneName);
}
