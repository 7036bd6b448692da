#include "form_description.h"

#include "Unit2.h"
#include "control_ids.h"

const wchar_t* const kMainFormCaption = L"Демонстрация интеграции программы с программой Varnel (www.varnel.example)";

namespace {

using namespace ControlId;
using K = ControlKind;

constexpr const wchar_t* kAddressTypes[] = {L"Адрес самого органа", L"Адрес ответчика"};
constexpr const wchar_t* kAnswerWays[] = {L"Данные прислать автоматом", L"Данные прислать через интерфейс программы"};
constexpr const wchar_t* kNameTypes[] = {L"Наименование органа", L"Фамилия судьи"};
constexpr const wchar_t* kLanguages[] = {L"Russian", L"English", L"French", L"Bulgarian"};

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
    {.id = PageControl1, .member = &TfrmMain::PageControl1, .kind = K::PageControl, .parent = 0, .tabOrder = 0},
    {.id = TabSheet1, .member = &TfrmMain::TabSheet1, .kind = K::TabSheet, .parent = PageControl1, .caption = L"Поиск"},
    {.id = TabSheet2, .member = &TfrmMain::TabSheet2, .kind = K::TabSheet, .parent = PageControl1, .caption = L"XML - файл"},
    {.id = TabSheet3, .member = &TfrmMain::TabSheet3, .kind = K::TabSheet, .parent = PageControl1, .caption = L"Описание"},
    {.id = TabSheet4, .member = &TfrmMain::TabSheet4, .kind = K::TabSheet, .parent = PageControl1,
     .caption = L"Запуск с параметрами"},

    // Page 1 "Поиск".
    {.id = GroupBox2, .member = &TfrmMain::GroupBox2, .kind = K::GroupBox, .parent = TabSheet1,
     .bounds = {3, 3, 286, 99}, .caption = L" Исходные данные для запроса ", .tabOrder = 8},
    {.id = RadioButton4, .member = &TfrmMain::RadioButton4, .kind = K::RadioButton, .parent = GroupBox2,
     .bounds = {8, 16, 273, 29},
     .caption = L"Искать по адресу самого суда или по адресу, входящего в территорию обслуживания суда",
     .checked = true, .wraps = true, .tabOrder = 0},
    {.id = RadioButton5, .member = &TfrmMain::RadioButton5, .kind = K::RadioButton, .parent = GroupBox2,
     .bounds = {8, 49, 273, 17}, .caption = L"Искать по наименованию суда (или иного органа)", .tabOrder = 1},
    {.id = RadioButton6, .member = &TfrmMain::RadioButton6, .kind = K::RadioButton, .parent = GroupBox2,
     .bounds = {8, 74, 273, 17}, .caption = L"Искать по коду суда (или иного органа)", .tabOrder = 2},
    {.id = RadioGroup2, .member = &TfrmMain::RadioGroup2, .kind = K::RadioGroup, .parent = TabSheet1,
     .bounds = {3, 108, 286, 67}, .caption = L"Тип адреса", .items = kAddressTypes, .selected = 0, .tabOrder = 2},
    {.id = GroupBox1, .member = &TfrmMain::GroupBox1, .kind = K::GroupBox, .parent = TabSheet1,
     .bounds = {3, 181, 286, 217}, .caption = L" Поиск по адресу ", .tabOrder = 7},
    {.id = Label1, .member = &TfrmMain::Label1, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 24},
     .caption = L"Субъект"},
    {.id = Edit1, .member = &TfrmMain::Edit1, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 21, 184, 21},
     .tabOrder = 0},
    {.id = Label2, .member = &TfrmMain::Label2, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 52},
     .caption = L"Район"},
    {.id = Edit2, .member = &TfrmMain::Edit2, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 49, 184, 21},
     .tabOrder = 1},
    {.id = Label3, .member = &TfrmMain::Label3, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 79},
     .caption = L"Город"},
    {.id = Edit3, .member = &TfrmMain::Edit3, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 76, 184, 21},
     .tabOrder = 2},
    {.id = Label4, .member = &TfrmMain::Label4, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 103},
     .caption = L"Населенный пункт"},
    {.id = Edit4, .member = &TfrmMain::Edit4, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 122, 184, 21},
     .tabOrder = 3},
    {.id = Label5, .member = &TfrmMain::Label5, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 152},
     .caption = L"Улица"},
    {.id = Edit5, .member = &TfrmMain::Edit5, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 149, 184, 21},
     .tabOrder = 4},
    {.id = Label6, .member = &TfrmMain::Label6, .kind = K::Label, .parent = GroupBox1, .bounds = {17, 179},
     .caption = L"Индекс"},
    {.id = Edit6, .member = &TfrmMain::Edit6, .kind = K::Edit, .parent = GroupBox1, .bounds = {81, 176, 184, 21},
     .tabOrder = 5},
    {.id = RadioGroup1, .member = &TfrmMain::RadioGroup1, .kind = K::RadioGroup, .parent = TabSheet1,
     .bounds = {295, 3, 269, 78}, .caption = L" Способ ответа ", .items = kAnswerWays, .selected = 0, .tabOrder = 1},
    {.id = Label8, .member = &TfrmMain::Label8, .kind = K::Label, .parent = TabSheet1, .bounds = {295, 97},
     .caption = L"Наименование / Фамилия"},
    {.id = Edit8, .member = &TfrmMain::Edit8, .kind = K::Edit, .parent = TabSheet1, .bounds = {295, 116, 269, 21},
     .caption = L"владимир", .tabOrder = 4},
    {.id = RadioGroup3, .member = &TfrmMain::RadioGroup3, .kind = K::RadioGroup, .parent = TabSheet1,
     .bounds = {295, 142, 269, 66}, .caption = L"Тип ", .items = kNameTypes, .selected = 0, .tabOrder = 5},
    {.id = Label9, .member = &TfrmMain::Label9, .kind = K::Label, .parent = TabSheet1, .bounds = {295, 228},
     .caption = L"На каком языке искать"},
    {.id = ComboBox1, .member = &TfrmMain::ComboBox1, .kind = K::ComboBox, .parent = TabSheet1,
     .bounds = {295, 247, 269, 21}, .items = kLanguages, .selected = 0, .enabled = false, .tabOrder = 6},
    {.id = Label7, .member = &TfrmMain::Label7, .kind = K::Label, .parent = TabSheet1, .bounds = {295, 274},
     .caption = L"Код суда"},
    {.id = Edit7, .member = &TfrmMain::Edit7, .kind = K::Edit, .parent = TabSheet1, .bounds = {295, 293, 269, 21},
     .tabOrder = 3},
    {.id = Label10, .member = &TfrmMain::Label10, .kind = K::Label, .parent = TabSheet1, .bounds = {435, 324},
     .caption = L"Что такое \"Код органа\"?", .link = true},
    {.id = Label11, .member = &TfrmMain::Label11, .kind = K::Label, .parent = TabSheet1, .bounds = {427, 339},
     .caption = L"Сайт программы Varnel", .link = true},
    {.id = Label12, .member = &TfrmMain::Label12, .kind = K::Label, .parent = TabSheet1, .bounds = {404, 354},
     .caption = L"Страница загрузки библиотеки", .link = true},
    {.id = Button1, .member = &TfrmMain::Button1, .kind = K::Button, .parent = TabSheet1,
     .bounds = {354, 373, 210, 25}, .caption = L"Отправить запрос в Varnel", .tabOrder = 0},

    // Page 2 "XML - файл": the answer.
    {.id = Memo1, .member = &TfrmMain::Memo1, .kind = K::Memo, .parent = TabSheet2, .bounds = {3, 3, 565, 399},
     .anchoring = Anchoring::AllSides, .tabOrder = 0},

    // Page 3 "Описание".
    {.id = Label19, .member = &TfrmMain::Label19, .kind = K::Label, .parent = TabSheet3, .bounds = {4, 9},
     .caption = L"Программа Varnel"},
    {.id = Label20, .member = &TfrmMain::Label20, .kind = K::Label, .parent = TabSheet3, .bounds = {133, 9},
     .caption = L"www.varnel.example"},
    {.id = Memo2, .member = &TfrmMain::Memo2, .kind = K::Memo, .parent = TabSheet3, .bounds = {3, 33, 565, 369},
     .caption = kDescriptionText, .anchoring = Anchoring::AllSides, .tabOrder = 0},

    // Page 4 "Запуск с параметрами".
    {.id = RadioButton1, .member = &TfrmMain::RadioButton1, .kind = K::RadioButton, .parent = TabSheet4,
     .bounds = {32, 24, 265, 17}, .caption = L"Запуск Varnel с передачей наименования", .checked = true,
     .tabOrder = 2},
    {.id = Label13, .member = &TfrmMain::Label13, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 58},
     .caption = L"Наименование органа"},
    {.id = Edit9, .member = &TfrmMain::Edit9, .kind = K::Edit, .parent = TabSheet4, .bounds = {48, 77, 217, 21},
     .tabOrder = 1},
    {.id = Label14, .member = &TfrmMain::Label14, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 112},
     .caption = L"Пример"},
    {.id = RadioButton2, .member = &TfrmMain::RadioButton2, .kind = K::RadioButton, .parent = TabSheet4,
     .bounds = {32, 144, 265, 17}, .caption = L"Запуск Varnel с передачей кода органа", .tabOrder = 4},
    {.id = Label15, .member = &TfrmMain::Label15, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 178},
     .caption = L"Код органа"},
    {.id = Edit10, .member = &TfrmMain::Edit10, .kind = K::Edit, .parent = TabSheet4, .bounds = {48, 197, 217, 21},
     .tabOrder = 3},
    {.id = Edit12, .member = &TfrmMain::Edit12, .kind = K::Edit, .parent = TabSheet4, .bounds = {336, 197, 121, 21},
     .caption = L"01016433305000", .tabOrder = 7},
    {.id = Label16, .member = &TfrmMain::Label16, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 232},
     .caption = L"Пример"},
    {.id = RadioButton3, .member = &TfrmMain::RadioButton3, .kind = K::RadioButton, .parent = TabSheet4,
     .bounds = {32, 272, 265, 17}, .caption = L"Запуск Varnel с передачей фамилии должностного лица", .tabOrder = 6},
    {.id = Label17, .member = &TfrmMain::Label17, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 306},
     .caption = L"Фамилия должностного лица органа"},
    {.id = Edit11, .member = &TfrmMain::Edit11, .kind = K::Edit, .parent = TabSheet4, .bounds = {48, 325, 217, 21},
     .tabOrder = 5},
    {.id = Label18, .member = &TfrmMain::Label18, .kind = K::Label, .parent = TabSheet4, .bounds = {48, 360},
     .caption = L"Пример"},
    // Designed at top 408, below the designed page area; the window opens tall enough.
    {.id = Button2, .member = &TfrmMain::Button2, .kind = K::Button, .parent = TabSheet4,
     .bounds = {48, 408, 145, 25}, .caption = L"Открыть Varnel", .tabOrder = 0},
};

}  // namespace

std::span<const ControlDescription> MainFormControls() { return kControls; }
