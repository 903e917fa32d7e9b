#pragma once
// The main output page, serving the Out1&2 and Out3&4 tabs.
#include "pages/PageDlg.h"
#include "pages/PageHost.h"

namespace pavo {

class MainDlg : public PageDlg {
    Q_OBJECT
public:
    enum { IDD = 149 };

    explicit MainDlg(PageHost& host, QWidget* parent = nullptr);

private:
    PageHost& host_;
};

}  // namespace pavo
