#pragma once
// The music page: the left and right music channels' EQ, filters, gate, limiter, exciter and key.
#include "pages/PageDlg.h"
#include "pages/PageHost.h"

namespace pavo {

class MusicDlg : public PageDlg {
    Q_OBJECT
public:
    enum { IDD = 135 };

    explicit MusicDlg(PageHost& host, QWidget* parent = nullptr);

private:
    PageHost& host_;
};

}  // namespace pavo
