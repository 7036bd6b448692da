// Identifiers of the main window's controls. They are stable so that tools and tests
// can find a control from outside the process (GetDlgItem on its parent, or a search of
// all descendants by identifier); every identifier is unique in the whole window.
#pragma once

namespace ControlId {

enum : int {
    PageControl1 = 100,
    TabSheet1,
    TabSheet2,
    TabSheet3,
    TabSheet4,

    // Page 1 "Поиск".
    GroupBox2 = 200,
    RadioButton4,
    RadioButton5,
    RadioButton6,
    RadioGroup2 = 210,  // items: RadioGroupItem(RadioGroup2, i)
    GroupBox1 = 220,
    Label1,
    Edit1,
    Label2,
    Edit2,
    Label3,
    Edit3,
    Label4,
    Edit4,
    Label5,
    Edit5,
    Label6,
    Edit6,
    RadioGroup1 = 240,
    Label8 = 250,
    Edit8,
    RadioGroup3 = 260,
    Label9 = 270,
    ComboBox1,
    Label7,
    Edit7,
    Label10,
    Label11,
    Label12,
    Button1,

    // Page 2 "XML - файл".
    Memo1 = 300,

    // Page 3 "Описание".
    Label19 = 400,
    Label20,
    Memo2,

    // Page 4 "Запуск с параметрами".
    RadioButton1 = 500,
    Label13,
    Edit9,
    Label14,
    RadioButton2,
    Label15,
    Edit10,
    Edit12,
    Label16,
    RadioButton3,
    Label17,
    Edit11,
    Label18,
    Button2,
};

// The radio button of item index of a radio group; a group has at most nine items.
constexpr int RadioGroupItem(int radioGroup, int index) { return radioGroup + 1 + index; }

}  // namespace ControlId
