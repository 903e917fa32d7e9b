#include "pages/DEQ_Dlg.h"

namespace pavo {

DEQ_Dlg::DEQ_Dlg(PageHost& host, QWidget* parent) : PageDlg(parent), host_(host) {}

}  // namespace pavo
