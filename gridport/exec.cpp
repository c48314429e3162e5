// The steps of the two exports: adopt the host's objects, set the modes, check the grid, show
// the dialog.
#include "gridport/exec.h"

#include "gridport/frm_import.h"
#include "gridport/module_state.h"

namespace gridport {
namespace {

// Clears ImportFormInstance on every way out of the modal showing.
struct CurrentDialog {
  explicit CurrentDialog(Tfrm_Import& form) { module_state().ImportFormInstance = &form; }
  ~CurrentDialog() { module_state().ImportFormInstance = nullptr; }
  CurrentDialog(const CurrentDialog&) = delete;
  CurrentDialog& operator=(const CurrentDialog&) = delete;
};

// The window the host wants the dialog to be modal over, if it names one.
ui::NativeParent parent_of(const GridportApplication* app) {
  if (!GRIDPORT_HAS(GridportApplication, app, parent_window) || app->parent_window == nullptr) {
    return {};
  }
  switch (app->parent_kind) {
    case GRIDPORT_PARENT_WX:
      return {ui::NativeParent::Kind::Wx, app->parent_window};
    case GRIDPORT_PARENT_GTK:
      return {ui::NativeParent::Kind::Gdk, app->parent_window};
    default:
      return {};
  }
}

}  // namespace

int32_t run_exec(const GridportApplication* application, const GridportScreen* screen,
                 const GridportGrid* grid, int32_t auto_map_mode, int32_t error_mode) {
  ModuleState& state = module_state();
  // A host without an application object of its own gets the module's.
  if (application == nullptr) application = state.OwnApplication;
  state.Application = application;
  state.Screen = screen;
  state.AutoMapMode = auto_map_mode;
  state.ErrorMode = error_mode;

  host::Grid host_grid(grid, gridport::application().codec());
  const GridportDataSet* dataset = host_grid.dataset_table();
  if (dataset == nullptr || !host::DataSet(*dataset, host_grid.codec()).Active()) {
    // The caption is the one this message always had, whatever the plug-in is called.
    return gridport::application().message_box_result("详细：待导入数据集未打开！", "Sheetport",
                                                      ui::MessageIcon::Warning,
                                                      ui::MessageButtons::Ok);
  }
  Tfrm_Import form(host_grid);
  CurrentDialog current(form);
  ui::ScopedNativeParent parent(parent_of(application));
  return static_cast<int32_t>(ui::toolkit().show_modal(form));
}

}  // namespace gridport
