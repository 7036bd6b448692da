// The owner of a font a window draws its controls with.
#pragma once

#include "win32.h"

#include <memory>

namespace display {

struct FontDeleter {
    void operator()(HFONT font) const noexcept { ::DeleteObject(font); }
};

// Null means empty.
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

}  // namespace display
