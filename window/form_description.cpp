#include "form_description.h"

#include "control_ids.h"

namespace window {

const wchar_t* const kMainFormCaption = L"Демонстрация интеграции программы с программой Varnel (www.varnel.example)";

namespace {

using namespace ControlId;
using K = ControlKind;

constexpr const wchar_t* kAddressTypes[] = {L"Адрес самого органа", L"Адрес ответчика"};
constexpr const wchar_t* kAnswerWays[] = {L"Данные прислать автоматом", L"Данные прислать через интерфейс программы"};
constexpr const wchar_t* kNameTypes[] = {L"Наименование органа", L"Фамилия судьи"};
constexpr const wchar_t* kLanguages[] = {L"Russian", L"English", L"French", L"Bulgarian"};

constexpr Bounds kPageBounds{0, 0, kDesignPageSize.cx, kDesignPageSize.cy};

constexpr const wchar_t* kDescriptionText =
    L"Контактные данные:\r\n"
    L"\r\n"
    L"Цена инструмента для доступа к базе данных Varnel: бесплатно. \r\n"
    L"Программа Varnel всеми пользователями, при необходимости, приобретается платно.\r\n"
    L"\r\n";

// Page 1's tab order: Button1, RadioGroup1, RadioGroup2, Edit7, Edit8, RadioGroup3,
// ComboBox1, GroupBox1 (Edit1..Edit6), GroupBox2 (RadioButton4..RadioButton6).
// Page 4's: Button2, Edit9, RadioButton1, Edit10, RadioButton2, Edit11, RadioButton3, Edit12.
const ControlDescription kControls[] = {
    {.id = PageControl1, .member = &MainFormWindows::PageControl1, .kind = K::PageControl, .parent = 0, .tabOrder = 0},
    {.id = TabSheet1, .member = &MainFormWindows::TabSheet1, .kind = K::TabSheet, .parent = PageControl1,
     .bounds = kPageBounds, .caption = L"Поиск"},
    {.id = TabSheet2, .member = &MainFormWindows::TabSheet2, .kind = K::TabSheet, .parent = PageControl1,
     .bounds = kPageBounds, .caption = L"XML - файл"},
    {.id = TabSheet3, .member = &MainFormWindows::TabSheet3, .kind = K::TabSheet, .parent = PageControl1,
     .bounds = kPageBounds, .caption = L"Описание"},
    {.id = TabSheet4, .member = &MainFormWindows::TabSheet4, .kind = K::TabSheet, .parent = PageControl1,
     .bounds = kPageBounds, .caption = L"Запуск с параметрами"},

    // Page 1 "Поиск".
    {.id = GroupBox2, .member = &MainFormWindows::GroupBox2, .kind = K::GroupBox, .parent = TabSheet1,
     .bounds = {3, 3, 286, 99}, .caption = L" Исходные данные для запроса ", .tabOrder = 8},
    {.id = RadioButton4, .member = &MainFormWindows::RadioButton4, .kind = K::RadioButton, .parent = GroupBox2,
     .bounds = {8, 16, 273, 29},
     .caption = L"Искать по адресу самого суда или по адресу, входящего в территорию обслуживания суда",
     .checked = true, .wraps = true, .tabOrder = 0},
    {.id = RadioButton5, .member = &MainFormWindows::RadioButton5, .kind = K::RadioButton, .parent = GroupBox2,
     .bounds = {8, 49, 273, 17}, .caption = L"Искать по наименованию суда (или иного органа)", .tabOrder = 1},
    {.id = RadioButton6, .member = &MainFormWindows::RadioButton6, .kind = K::RadioButton, .parent = GroupBox2,
     .bounds = {8, 74, 273, 17}, .caption = L"Искать по коду суда (или иного органа)", .tabOrder = 2},
    {.id = RadioGroup2, .member = &MainFormWindows::RadioGroup2, .kind = K::RadioGroup, .parent = TabSheet1,
     .bounds = {3, 108, 286, 67}, .caption = L"Тип адреса", .items = kAddressTypes, .selected = 0, .tabOrder = 2},
    {.id = GroupBox1, .member = &MainFormWindows::GroupBox1, .kind = K::GroupBox, .parent = TabSheet1,
     .bounds = {3, 181, 286, 217}, .caption = L" Поиск по адресу ", .tabOrder = 7},
    {.id = Label1, .member = &MainFormWindows::Label1, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 24},
     .caption = L"Субъект"},
    {.id = Edit1, .member = &MainFormWindows::Edit1, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 21, 184, 21},
     .tabOrder = 0},
    {.id = Label2, .member = &MainFormWindows::Label2, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 52},
     .caption = L"Район"},
    {.id = Edit2, .member = &MainFormWindows::Edit2, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 49, 184, 21},
     .tabOrder = 1},
    {.id = Label3, .member = &MainFormWindows::Label3, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 79},
     .caption = L"Город"},
    {.id = Edit3, .member = &MainFormWindows::Edit3, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 76, 184, 21},
     .tabOrder = 2},
    {.id = Label4, .member = &MainFormWindows::Label4, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 103},
     .caption = L"Населенный пункт"},
    {.id = Edit4, .member = &MainFormWindows::Edit4, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 122, 184, 21},
     .tabOrder = 3},
    {.id = Label5, .member = &MainFormWindows::Label5, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 152},
     .caption = L"Улица"},
    {.id = Edit5, .member = &MainFormWindows::Edit5, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 149, 184, 21},
     .tabOrder = 4},
    {.id = Label6, .member = &MainFormWindows::Label6, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 179},
     .caption = L"Индекс"},
    {.id = Edit6, .member = &MainFormWindows::Edit6, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 176, 184, 21},
     .tabOrder = 5},
    {.id = RadioGroup1, .member = &MainFormWindows::RadioGroup1, .kind = K::RadioGroup, .parent = TabSheet1,
     .bounds = {295, 3, 269, 78}, .caption = L" Способ ответа ", .items = kAnswerWays, .selected = 0, .tabOrder = 1},
    {.id = Label8, .member = &MainFormWindows::Label8, .kind = K::Label, .parent = TabSheet1, .bounds = {295, 97},
     .caption = L"Наименование / Фамилия"},
    {.id = Edit8, .member = &MainFormWindows::Edit8, .kind = K::Edit, .parent = TabSheet1, .bounds = {295, 116, 269, 21},
     .caption = L"владимир", .tabOrder = 4},
    {.id = RadioGroup3, .member = &MainFormWindows::RadioGroup3, .kind = K::RadioGroup, .parent = TabSheet1,
     .bounds = {295, 142, 269, 66}, .caption = L"Тип ", .items = kNameTypes, .selected = 0, .tabOrder = 5},
    {.id = Label9, .member = &MainFormWindows::Label9, .kind = K::Label, .parent = TabSheet1, .bounds = {295, 228},
     .caption = L"На каком языке искать"},
    {.id = ComboBox1, .member = &MainFormWindows::ComboBox1, .kind = K::ComboBox, .parent = TabSheet1,
     .bounds = {295, 247, 269, 21}, .items = kLanguages, .selected = 0, .enabled = false, .tabOrder = 6},
    {.id = Label7, .member = &MainFormWindows::Label7, .kind = K::Label, .parent = TabSheet1, .bounds = {295, 274},
     .caption = L"Код суда"},
    {.id = Edit7, .member = &MainFormWindows::Edit7, .kind = K::Edit, .parent = TabSheet1, .bounds = {295, 293, 269, 21},
     .tabOrder = 3},
    {.id = Label10, .member = &MainFormWindows::Label10, .kind = K::Label, .parent = TabSheet1, .bounds = {435, 324},
     .caption = L"Что такое \"Код органа\"?", .link = true},
    {.id = Label11, .member = &MainFormWindows::Label11, .kind = K::Label, .parent = TabSheet1, .bounds = {427, 339},
     .caption = L"Сайт программы Varnel", .link = true},
    {.id = Label12, .member = &MainFormWindows::Label12, .kind = K::Label, .parent = TabSheet1, .bounds = {404, 354},
     .caption = L"Страница загрузки библиотеки", .link = true},
    {.id = Button1, .member = &MainFormWindows::Button1, .kind = K::Button, .parent = TabSheet1,
     .bounds = {354, 373, 210, 25}, .caption = L"Отправить запрос в Varnel", .tabOrder = 0},

    // Page 2 "XML - файл": the answer.
    {.id = Memo1, .member = &MainFormWindows::Memo1, .kind = K::Memo, .parent = TabSheet2, .bounds = {3, 3, 565, 399},
     .anchoring = Anchoring::AllSides, .tabOrder = 0},

    // Page 3 "Описание".
    {.id = Label19, .member = &MainFormWindows::Label19, .kind = K::Label, .parent = TabSheet3, .bounds = {4, 9},
     .caption = L"Программа Varnel"},
    {.id = Label20, .member = &MainFormWindows::Label20, .kind = K::Label, .parent = TabSheet3, .bounds = {133, 9},
     .caption = L"www.varnel.example"},
    {.id = Memo2, .member = &MainFormWindows::Memo2, .kind = K::Memo, .parent = TabSheet3, .bounds = {3, 33, 565, 369},
     .caption = kDescriptionText, .anchoring = Anchoring::AllSides, .tabOrder = 0},

    // Page 4 "Запуск с параметрами".
    {.id = RadioButton1, .member = &MainFormWindows::RadioButton1, .kind = K::RadioButton, .parent = TabSheet4,
     .bounds = {32, 24, 265, 17}, .caption = L"Запуск Varnel с передачей наименования", .checked = true,
     .tabOrder = 2},
    {.id = Label13, .member = &MainFormWindows::Label13, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 58},
     .caption = L"Наименование органа"},
    {.id = Edit9, .member = &MainFormWindows::Edit9, .kind = K::Edit, .parent = TabSheet4, .bounds = {48, 77, 217, 21},
     .tabOrder = 1},
    {.id = Label14, .member = &MainFormWindows::Label14, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 112},
     .caption = L"Пример"},
    {.id = RadioButton2, .member = &MainFormWindows::RadioButton2, .kind = K::RadioButton, .parent = TabSheet4,
     .bounds = {32, 144, 265, 17}, .caption = L"Запуск Varnel с передачей кода органа", .tabOrder = 4},
    {.id = Label15, .member = &MainFormWindows::Label15, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 178},
     .caption = L"Код органа"},
    {.id = Edit10, .member = &MainFormWindows::Edit10, .kind = K::Edit, .parent = TabSheet4, .bounds = {48, 197, 217, 21},
     .tabOrder = 3},
    {.id = Edit12, .member = &MainFormWindows::Edit12, .kind = K::Edit, .parent = TabSheet4, .bounds = {336, 197, 121, 21},
     .caption = L"01016433305000", .tabOrder = 7},
    {.id = Label16, .member = &MainFormWindows::Label16, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 232},
     .caption = L"Пример"},
    {.id = RadioButton3, .member = &MainFormWindows::RadioButton3, .kind = K::RadioButton, .parent = TabSheet4,
     .bounds = {32, 272, 265, 17}, .caption = L"Запуск Varnel с передачей фамилии должностного лица", .tabOrder = 6},
    {.id = Label17, .member = &MainFormWindows::Label17, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 306},
     .caption = L"Фамилия должностного лица органа"},
    {.id = Edit11, .member = &MainFormWindows::Edit11, .kind = K::Edit, .parent = TabSheet4, .bounds = {48, 325, 217, 21},
     .tabOrder = 5},
    {.id = Label18, .member = &MainFormWindows::Label18, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 360},
     .caption = L"Пример"},
    // Designed at top 408, below the designed page area; the window opens tall enough.
    {.id = Button2, .member = &MainFormWindows::Button2, .kind = K::Button, .parent = TabSheet4,
     .bounds = {48, 408, 145, 25}, .caption = L"Открыть Varnel", .tabOrder = 0},
};

}  // namespace

std::span<const ControlDescription> MainFormControls() { return kControls; }

const ControlDescription* DescriptionOf(int id) {
    for (const ControlDescription& control : kControls) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

HWND WindowOf(const MainFormWindows& windows, int id) {
    const ControlDescription* control = DescriptionOf(id);
    return control ? windows.*control->member : nullptr;
}

}  // namespace window
