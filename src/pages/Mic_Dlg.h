#pragma once
// The microphone page: the two microphone pairs' EQ, filters, gate, limiter, exciter and level.
#include "pages/PageDlg.h"
#include "pages/PageHost.h"

namespace pavo {

class Mic_Dlg : public PageDlg {
    Q_OBJECT
public:
    enum { IDD = 145 };

    explicit Mic_Dlg(PageHost& host, QWidget* parent = nullptr);

private:
    PageHost& host_;
};

}  // namespace pavo
