#include "pages/MusicDlg.h"

namespace pavo {

MusicDlg::MusicDlg(PageHost& host, QWidget* parent) : PageDlg(parent), host_(host) {}

}  // namespace pavo
