#pragma once
// The effect page: the echo and reverb editors behind their selector buttons.
#include "pages/PageDlg.h"
#include "pages/PageHost.h"

namespace pavo {

class Effect_Dlg : public PageDlg {
    Q_OBJECT
public:
    enum { IDD = 146 };

    explicit Effect_Dlg(PageHost& host, QWidget* parent = nullptr);

private:
    PageHost& host_;
};

}  // namespace pavo
