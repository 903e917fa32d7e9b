#include "pages/Effect_Dlg.h"

namespace pavo {

Effect_Dlg::Effect_Dlg(PageHost& host, QWidget* parent) : PageDlg(parent), host_(host) {}

}  // namespace pavo
