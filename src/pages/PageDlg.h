#pragma once
// Base of the tab pages: a child dialog on the dark page background with its own message map. Every
// page offers the main window ApplyLanguage and RefreshFromModel.
#include <QWidget>

#include "platform/WinMessage.h"

namespace pavo {

class PageDlg : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    explicit PageDlg(QWidget* parent = nullptr);
    // Re-set every caption for the current UI language.
    virtual void ApplyLanguage() {}
    // Show the model's values in the controls.
    virtual void RefreshFromModel() {}
    // A status reply arrived (kind 12: levels, 24: indicators); the system page shows its meters.
    virtual void StatusReceived(int kind) {}
    // The page became the selected one for a page index (the output page serves two indices).
    virtual void Selected(int pageIndex) {}

protected:
    void paintEvent(QPaintEvent* e) override;
};

}  // namespace pavo
