// Start-up and the initial state of varnel-demo.exe, seen from outside.
#include "blocks.h"
#include "demo_process.h"
#include "registry_fixture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace ControlId;
using namespace window_driving;

namespace {

struct Expected {
    int id;
    const wchar_t* text;
};

void ExpectTexts(const window_driving::DemoProcess& demo, std::initializer_list<Expected> expected) {
    for (const Expected& e : expected) {
        const HWND control = demo.Control(e.id);
        ASSERT_NE(control, nullptr) << "control " << e.id;
        EXPECT_EQ(window_driving::TextOf(control), e.text) << "control " << e.id;
    }
}

// Radio group items: their texts and which one is checked.
void ExpectRadioGroup(const window_driving::DemoProcess& demo, int group, const wchar_t* caption,
                      std::initializer_list<const wchar_t*> items, int checked) {
    const HWND groupWindow = demo.Control(group);
    ASSERT_NE(groupWindow, nullptr);
    EXPECT_EQ(window_driving::TextOf(groupWindow), caption);
    int index = 0;
    for (const wchar_t* item : items) {
        const HWND button = ::GetDlgItem(groupWindow, RadioGroupItem(group, index));
        ASSERT_NE(button, nullptr) << "item " << index << " of group " << group;
        EXPECT_EQ(window_driving::TextOf(button), item);
        EXPECT_EQ(window_driving::IsChecked(button), index == checked) << "item " << index << " of group " << group;
        ++index;
    }
    EXPECT_EQ(::GetDlgItem(groupWindow, RadioGroupItem(group, index)), nullptr) << "no further items";
}

RECT ClientRectIn(HWND window, HWND parent) {
    RECT r{};
    ::GetWindowRect(window, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The display DPI of the programs started while it lives (each reads it when it starts);
// the value set before comes back afterwards.
class DisplayDpi {
public:
    explicit DisplayDpi(DWORD dpi) {
        DWORD size = sizeof previous_;
        hadValue_ = ::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_DWORD, nullptr, &previous_, &size) ==
                    ERROR_SUCCESS;
        SetRawValue(kKey, kValue, REG_DWORD, &dpi, sizeof dpi);
    }
    ~DisplayDpi() {
        if (hadValue_) {
            SetRawValue(kKey, kValue, REG_DWORD, &previous_, sizeof previous_);
        } else {
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, kValue);
        }
    }
    DisplayDpi(const DisplayDpi&) = delete;
    DisplayDpi& operator=(const DisplayDpi&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    static constexpr const wchar_t* kValue = L"LogPixels";
    DWORD previous_ = 0;
    bool hadValue_ = false;
};

std::string Describe(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    std::ostringstream text;
    text << "control " << ::GetDlgCtrlID(window) << " [" << r.left << "," << r.top << " - " << r.right << "," << r.bottom
         << "]";
    return text.str();
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

// Every control in parent and in the pages and groups within it lies inside its own
// parent's client area. The parts of system controls (a tab control's arrows) are theirs.
void ExpectInsideParents(HWND parent, UINT dpi) {
    RECT client{};
    ::GetClientRect(parent, &client);
    ::MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    for (const HWND child : ChildrenOf(parent)) {
        RECT r{};
        ::GetWindowRect(child, &r);
        EXPECT_TRUE(r.left >= client.left && r.top >= client.top && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << "at " << dpi << " DPI " << Describe(child) << " leaves its parent " << Describe(parent) << " (client ["
            << client.left << "," << client.top << " - " << client.right << "," << client.bottom << "])";
        const std::wstring className = window_driving::ClassOf(child);
        if (className == L"TTabSheet" || className == L"TGroupBox") ExpectInsideParents(child, dpi);
    }
}

}  // namespace

TEST(FormLayout, AtStartEveryControlLiesInsideItsParentAndNoTwoControlsOfAPageOverlapAt96And144Dpi) {
    DeleteServerRecord();
    LONG clientWidthAt96 = 0;
    for (const UINT dpi : {96u, 144u}) {
        std::unique_ptr<window_driving::DemoProcess> demo;
        {
            const DisplayDpi display(dpi);
            demo = std::make_unique<window_driving::DemoProcess>(DemoPath());
        }
        ASSERT_NE(demo->MainWindow(), nullptr) << "at " << dpi << " DPI";
        RECT client{};
        ::GetClientRect(demo->MainWindow(), &client);
        if (dpi == 96) {
            clientWidthAt96 = client.right;
        } else {
            EXPECT_GT(client.right * 4, clientWidthAt96 * 5) << "the window did not grow: not started at " << dpi << " DPI";
        }

        ExpectInsideParents(demo->MainWindow(), dpi);
        for (const int page : {TabSheet1, TabSheet2, TabSheet3, TabSheet4}) {
            const std::vector<HWND> siblings = ChildrenOf(demo->Control(page));
            for (size_t a = 0; a < siblings.size(); ++a) {
                for (size_t b = a + 1; b < siblings.size(); ++b) {
                    RECT ra{}, rb{}, common{};
                    ::GetWindowRect(siblings[a], &ra);
                    ::GetWindowRect(siblings[b], &rb);
                    EXPECT_FALSE(::IntersectRect(&common, &ra, &rb))
                        << "at " << dpi << " DPI " << Describe(siblings[a]) << " overlaps " << Describe(siblings[b]);
                }
            }
        }
        EXPECT_EQ(demo->CloseAndWait(), 0u);
    }
}

class FormStart : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServerRecord();
        ASSERT_NE(demo_.MainWindow(), nullptr) << "no TfrmMain window appeared";
    }
    window_driving::DemoProcess demo_{DemoPath()};
};

TEST_F(FormStart, MainWindowIsATopLevelSizeableWindowWithTheCaptionAndTheTaskbarButton) {
    const HWND main = demo_.MainWindow();
    EXPECT_EQ(window_driving::ClassOf(main), L"TfrmMain");
    EXPECT_EQ(window_driving::TextOf(main), L"Демонстрация интеграции программы с программой Varnel (www.varnel.example)");
    EXPECT_EQ(::GetWindow(main, GW_OWNER), nullptr);
    EXPECT_EQ(::GetParent(main), nullptr);
    const LONG_PTR style = window_driving::StyleOf(main);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(::GetWindowLongPtrW(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);
}

TEST_F(FormStart, OpensCentredOnTheDesktop) {
    RECT window{};
    ::GetWindowRect(demo_.MainWindow(), &window);
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), height = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    EXPECT_EQ(window.left, std::max<LONG>(left, left + width / 2 - (window.right - window.left) / 2));
    EXPECT_EQ(window.top, std::max<LONG>(top, top + height / 2 - (window.bottom - window.top) / 2));
}

TEST_F(FormStart, ShowsThePageControlFillingTheClientAreaWithPageOneFirstAndTheFocusOnTheTabs) {
    const HWND tabs = demo_.Control(PageControl1);
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(window_driving::TabTexts(demo_.Process(), tabs),
              (std::vector<std::wstring>{L"Поиск", L"XML - файл", L"Описание", L"Запуск с параметрами"}));
    EXPECT_EQ(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(::IsWindowVisible(demo_.Control(TabSheet1)));
    EXPECT_FALSE(::IsWindowVisible(demo_.Control(TabSheet2)));
    EXPECT_FALSE(::IsWindowVisible(demo_.Control(TabSheet3)));
    EXPECT_FALSE(::IsWindowVisible(demo_.Control(TabSheet4)));

    RECT client{};
    ::GetClientRect(demo_.MainWindow(), &client);
    const RECT tabRect = ClientRectIn(tabs, demo_.MainWindow());
    EXPECT_EQ(tabRect.left, 0);
    EXPECT_EQ(tabRect.top, 0);
    EXPECT_EQ(tabRect.right, client.right);
    EXPECT_EQ(tabRect.bottom, client.bottom);

    EXPECT_TRUE(window_driving::WaitUntil([&] { return demo_.Focus() == tabs; }, 5000)) << "focus on " << demo_.Focus();
}

TEST_F(FormStart, PageOneHoldsItsControlsInTheirInitialState) {
    ExpectTexts(demo_, {{GroupBox2, L" Исходные данные для запроса "},
                        {RadioButton4, L"Искать по адресу самого суда или по адресу, входящего в территорию обслуживания суда"},
                        {RadioButton5, L"Искать по наименованию суда (или иного органа)"},
                        {RadioButton6, L"Искать по коду суда (или иного органа)"},
                        {GroupBox1, L" Поиск по адресу "},
                        {Label1, L"Субъект"}, {Label2, L"Район"}, {Label3, L"Город"},
                        {Label4, L"Населенный пункт"}, {Label5, L"Улица"}, {Label6, L"Индекс"},
                        {Edit1, L""}, {Edit2, L""}, {Edit3, L""}, {Edit4, L""}, {Edit5, L""}, {Edit6, L""},
                        {Label8, L"Наименование / Фамилия"}, {Edit8, L"владимир"},
                        {Label9, L"На каком языке искать"}, {Label7, L"Код суда"}, {Edit7, L""},
                        {Label10, L"Что такое \"Код органа\"?"}, {Label11, L"Сайт программы Varnel"},
                        {Label12, L"Страница загрузки библиотеки"}, {Button1, L"Отправить запрос в Varnel"}});
    EXPECT_TRUE(window_driving::IsChecked(demo_.Control(RadioButton4)));
    EXPECT_FALSE(window_driving::IsChecked(demo_.Control(RadioButton5)));
    EXPECT_FALSE(window_driving::IsChecked(demo_.Control(RadioButton6)));
    EXPECT_TRUE(window_driving::StyleOf(demo_.Control(RadioButton4)) & BS_MULTILINE) << "its caption wraps";

    ExpectRadioGroup(demo_, RadioGroup2, L"Тип адреса", {L"Адрес самого органа", L"Адрес ответчика"}, 0);
    ExpectRadioGroup(demo_, RadioGroup1, L" Способ ответа ",
                     {L"Данные прислать автоматом", L"Данные прислать через интерфейс программы"}, 0);
    ExpectRadioGroup(demo_, RadioGroup3, L"Тип ", {L"Наименование органа", L"Фамилия судьи"}, 0);

    // The language box: disabled, showing "Russian", with its four items.
    const HWND language = demo_.Control(ComboBox1);
    EXPECT_FALSE(::IsWindowEnabled(language));
    EXPECT_EQ(window_driving::TextOf(language), L"Russian");
    ASSERT_EQ(::SendMessageW(language, CB_GETCOUNT, 0, 0), 4);
    const wchar_t* const languages[] = {L"Russian", L"English", L"French", L"Bulgarian"};
    for (int i = 0; i < 4; ++i) {
        wchar_t item[64] = {};
        ::SendMessageW(language, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, languages[i]);
    }
    EXPECT_TRUE(::IsWindowEnabled(demo_.Control(Button1)));

    // Edit boxes have no length limit.
    for (const int edit : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8}) {
        EXPECT_GE(static_cast<uint64_t>(::SendMessageW(demo_.Control(edit), EM_GETLIMITTEXT, 0, 0)), 0x7FFFFFFEu)
            << "edit " << edit;
    }
}

TEST_F(FormStart, PagesTwoAndThreeHoldTheMemos) {
    demo_.SelectPage(1);
    const HWND memo1 = demo_.Control(Memo1);
    EXPECT_TRUE(::IsWindowVisible(memo1));
    EXPECT_EQ(window_driving::TextOf(memo1), L"");
    const LONG_PTR style = window_driving::StyleOf(memo1);
    EXPECT_TRUE(style & ES_MULTILINE);
    EXPECT_FALSE(style & (WS_VSCROLL | WS_HSCROLL)) << "no scroll bars";
    EXPECT_FALSE(style & ES_AUTOHSCROLL) << "long lines wrap";
    EXPECT_FALSE(style & ES_READONLY);
    RECT page{};
    ::GetClientRect(demo_.Control(TabSheet2), &page);
    const RECT memoRect = ClientRectIn(memo1, demo_.Control(TabSheet2));
    EXPECT_EQ(memoRect.left, 3);
    EXPECT_EQ(memoRect.top, 3);
    EXPECT_EQ(page.right - memoRect.right, 3);
    EXPECT_EQ(page.bottom - memoRect.bottom, 3);

    demo_.SelectPage(2);
    ExpectTexts(demo_, {{Label19, L"Программа Varnel"},
                        {Label20, L"www.varnel.example"},
                        {Memo2, L"Контактные данные:\r\n"
                                L"\r\n"
                                L"Цена инструмента для доступа к базе данных Varnel: бесплатно. \r\n"
                                L"Программа Varnel всеми пользователями, при необходимости, приобретается платно.\r\n"
                                L"\r\n"}});
    const HWND memo2 = demo_.Control(Memo2);
    EXPECT_TRUE(::IsWindowVisible(memo2));
    EXPECT_EQ(::SendMessageW(memo2, EM_GETLINECOUNT, 0, 0), 6) << "four lines and two empty ones";
    ::GetClientRect(demo_.Control(TabSheet3), &page);
    const RECT memo2Rect = ClientRectIn(memo2, demo_.Control(TabSheet3));
    EXPECT_EQ(memo2Rect.top, 33);
    EXPECT_EQ(page.bottom - memo2Rect.bottom, 3) << "kept at the bottom of the page";
    EXPECT_EQ(page.right - memo2Rect.right, 3);
}

TEST_F(FormStart, PageFourHoldsTheLaunchControlsAndButton2IsWhole) {
    demo_.SelectPage(3);
    ExpectTexts(demo_, {{RadioButton1, L"Запуск Varnel с передачей наименования"},
                        {Label13, L"Наименование органа"}, {Edit9, L""}, {Label14, L"Пример"},
                        {RadioButton2, L"Запуск Varnel с передачей кода органа"},
                        {Label15, L"Код органа"}, {Edit10, L""}, {Edit12, L"01016433305000"}, {Label16, L"Пример"},
                        {RadioButton3, L"Запуск Varnel с передачей фамилии должностного лица"},
                        {Label17, L"Фамилия должностного лица органа"}, {Edit11, L""}, {Label18, L"Пример"},
                        {Button2, L"Открыть Varnel"}});
    EXPECT_TRUE(window_driving::IsChecked(demo_.Control(RadioButton1)));
    EXPECT_FALSE(window_driving::IsChecked(demo_.Control(RadioButton2)));
    EXPECT_FALSE(window_driving::IsChecked(demo_.Control(RadioButton3)));

    const HWND page = demo_.Control(TabSheet4);
    RECT pageClient{};
    ::GetClientRect(page, &pageClient);
    const RECT button = ClientRectIn(demo_.Control(Button2), page);
    EXPECT_TRUE(::IsWindowVisible(demo_.Control(Button2)));
    EXPECT_LE(button.bottom, pageClient.bottom) << "Button2 is cut off by the page";
    EXPECT_GT(button.bottom - button.top, 0);
}

TEST_F(FormStart, TabMovesThroughPageOneInItsTabOrder) {
    const HWND tabs = demo_.Control(PageControl1);
    ASSERT_TRUE(window_driving::WaitUntil([&] { return demo_.Focus() == tabs; }, 5000));
    const HWND rg1 = ::GetDlgItem(demo_.Control(RadioGroup1), RadioGroupItem(RadioGroup1, 0));
    const HWND rg2 = ::GetDlgItem(demo_.Control(RadioGroup2), RadioGroupItem(RadioGroup2, 0));
    const HWND rg3 = ::GetDlgItem(demo_.Control(RadioGroup3), RadioGroupItem(RadioGroup3, 0));
    // ComboBox1 is disabled, so the Tab key passes it by.
    const std::vector<HWND> expected = {demo_.Control(Button1), rg1, rg2, demo_.Control(Edit7), demo_.Control(Edit8),
                                        rg3, demo_.Control(Edit1), demo_.Control(Edit2), demo_.Control(Edit3),
                                        demo_.Control(Edit4), demo_.Control(Edit5), demo_.Control(Edit6),
                                        demo_.Control(RadioButton4), tabs};
    for (size_t step = 0; step < expected.size(); ++step) {
        ::PostMessageW(demo_.Focus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
        ASSERT_TRUE(window_driving::WaitUntil([&] { return demo_.Focus() == expected[step]; }, 5000))
            << "step " << step << ": the focus is on control " << ::GetDlgCtrlID(demo_.Focus());
    }
}

TEST_F(FormStart, TabMovesThroughPageFourInItsTabOrder) {
    demo_.SelectPage(3);
    const HWND tabs = demo_.Control(PageControl1);
    ASSERT_TRUE(window_driving::WaitUntil([&] { return demo_.Focus() == tabs; }, 5000));
    // Only the checked radio button is a tab stop, as with the system's radio buttons.
    const std::vector<HWND> expected = {demo_.Control(Button2), demo_.Control(Edit9), demo_.Control(RadioButton1),
                                        demo_.Control(Edit10), demo_.Control(Edit11), demo_.Control(Edit12), tabs};
    for (size_t step = 0; step < expected.size(); ++step) {
        ::PostMessageW(demo_.Focus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
        ASSERT_TRUE(window_driving::WaitUntil([&] { return demo_.Focus() == expected[step]; }, 5000))
            << "step " << step << ": the focus is on control " << ::GetDlgCtrlID(demo_.Focus());
    }
}

TEST_F(FormStart, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
    EXPECT_EQ(demo_.CloseAndWait(), 0u);
}

TEST(FormInstances, TwoInstancesHaveTwoWindowsAndTwoRequestBlocks) {
    window_driving::DemoProcess first(DemoPath());
    window_driving::DemoProcess second(DemoPath());
    ASSERT_NE(first.MainWindow(), nullptr);
    ASSERT_NE(second.MainWindow(), nullptr);
    ASSERT_NE(first.MainWindow(), second.MainWindow());
    const CustomPipes::NamedBlock firstBlock = OpenRequestBlock(first.MainWindow());
    const CustomPipes::NamedBlock secondBlock = OpenRequestBlock(second.MainWindow());
    ASSERT_TRUE(firstBlock.IsMapped());
    ASSERT_TRUE(secondBlock.IsMapped());
    Characters(firstBlock)[0] = L'1';
    Characters(secondBlock)[0] = L'2';
    EXPECT_EQ(Characters(firstBlock)[0], L'1');
    EXPECT_EQ(Characters(secondBlock)[0], L'2');
    EXPECT_EQ(first.CloseAndWait(), 0u);
    EXPECT_EQ(second.CloseAndWait(), 0u);
}

TEST(FormShowCommand, AMaximizedStartOpensMaximized) {
    window_driving::DemoProcess demo(DemoPath(), SW_SHOWMAXIMIZED);
    ASSERT_NE(demo.MainWindow(), nullptr);
    EXPECT_TRUE(::IsZoomed(demo.MainWindow()));
    EXPECT_EQ(demo.CloseAndWait(), 0u);
}
