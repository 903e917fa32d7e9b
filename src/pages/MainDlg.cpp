#include "pages/MainDlg.h"

namespace pavo {

MainDlg::MainDlg(PageHost& host, QWidget* parent) : PageDlg(parent), host_(host) {}

}  // namespace pavo
