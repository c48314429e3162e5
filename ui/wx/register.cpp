// Offers the wx toolkit to the user-interface layer when the module loads; the layer makes it
// only when no script is set and a dialog is about to show.
#include "ui/toolkit.h"
#include "ui/wx/wx_toolkit.h"

namespace {

[[maybe_unused]] const bool registered = [] {
  ui::register_display_toolkit(&ui::wx::make_wx_toolkit);
  return true;
}();

}  // namespace
