#pragma once
// The dynamic EQ page: the three dynamic bands of the left and right music channels.
#include "pages/PageDlg.h"
#include "pages/PageHost.h"

namespace pavo {

class DEQ_Dlg : public PageDlg {
    Q_OBJECT
public:
    enum { IDD = 144 };

    explicit DEQ_Dlg(PageHost& host, QWidget* parent = nullptr);

private:
    PageHost& host_;
};

}  // namespace pavo
