// The send button at the bounds of the request block, through the real window: before
// each press all 16384 bytes of the block hold a pattern, after it exactly the request
// and its NUL lie at the start and not one byte after them has changed; a request too
// long for the block changes no byte at all and is reported.
#include "reliability.h"
#include "search_request.h"

#include <string>

using namespace reliability;
using namespace ControlId;

namespace {

constexpr size_t kBlock = CustomPipes::kRequestBlockSize;

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

class SendPathReliability : public ::testing::Test {
protected:
    void SetUp() override {
        PumpUntil([] { return !sample_server_driver::IsServerRunning(); }, 10000);
        DeleteServerRecord();  // Varnel not installed: a press only writes the block
        ASSERT_TRUE(demo_.MainWindow());
        block_ = OpenRequestBlock(demo_.MainWindow());
        ASSERT_TRUE(block_.IsMapped());
        ASSERT_GE(block_.UsableBytes(), kBlock);
    }

    unsigned char* Bytes() const { return ::Bytes(block_); }

    void FillPattern() const {
        for (size_t i = 0; i < kBlock; ++i) Bytes()[i] = PatternByte(i);
    }

    // The first offset at or after `from` whose byte differs from the pattern, or kBlock.
    size_t FirstChangeFrom(size_t from) const {
        for (size_t i = from; i < kBlock; ++i) {
            if (Bytes()[i] != PatternByte(i)) return i;
        }
        return kBlock;
    }

    void Enter(const CustomPipes::SearchRequest& fields) {
        gui::SetText(demo_.Control(Edit3), fields.address.city);
        gui::SetText(demo_.Control(Edit8), fields.name);
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
        gui::Click(demo_.Control(Button1));
        if (fits) {
            ASSERT_TRUE(demo_.Flush());
            EXPECT_FALSE(demo_.HasMessageBox(kTitle)) << gui::MessageBoxText(demo_.WaitForMessageBox(kTitle, 0));
            const size_t written = request.size() * sizeof(wchar_t);
            EXPECT_EQ(std::memcmp(Bytes(), request.data(), written), 0) << "the request at the start differs";
            EXPECT_EQ(Bytes()[written - 2], 0);
            EXPECT_EQ(Bytes()[written - 1], 0);
            EXPECT_EQ(FirstChangeFrom(written), kBlock) << "a byte after the NUL changed";
            return;
        }
        const HWND box = demo_.WaitForMessageBox(kTitle);
        ASSERT_NE(box, nullptr) << "no error display for a request too long for the block";
        const std::wstring text = gui::MessageBoxText(box);
        EXPECT_NE(text.find(std::to_wstring(characters)), std::wstring::npos) << "the length is named";
        EXPECT_NE(text.find(L"8191"), std::wstring::npos) << "the limit is named";
        gui::CloseMessageBox(box);
        ASSERT_TRUE(gui::WaitUntil([&] { return !demo_.HasMessageBox(kTitle); }));
        ASSERT_TRUE(demo_.Flush());
        EXPECT_EQ(FirstChangeFrom(0), kBlock) << "a refused request changed the block";
    }

    gui::DemoProcess demo_{DemoPath()};
    CustomPipes::NamedBlock block_;
};

}  // namespace

// 8191 and 8192 in ASCII are in tests/window/send_button_test.cpp; here each length is
// also reached through Cyrillic text, whose letters travel as two characters each,
// and the bytes after the NUL are checked one by one.
TEST_F(SendPathReliability, RequestsUpTo8191CharactersArriveWholeAndTouchNothingAfterTheirNul) {
    PressAndCheck(8190, false);
    PressAndCheck(8190, true);
    PressAndCheck(8191, true);
    PressAndCheck(8191, false);
}

TEST_F(SendPathReliability, RequestsOf8192And100000CharactersAreRefusedWithTheBlockUntouched) {
    PressAndCheck(8192, true);
    PressAndCheck(100000, false);
    PressAndCheck(100000, true);
    // The window goes on working: the longest request still goes through afterwards.
    PressAndCheck(8191, true);
    EXPECT_TRUE(Responds(demo_));
}

TEST_F(SendPathReliability, AlternatingLongestAndRefusedRequestsNeverMixInTheBlock) {
    for (int round = 0; round < 5; ++round) {
        PressAndCheck(8191, round % 2 == 0);
        PressAndCheck(8192 + static_cast<size_t>(round) * 20000, round % 2 != 0);
        PressAndCheck(2000 + static_cast<size_t>(round) * 1500, round % 2 == 0);
    }
}
