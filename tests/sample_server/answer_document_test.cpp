#include "answer_document.h"
#include "directory.h"
#include "sample_answer.h"
#include "search.h"
#include "wire_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace sample_server;
using CustomPipes::LaunchSwitch;

namespace {

std::vector<Match> AllBodies() {
    std::vector<Match> all;
    for (const Body& body : SampleDirectory()) all.push_back({&body, {}});
    return all;
}

std::wstring_view WithoutNul(const WrittenAnswer& answer) {
    return std::wstring_view(answer.text).substr(0, answer.text.size() - 1);
}

}  // namespace

TEST(AnswerDocument, CarriesTheEchoTheCountAndEveryBody) {
    const Search search = SearchForSwitch({LaunchSwitch::Name, L"владимир"});
    const std::vector<Match> found = FindBodies(search, SampleDirectory());
    const WrittenAnswer written = WriteAnswer(search, AnswerMode::Auto, found.size(), found);
    ASSERT_EQ(written.text.back(), L'\0');
    EXPECT_EQ(written.text.find(L'\0'), written.text.size() - 1);
    EXPECT_FALSE(written.truncated);

    const sample_answer::Answer a = sample_answer::Read(WithoutNul(written));
    ASSERT_TRUE(a.wellFormed) << a.error;
    EXPECT_EQ(a.root, L"VarnelAnswer");
    EXPECT_EQ(a.search.at(L"by"), L"name");
    EXPECT_EQ(a.search.at(L"name"), L"владимир");
    EXPECT_EQ(a.search.count(L"requested"), 0u);
    EXPECT_EQ(a.mode, L"auto");
    EXPECT_EQ(a.found, static_cast<long>(found.size()));
    EXPECT_FALSE(a.truncated);
    ASSERT_EQ(a.bodies.size(), found.size());
    for (size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(a.bodies[i].code, found[i].body->code);
        EXPECT_EQ(a.bodies[i].name, found[i].body->name);
        EXPECT_EQ(a.bodies[i].kind, found[i].body->kind);
        EXPECT_EQ(a.bodies[i].address, FormatAddress(found[i].body->address));
        EXPECT_EQ(a.bodies[i].phone, found[i].body->phone);
        EXPECT_TRUE(a.bodies[i].judges.empty());
    }
}

TEST(AnswerDocument, IsWireTextWhoseAnsiBytesAreTheUtf8DocumentWithCrLfLines) {
    const Search search = SearchForSwitch({LaunchSwitch::Code, L"01016433305000"});
    const std::vector<Match> found = FindBodies(search, SampleDirectory());
    const WrittenAnswer written = WriteAnswer(search, AnswerMode::Chosen, 1, found);
    const std::string bytes = CustomPipes::wire::ToAnsiBytes(WithoutNul(written));
    EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);
    EXPECT_NE(bytes.find(CustomPipes::wire::ToUtf8(found[0].body->name)), std::string::npos);
    // Every line ends with CR LF, the last one too.
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            EXPECT_EQ(bytes[i - 1], '\r') << i;
        }
        if (bytes[i] == '\r') {
            EXPECT_EQ(bytes[i + 1], '\n') << i;
        }
    }
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    // And the wire form is one character per UTF-8 byte.
    EXPECT_EQ(WithoutNul(written).size(), bytes.size());
}

TEST(AnswerDocument, EscapesWhatTheRequestSentAndEchoesItBack) {
    EXPECT_EQ(EscapeXml(L"a<b>&c\"'"), L"a&lt;b&gt;&amp;c\"'");
    const Search search = SearchForSwitch({LaunchSwitch::Name, L"<суд> & \"палата\""});
    const WrittenAnswer written = WriteAnswer(search, AnswerMode::Auto, 0, {});
    const sample_answer::Answer a = sample_answer::Read(WithoutNul(written));
    ASSERT_TRUE(a.wellFormed) << a.error;
    EXPECT_EQ(a.search.at(L"name"), L"<суд> & \"палата\"");
    EXPECT_EQ(a.found, 0);
    EXPECT_TRUE(a.bodies.empty());
}

TEST(AnswerDocument, LoneSurrogatesFromACommandLineBecomeReplacementCharacters) {
    const Search search = SearchForSwitch({LaunchSwitch::Name, std::wstring(L"a\xD800" L"b\xDC00", 4)});
    const sample_answer::Answer a = sample_answer::Read(WithoutNul(WriteAnswer(search, AnswerMode::Chosen, 0, {})));
    ASSERT_TRUE(a.wellFormed) << a.error;
    EXPECT_EQ(a.search.at(L"name"), L"a\uFFFDb\uFFFD");
}

TEST(AnswerDocument, LongEchoesAreCutWithAnEllipsis) {
    const std::wstring longName(1000, L'ж');
    const WrittenAnswer written = WriteAnswer(SearchForSwitch({LaunchSwitch::Name, longName}), AnswerMode::Auto, 0, {});
    const sample_answer::Answer a = sample_answer::Read(WithoutNul(written));
    ASSERT_TRUE(a.wellFormed);
    EXPECT_EQ(a.search.at(L"name"), std::wstring(kMaxEchoCharacters, L'ж') + L"\u2026");
}

TEST(AnswerDocument, AnAddressSearchEchoesAllItsFieldsAndTheFallBackIsNamed) {
    Search address;
    address.kind = address.requested = SearchKind::Address;
    address.typesearch = L"AddressOfObject";
    address.address.city = L"Тайгинск";
    address.address.street = L"Оленья";
    const sample_answer::Answer a = sample_answer::Read(WithoutNul(WriteAnswer(address, AnswerMode::Auto, 0, {})));
    EXPECT_EQ(a.search.at(L"by"), L"address");
    EXPECT_EQ(a.search.at(L"typesearch"), L"AddressOfObject");
    EXPECT_EQ(a.search.at(L"city"), L"Тайгинск");
    EXPECT_EQ(a.search.at(L"Street"), L"Оленья");
    EXPECT_EQ(a.search.at(L"subj"), L"");

    Search fallBack = SearchForSwitch({LaunchSwitch::Name, L"владимир"});
    fallBack.requested = SearchKind::Address;
    const sample_answer::Answer b = sample_answer::Read(WithoutNul(WriteAnswer(fallBack, AnswerMode::Auto, 0, {})));
    EXPECT_EQ(b.search.at(L"by"), L"name");
    EXPECT_EQ(b.search.at(L"requested"), L"address");
}

TEST(AnswerDocument, SurnameSearchesListTheMatchingJudges) {
    const Search search = SearchForSwitch({LaunchSwitch::Surname, L"Корнеева"});
    const std::vector<Match> found = FindBodies(search, SampleDirectory());
    const sample_answer::Answer a =
        sample_answer::Read(WithoutNul(WriteAnswer(search, AnswerMode::Auto, found.size(), found)));
    ASSERT_EQ(a.bodies.size(), found.size());
    for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ(a.bodies[i].judges, found[i].judges);
}

// At every limit the answer fits, stays well-formed, keeps the bodies in order and
// holds as many as there is room for.
TEST(AnswerDocument, IsCutAtAWholeBodyWithAMarkerAtEveryLimit) {
    const Search search = SearchForSwitch({LaunchSwitch::Name, L"суд"});
    const std::vector<Match> all = AllBodies();
    const WrittenAnswer full = WriteAnswer(search, AnswerMode::Auto, all.size(), all);
    ASSERT_FALSE(full.truncated);
    const size_t fullSize = full.text.size() - 1;
    ASSERT_EQ(WriteAnswer(search, AnswerMode::Auto, all.size(), all, fullSize).bodiesWritten, all.size());

    const WrittenAnswer none = WriteAnswer(search, AnswerMode::Auto, all.size(), {});
    size_t previous = 0;
    for (size_t limit = none.text.size() + 40; limit < fullSize; limit += 37) {
        const WrittenAnswer cut = WriteAnswer(search, AnswerMode::Auto, all.size(), all, limit);
        ASSERT_LE(cut.text.size() - 1, limit);
        ASSERT_TRUE(cut.truncated) << limit;
        const sample_answer::Answer a = sample_answer::Read(WithoutNul(cut));
        ASSERT_TRUE(a.wellFormed) << limit << " " << a.error;
        ASSERT_TRUE(a.truncated);
        EXPECT_EQ(a.truncatedSent, static_cast<long>(a.bodies.size()));
        EXPECT_EQ(a.truncatedFound, static_cast<long>(all.size()));
        EXPECT_EQ(a.found, static_cast<long>(all.size()));
        ASSERT_EQ(a.bodies.size(), cut.bodiesWritten);
        for (size_t i = 0; i < a.bodies.size(); ++i) EXPECT_EQ(a.bodies[i].code, all[i].body->code);
        // One more body would not have fitted beside the marker (whose count may be a
        // digit shorter than the room kept for it).
        if (cut.bodiesWritten + 1 < all.size()) {
            const auto unlimited = [&](size_t n) {
                return WriteAnswer(search, AnswerMode::Auto, all.size(), std::span(all).first(n), 1000000).text.size();
            };
            const size_t nextBody = unlimited(cut.bodiesWritten + 1) - unlimited(cut.bodiesWritten);
            EXPECT_GT(cut.text.size() - 1 + nextBody + std::to_wstring(all.size()).size(), limit) << limit;
        }
        EXPECT_GE(cut.bodiesWritten, previous);
        previous = cut.bodiesWritten;
    }
}

TEST(AnswerDocument, NeverPassesTheCourtServicesBlock) {
    // Ten copies of the directory: far more than 65536 bytes of answer.
    std::vector<Match> many;
    for (int copy = 0; copy < 10; ++copy) {
        for (const Match& m : AllBodies()) many.push_back(m);
    }
    const WrittenAnswer written = WriteAnswer(SearchForSwitch({LaunchSwitch::Name, L"суд"}), AnswerMode::Auto, many.size(), many);
    EXPECT_EQ(MaxAnswerCharacters(), 32767u);
    EXPECT_LE(written.text.size() * sizeof(wchar_t), 65536u);
    EXPECT_TRUE(written.truncated);
    EXPECT_GT(written.bodiesWritten, 50u);
    const sample_answer::Answer a = sample_answer::Read(WithoutNul(written));
    ASSERT_TRUE(a.wellFormed) << a.error;
    EXPECT_EQ(a.truncatedSent, static_cast<long>(written.bodiesWritten));
    EXPECT_EQ(a.truncatedFound, static_cast<long>(many.size()));
}

// Whatever a switch or a request carries, the answer is a well-formed document of CR LF
// lines inside the block that echoes the value, as far as XML 1.0 can hold it.
TEST(AnswerDocument, AnyEchoedTextKeepsTheDocumentWellFormed) {
    std::mt19937 random(20261209);
    std::uniform_int_distribution<int> length(0, 300), pick(0, 9);
    const auto character = [&]() -> wchar_t {
        switch (pick(random)) {
            case 0: return static_cast<wchar_t>(random() % 0x20);  // controls, CR, LF, NUL
            case 1: return static_cast<wchar_t>(0xD800 + random() % 0x800);  // surrogates
            case 2: return L"<>&\"'"[random() % 5];
            case 3: return static_cast<wchar_t>(0xFFF0 + random() % 0x10);
            case 4: return static_cast<wchar_t>(0x0300 + random() % 0x70);  // combining marks
            default: return static_cast<wchar_t>(0x20 + random() % 0xD7E0);
        }
    };
    constexpr LaunchSwitch kSwitches[] = {LaunchSwitch::Name, LaunchSwitch::Code, LaunchSwitch::Surname};
    for (int round = 0; round < 2000; ++round) {
        std::wstring value;
        for (int n = length(random); n > 0; --n) value += character();
        const Search search = SearchForSwitch({kSwitches[round % 3], value});
        const WrittenAnswer written = WriteAnswer(search, AnswerMode::Chosen, 0, {});
        ASSERT_LE(written.text.size() - 1, MaxAnswerCharacters());
        const sample_answer::Answer a = sample_answer::Read(WithoutNul(written));
        ASSERT_TRUE(a.wellFormed) << round << ": " << a.error;
        EXPECT_EQ(CustomPipes::wire::DecodeLines(WithoutNul(written)).size(), 9u) << round;  // no value breaks a line
        if (!search.text.empty() && search.text.size() <= kMaxEchoCharacters &&
            search.text.find_first_of(std::wstring(L"\t\r\n\xFFFE\xFFFF", 5)) == std::wstring::npos &&
            !CustomPipes::wire::FindLoneSurrogate(search.text) &&
            std::none_of(search.text.begin(), search.text.end(), [](wchar_t c) { return c < 0x20; })) {
            EXPECT_EQ(a.Echo(search.kind == SearchKind::Code ? L"code" : L"name"), search.text) << round;
        }
    }
}
