// Button1 "Отправить запрос в Varnel" with Varnel not installed: the request still
// reaches the request block, and nothing else happens. At the bounds of the block, all
// its 16384 bytes hold a pattern before each press; after it exactly the request and
// its NUL lie at the start and not one byte after them has changed, and a request too
// long for the block changes no byte at all and is reported.
#include "blocks.h"
#include "demo_process.h"
#include "error_text.h"
#include "raised_error.h"
#include "registry_fixture.h"
#include "search_request.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace window;
using namespace window_driving;

using namespace ControlId;

namespace {

// The request built in this process from the page's fields, as Varnel will read it.
std::wstring ExpectedRequest(const CustomPipes::SearchRequest& fields) { return BuildSearchRequest(fields); }

CustomPipes::SearchRequest WithName(std::wstring name) {
    CustomPipes::SearchRequest fields;
    fields.name = std::move(name);
    return fields;
}

constexpr size_t kBlock = CustomPipes::kRequestBlockSize;

// The byte a block holds at offset before a press: never 0, never the same for
// neighbouring bytes, so a stray write of any value shows.
unsigned char PatternByte(size_t offset) { return static_cast<unsigned char>(1 + (offset * 7 + offset / 256) % 251); }

// Fields whose request has exactly `characters` characters before its NUL. The
// characters beyond the default request go into the name (Edit8) and, when
// `cyrillic`, partly into the city (Edit3) as Cyrillic letters, two wire characters
// each.
CustomPipes::SearchRequest FieldsOfLength(size_t characters, bool cyrillic) {
    CustomPipes::SearchRequest fields;
    fields.name.clear();
    const size_t base = BuildSearchRequest(fields).size() - 1;
    size_t extra = characters - base;
    if (cyrillic) {
        fields.address.city = std::wstring(extra / 4, L'ж');
        extra -= 2 * fields.address.city.size();
        fields.name = std::wstring(extra / 2, L'д') + std::wstring(extra % 2, L'z');
    } else {
        fields.name = std::wstring(extra, L'a');
    }
    return fields;
}

}  // namespace

class SendButton : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServerRecord();
        ASSERT_NE(demo_.MainWindow(), nullptr);
        ASSERT_TRUE(block_.IsMapped());
        ASSERT_GE(block_.UsableBytes(), kBlock);
        Fill(block_, L'#');
    }
    void Press() {
        ASSERT_TRUE(window_driving::ClickAndWait(demo_.Control(Button1)));
        EXPECT_FALSE(demo_.HasMessageBox(kTitle)) << window_driving::MessageBoxText(demo_.WaitForMessageBox(kTitle, 0));
    }

    void FillPattern() const {
        for (size_t i = 0; i < kBlock; ++i) Bytes(block_)[i] = PatternByte(i);
    }

    // The first offset at or after `from` whose byte differs from the pattern, or kBlock.
    size_t FirstChangeFrom(size_t from) const {
        for (size_t i = from; i < kBlock; ++i) {
            if (Bytes(block_)[i] != PatternByte(i)) return i;
        }
        return kBlock;
    }

    void Enter(const CustomPipes::SearchRequest& fields) {
        window_driving::SetText(demo_.Control(Edit3), fields.address.city);
        window_driving::SetText(demo_.Control(Edit8), fields.name);
    }

    // Presses Button1 with fields entered and the block patterned; checks the outcome
    // for a request of `characters` characters.
    void PressAndCheck(size_t characters, bool cyrillic) {
        SCOPED_TRACE(std::to_string(characters) + (cyrillic ? " characters, Cyrillic" : " characters, ASCII"));
        const CustomPipes::SearchRequest fields = FieldsOfLength(characters, cyrillic);
        const std::wstring request = BuildSearchRequest(fields);
        ASSERT_EQ(request.size() - 1, characters) << "the fields do not give the wanted length";
        Enter(fields);
        FillPattern();

        const bool fits = characters <= CustomPipes::kMaxRequestCharacters;
        window_driving::Click(demo_.Control(Button1));
        if (fits) {
            ASSERT_TRUE(demo_.Flush());
            EXPECT_FALSE(demo_.HasMessageBox(kTitle)) << window_driving::MessageBoxText(demo_.WaitForMessageBox(kTitle, 0));
            const size_t written = request.size() * sizeof(wchar_t);
            EXPECT_EQ(std::memcmp(Bytes(block_), request.data(), written), 0) << "the request at the start differs";
            EXPECT_EQ(Bytes(block_)[written - 2], 0);
            EXPECT_EQ(Bytes(block_)[written - 1], 0);
            EXPECT_EQ(FirstChangeFrom(written), kBlock) << "a byte after the NUL changed";
            return;
        }
        const HWND box = demo_.WaitForMessageBox(kTitle);
        ASSERT_NE(box, nullptr) << "no error display for a request too long for the block";
        const std::wstring text = window_driving::MessageBoxText(box);
        EXPECT_NE(text.find(std::to_wstring(characters)), std::wstring::npos) << "the length is named";
        EXPECT_NE(text.find(L"8191"), std::wstring::npos) << "the limit is named";
        window_driving::CloseMessageBox(box);
        ASSERT_TRUE(window_driving::WaitUntil([&] { return !demo_.HasMessageBox(kTitle); }));
        ASSERT_TRUE(demo_.Flush());
        EXPECT_EQ(FirstChangeFrom(0), kBlock) << "a refused request changed the block";
    }

    window_driving::DemoProcess demo_{DemoPath()};
    const CustomPipes::NamedBlock block_ = OpenRequestBlock(demo_.MainWindow());
};

TEST_F(SendButton, WritesThePagesRequestWithItsNulIntoTheBlock) {
    Press();
    const std::wstring request = ExpectedRequest(CustomPipes::SearchRequest{});
    EXPECT_EQ(Prefix(block_, request.size()), request);
    EXPECT_EQ(Characters(block_)[request.size()], L'#') << "nothing is written after the NUL";
}

TEST_F(SendButton, TakesEveryFieldOfPageOne) {
    window_driving::SetText(demo_.Control(Edit1), L"Владимирская обл.");
    window_driving::SetText(demo_.Control(Edit2), L"Суздальский");
    window_driving::SetText(demo_.Control(Edit3), L"Суздаль");
    window_driving::SetText(demo_.Control(Edit4), L"Кидекша");
    window_driving::SetText(demo_.Control(Edit5), L"Ленина");
    window_driving::SetText(demo_.Control(Edit6), L"601293");
    window_driving::SetText(demo_.Control(Edit7), L"33RS0001");
    window_driving::SetText(demo_.Control(Edit8), L"Иванов");
    window_driving::ClickAndWait(demo_.Control(RadioButton6));
    window_driving::ClickAndWait(::GetDlgItem(demo_.Control(RadioGroup1), RadioGroupItem(RadioGroup1, 1)));
    window_driving::ClickAndWait(::GetDlgItem(demo_.Control(RadioGroup2), RadioGroupItem(RadioGroup2, 1)));
    window_driving::ClickAndWait(::GetDlgItem(demo_.Control(RadioGroup3), RadioGroupItem(RadioGroup3, 1)));
    ASSERT_FALSE(window_driving::IsChecked(demo_.Control(RadioButton4))) << "the radio buttons exclude each other";
    Press();

    CustomPipes::SearchRequest fields;
    fields.address.subject = L"Владимирская обл.";
    fields.address.district = L"Суздальский";
    fields.address.city = L"Суздаль";
    fields.address.settlement = L"Кидекша";
    fields.address.street = L"Ленина";
    fields.address.index = L"601293";
    fields.code = L"33RS0001";
    fields.name = L"Иванов";
    fields.by = CustomPipes::SearchRequest::By::Code;
    fields.answer = CustomPipes::SearchRequest::Answer::ChosenInVarnel;
    fields.addressOf = CustomPipes::SearchRequest::AddressOf::Defendant;
    fields.nameOf = CustomPipes::SearchRequest::NameOf::OfficialSurname;
    const std::wstring request = ExpectedRequest(fields);
    EXPECT_EQ(Prefix(block_, request.size()), request);
}

TEST_F(SendButton, TwoPressesLeaveOneCompleteRequest) {
    Press();
    Press();
    const std::wstring request = ExpectedRequest(CustomPipes::SearchRequest{});
    EXPECT_EQ(Prefix(block_, request.size()), request);
    EXPECT_EQ(Characters(block_)[request.size()], L'#') << "the second request is not appended";
}

TEST_F(SendButton, AShortRequestAfterALongOneLeavesTheLongOnesTailAfterTheNul) {
    window_driving::SetText(demo_.Control(Edit8), std::wstring(500, L'д'));
    Press();
    const std::wstring longRequest = ExpectedRequest(WithName(std::wstring(500, L'д')));
    window_driving::SetText(demo_.Control(Edit8), L"x");
    Press();
    const std::wstring shortRequest = ExpectedRequest(WithName(L"x"));
    ASSERT_LT(shortRequest.size(), longRequest.size());
    EXPECT_EQ(Prefix(block_, shortRequest.size()), shortRequest);
    EXPECT_EQ(Prefix(block_, longRequest.size()).substr(shortRequest.size()), longRequest.substr(shortRequest.size()));
}

TEST_F(SendButton, ARequestThatIsNotWellFormedGoesToTheErrorDisplayAndNothingIsWritten) {
    window_driving::SetText(demo_.Control(Edit8), L"a & b");
    window_driving::Click(demo_.Control(Button1));
    const HWND box = demo_.WaitForMessageBox(kTitle);
    ASSERT_NE(box, nullptr);

    const std::wstring raised = ErrorTextOf([] { BuildSearchRequest(WithName(L"a & b")); }, {});
    ASSERT_FALSE(raised.empty());
    const std::wstring expected = ErrorDisplayText(raised);
    EXPECT_EQ(window_driving::MessageBoxText(box), expected);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), demo_.MainWindow()) << "owned by the active window";
    const auto buttons = window_driving::MessageBoxButtons(box);
    ASSERT_EQ(buttons.size(), 1u) << "a single OK button";
    EXPECT_EQ(::GetDlgCtrlID(buttons[0]), IDOK);

    window_driving::CloseMessageBox(box);
    ASSERT_TRUE(window_driving::WaitUntil([&] { return !demo_.HasMessageBox(kTitle); }));
    EXPECT_EQ(Characters(block_)[0], L'#');

    // The window stays usable: a valid request goes through afterwards.
    window_driving::SetText(demo_.Control(Edit8), L"b");
    Press();
    const std::wstring request = ExpectedRequest(WithName(L"b"));
    EXPECT_EQ(Prefix(block_, request.size()), request);
}

// Each length is reached in ASCII and through Cyrillic text, whose letters travel as two
// characters each, and the bytes after the NUL are checked one by one.
TEST_F(SendButton, RequestsUpTo8191CharactersArriveWholeAndTouchNothingAfterTheirNul) {
    PressAndCheck(8190, false);
    PressAndCheck(8190, true);
    PressAndCheck(8191, true);
    PressAndCheck(8191, false);
}

TEST_F(SendButton, RequestsOf8192And100000CharactersAreRefusedWithTheBlockUntouched) {
    PressAndCheck(8192, false);
    PressAndCheck(8192, true);
    PressAndCheck(100000, false);
    PressAndCheck(100000, true);
    // The window goes on working: the longest request still goes through afterwards.
    PressAndCheck(8191, true);
    EXPECT_TRUE(Responds(demo_));
}

TEST_F(SendButton, AlternatingLongestAndRefusedRequestsNeverMixInTheBlock) {
    for (int round = 0; round < 5; ++round) {
        PressAndCheck(8191, round % 2 == 0);
        PressAndCheck(8192 + static_cast<size_t>(round) * 20000, round % 2 != 0);
        PressAndCheck(2000 + static_cast<size_t>(round) * 1500, round % 2 == 0);
    }
}
