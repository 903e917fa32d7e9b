#include "pages/Mic_Dlg.h"

namespace pavo {

Mic_Dlg::Mic_Dlg(PageHost& host, QWidget* parent) : PageDlg(parent), host_(host) {}

}  // namespace pavo
