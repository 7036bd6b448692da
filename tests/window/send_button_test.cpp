// Button1 "Отправить запрос в Varnel" with Varnel not installed: the request still
// reaches the request block, and nothing else happens.
#include "error_text.h"
#include "gui_test_support.h"
#include "raised_error.h"
#include "search_request.h"

using namespace window;

using namespace ControlId;

namespace {

// The request built in this process from the page's fields, as Varnel will read it.
std::wstring ExpectedRequest(const CustomPipes::SearchRequest& fields) { return BuildSearchRequest(fields); }

CustomPipes::SearchRequest WithName(std::wstring name) {
    CustomPipes::SearchRequest fields;
    fields.name = std::move(name);
    return fields;
}

}  // namespace

class SendButton : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServerRecord();
        ASSERT_NE(demo_.MainWindow(), nullptr);
        ASSERT_TRUE(block_.IsMapped());
        Fill(block_, L'#');
    }
    void Press() {
        ASSERT_TRUE(gui::ClickAndWait(demo_.Control(Button1)));
        EXPECT_FALSE(demo_.HasMessageBox(kTitle)) << gui::MessageBoxText(demo_.WaitForMessageBox(kTitle, 0));
    }

    gui::DemoProcess demo_{DemoPath()};
    const CustomPipes::NamedBlock block_ = OpenRequestBlock(demo_.MainWindow());
};

TEST_F(SendButton, WritesThePagesRequestWithItsNulIntoTheBlock) {
    Press();
    const std::wstring request = ExpectedRequest(CustomPipes::SearchRequest{});
    EXPECT_EQ(Prefix(block_, request.size()), request);
    EXPECT_EQ(Characters(block_)[request.size()], L'#') << "nothing is written after the NUL";
}

TEST_F(SendButton, TakesEveryFieldOfPageOne) {
    gui::SetText(demo_.Control(Edit1), L"Владимирская обл.");
    gui::SetText(demo_.Control(Edit2), L"Суздальский");
    gui::SetText(demo_.Control(Edit3), L"Суздаль");
    gui::SetText(demo_.Control(Edit4), L"Кидекша");
    gui::SetText(demo_.Control(Edit5), L"Ленина");
    gui::SetText(demo_.Control(Edit6), L"601293");
    gui::SetText(demo_.Control(Edit7), L"33RS0001");
    gui::SetText(demo_.Control(Edit8), L"Иванов");
    gui::ClickAndWait(demo_.Control(RadioButton6));
    gui::ClickAndWait(::GetDlgItem(demo_.Control(RadioGroup1), RadioGroupItem(RadioGroup1, 1)));
    gui::ClickAndWait(::GetDlgItem(demo_.Control(RadioGroup2), RadioGroupItem(RadioGroup2, 1)));
    gui::ClickAndWait(::GetDlgItem(demo_.Control(RadioGroup3), RadioGroupItem(RadioGroup3, 1)));
    ASSERT_FALSE(gui::IsChecked(demo_.Control(RadioButton4))) << "the radio buttons exclude each other";
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
    gui::SetText(demo_.Control(Edit8), std::wstring(500, L'д'));
    Press();
    const std::wstring longRequest = ExpectedRequest(WithName(std::wstring(500, L'д')));
    gui::SetText(demo_.Control(Edit8), L"x");
    Press();
    const std::wstring shortRequest = ExpectedRequest(WithName(L"x"));
    ASSERT_LT(shortRequest.size(), longRequest.size());
    EXPECT_EQ(Prefix(block_, shortRequest.size()), shortRequest);
    EXPECT_EQ(Prefix(block_, longRequest.size()).substr(shortRequest.size()), longRequest.substr(shortRequest.size()));
}

TEST_F(SendButton, Sends8191CharactersAndRefuses8192WithTheBlockUntouched) {
    // The name is the only field that grows: find the name length for 8191 characters.
    const size_t base = ExpectedRequest(WithName(L"")).size() - 1;
    const std::wstring longest(CustomPipes::kMaxRequestCharacters - base, L'a');
    ASSERT_EQ(ExpectedRequest(WithName(longest)).size() - 1, 8191u);

    gui::SetText(demo_.Control(Edit8), longest);
    Press();
    const std::wstring request = ExpectedRequest(WithName(longest));
    EXPECT_EQ(Prefix(block_, 8192), request);

    Fill(block_, L'#');
    gui::SetText(demo_.Control(Edit8), longest + L"a");
    gui::Click(demo_.Control(Button1));
    const HWND box = demo_.WaitForMessageBox(kTitle);
    ASSERT_NE(box, nullptr) << "no error display for an 8192-character request";
    const std::wstring text = gui::MessageBoxText(box);
    EXPECT_NE(text.find(L"8192"), std::wstring::npos) << "the message names the length";
    EXPECT_NE(text.find(L"8191"), std::wstring::npos) << "the message names the limit";
    gui::CloseMessageBox(box);
    ASSERT_TRUE(gui::WaitUntil([&] { return !demo_.HasMessageBox(kTitle); }));
    EXPECT_EQ(Prefix(block_, 8192), std::wstring(8192, L'#')) << "nothing was written";
}

TEST_F(SendButton, ARequestThatIsNotWellFormedGoesToTheErrorDisplayAndNothingIsWritten) {
    gui::SetText(demo_.Control(Edit8), L"a & b");
    gui::Click(demo_.Control(Button1));
    const HWND box = demo_.WaitForMessageBox(kTitle);
    ASSERT_NE(box, nullptr);

    const std::wstring raised = ErrorTextOf([] { BuildSearchRequest(WithName(L"a & b")); }, {});
    ASSERT_FALSE(raised.empty());
    const std::wstring expected = ErrorDisplayText(raised);
    EXPECT_EQ(gui::MessageBoxText(box), expected);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), demo_.MainWindow()) << "owned by the active window";
    const auto buttons = gui::MessageBoxButtons(box);
    ASSERT_EQ(buttons.size(), 1u) << "a single OK button";
    EXPECT_EQ(::GetDlgCtrlID(buttons[0]), IDOK);

    gui::CloseMessageBox(box);
    ASSERT_TRUE(gui::WaitUntil([&] { return !demo_.HasMessageBox(kTitle); }));
    EXPECT_EQ(Characters(block_)[0], L'#');

    // The window stays usable: a valid request goes through afterwards.
    gui::SetText(demo_.Control(Edit8), L"b");
    Press();
    const std::wstring request = ExpectedRequest(WithName(L"b"));
    EXPECT_EQ(Prefix(block_, request.size()), request);
}
