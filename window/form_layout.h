// Widening and layout of the main form's controls: the 96-DPI design of the window
// description placed at the window's DPI and size.
#pragma once

#include "form_controls.h"
#include "layout.h"
#include "win32.h"

namespace window {

// The widening (at least 1) at which every caption of the controls fits in its room.
double MeasureWidening(const MainFormWindows& windows, UINT dpi);

// The client size the form opens with: the page area it was designed for, whatever
// the tabs take.
SIZE InitialClientSize(const MainFormWindows& windows, const LayoutScale& scale);

// Places every control in its parent's client area as it is now.
void LayOutForm(const MainFormWindows& windows, const LayoutScale& scale) noexcept;

// Sizes a label to its text, after the text has changed.
void FitLabelToText(HWND label);

}  // namespace window
