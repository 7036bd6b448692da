// The windows of the main form's controls, named as in the window description. The
// description's rows point at these fields; TfrmMain inherits them.
#pragma once

#include "win32.h"

namespace window {

struct MainFormWindows {
    HWND PageControl1{}, TabSheet1{}, TabSheet2{}, TabSheet3{}, TabSheet4{};
    HWND GroupBox1{}, GroupBox2{}, RadioGroup1{}, RadioGroup2{}, RadioGroup3{};
    HWND RadioButton1{}, RadioButton2{}, RadioButton3{}, RadioButton4{}, RadioButton5{}, RadioButton6{};
    HWND Label1{}, Label2{}, Label3{}, Label4{}, Label5{}, Label6{}, Label7{}, Label8{}, Label9{}, Label10{};
    HWND Label11{}, Label12{}, Label13{}, Label14{}, Label15{}, Label16{}, Label17{}, Label18{}, Label19{},
        Label20{};
    HWND Edit1{}, Edit2{}, Edit3{}, Edit4{}, Edit5{}, Edit6{}, Edit7{}, Edit8{}, Edit9{}, Edit10{}, Edit11{},
        Edit12{};
    HWND ComboBox1{}, Memo1{}, Memo2{}, Button1{}, Button2{};
};

}  // namespace window
