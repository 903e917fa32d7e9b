#pragma once
// A page that builds its controls the first time it is needed (shown, selected or refreshed), so the
// main window starts without paying for pages the user has not opened yet. Until then a language
// change has nothing to relabel; the build ends with ApplyLanguage.
#include "pages/PageDlg.h"

namespace pavo {

class LazyPageDlg : public PageDlg {
    Q_OBJECT
public:
    using PageDlg::PageDlg;

    // Builds the controls unless that was done already.
    void Build();
    bool Built() const { return built_; }

protected:
    // Creates the controls from the dialog template and sets them up.
    virtual void BuildControls() = 0;
    void showEvent(QShowEvent* e) override;

private:
    bool built_ = false;
};

}  // namespace pavo
