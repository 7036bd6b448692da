// Creating the main form's controls from the window description: fonts, windows and
// the tab order.
#pragma once

#include "form_controls.h"
#include "gdi_handles.h"
#include "win32.h"

namespace window {

struct FormFonts {
    display::UniqueFont normal;  // Tahoma 8 pt
    display::UniqueFont link;    // the same, underlined
};

// The form's fonts at dpi. Throws when they cannot be created.
FormFonts CreateFormFonts(UINT dpi);

// Gives every control that exists its font, redrawing it.
void SetFormFonts(const MainFormWindows& windows, const FormFonts& fonts);

// Creates every control of the description in form, keeps its window in windows and
// puts the controls in their tab order. Throws when a control cannot be created.
void CreateFormControls(HWND form, HINSTANCE instance, MainFormWindows& windows, const FormFonts& fonts);

}  // namespace window
