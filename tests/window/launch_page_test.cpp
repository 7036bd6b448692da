// The launch page: the example command lines follow the typing; without Varnel
// installed the button does nothing visible.
#include "demo_process.h"
#include "registry_fixture.h"

#include <gtest/gtest.h>

using namespace ControlId;
using namespace window_driving;

class LaunchPage : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServerRecord();
        ASSERT_NE(demo_.MainWindow(), nullptr);
        demo_.SelectPage(3);
    }
    window_driving::DemoProcess demo_{DemoPath()};
};

TEST_F(LaunchPage, EachExampleLabelFollowsItsEditBox) {
    struct Case {
        int edit;
        int label;
        const wchar_t* prefix;
    };
    for (const Case& c : {Case{Edit9, Label14, L"varnel.exe -a:"}, Case{Edit10, Label16, L"varnel.exe -i:"},
                          Case{Edit11, Label18, L"varnel.exe -f:"}}) {
        const HWND edit = demo_.Control(c.edit);
        const HWND label = demo_.Control(c.label);
        window_driving::Type(edit, L"С");
        EXPECT_EQ(window_driving::TextOf(label), std::wstring(c.prefix) + L"С");
        window_driving::Type(edit, L"уд 7");
        EXPECT_EQ(window_driving::TextOf(label), std::wstring(c.prefix) + L"Суд 7");
        window_driving::EraseAll(edit);
        EXPECT_EQ(window_driving::TextOf(label), c.prefix) << "erasing leaves the switch alone";
    }
    EXPECT_EQ(window_driving::TextOf(demo_.Control(Edit12)), L"01016433305000") << "the sample code stays as it is";
}

TEST_F(LaunchPage, AnAmpersandShowsAsItIsTypedAndTheLabelWidensWithItsText) {
    const HWND label = demo_.Control(Label14);
    EXPECT_TRUE(window_driving::StyleOf(label) & SS_NOPREFIX) << "an ampersand would be taken for a prefix";
    RECT before{};
    ::GetWindowRect(label, &before);
    window_driving::Type(demo_.Control(Edit9), L"Рога & Копыта && Co");
    EXPECT_EQ(window_driving::TextOf(label), L"varnel.exe -a:Рога & Копыта && Co");
    RECT after{};
    ::GetWindowRect(label, &after);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    EXPECT_EQ(after.left, before.left);

    // The label is as wide as its text, so none of it is cut off.
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(8, 96, 72);
    font.lfCharSet = DEFAULT_CHARSET;
    wcscpy(font.lfFaceName, L"Tahoma");
    const HFONT tahoma = ::CreateFontIndirectW(&font);
    const HDC dc = ::GetDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, tahoma);
    const std::wstring text = window_driving::TextOf(label);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(tahoma);
    EXPECT_GE(after.right - after.left, extent.cx);
}

TEST_F(LaunchPage, OpeningVarnelWhenItIsNotInstalledDoesNothingVisible) {
    window_driving::Type(demo_.Control(Edit9), L"суд");
    ASSERT_TRUE(window_driving::ClickAndWait(demo_.Control(Button2)));
    ASSERT_TRUE(demo_.Flush());
    EXPECT_FALSE(demo_.HasMessageBox(kTitle));
    EXPECT_EQ(::WaitForSingleObject(demo_.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

TEST_F(LaunchPage, TheRadioButtonsExcludeEachOther) {
    window_driving::ClickAndWait(demo_.Control(RadioButton2));
    EXPECT_FALSE(window_driving::IsChecked(demo_.Control(RadioButton1)));
    EXPECT_TRUE(window_driving::IsChecked(demo_.Control(RadioButton2)));
    window_driving::ClickAndWait(demo_.Control(RadioButton3));
    EXPECT_FALSE(window_driving::IsChecked(demo_.Control(RadioButton2)));
    EXPECT_TRUE(window_driving::IsChecked(demo_.Control(RadioButton3)));
}
