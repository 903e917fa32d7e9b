#include "pages/LazyPageDlg.h"

namespace pavo {

void LazyPageDlg::Build() {
    if (built_) return;
    built_ = true;
    BuildControls();
    ApplyLanguage();
}

void LazyPageDlg::showEvent(QShowEvent* e) {
    Build();
    PageDlg::showEvent(e);
}

}  // namespace pavo
