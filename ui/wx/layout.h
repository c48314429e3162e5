// Where each control of a form goes: designed bounds, or the share of its parent that its
// alignment gives it. Pure arithmetic, so it is the same for every backend and testable alone.
#pragma once

#include <map>

#include "ui/control.h"
#include "ui/form.h"

namespace ui::wx {

// The rectangle of every control relative to its parent's client area. Aligned controls take
// their edge of what is left of the parent, in declaration order, after a bevelled panel's
// one-pixel frame; the others keep their bounds.
std::map<const Control*, Rect> layout_form(const Form& form);

}  // namespace ui::wx
