#pragma once
// Base of the tab pages: a child dialog on the dark page background with its own message map. Every
// page offers the main window ApplyLanguage and RefreshFromModel.
//
// A page may build its controls on first use instead of in its constructor (CreateContents): the
// window then opens without building pages nobody has looked at yet. EnsureCreated builds them; it
// runs when the page is first shown, and a page calls it wherever it needs its controls.
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

    // Builds the page's controls if that has not happened yet; keeps the page's place and size.
    void EnsureCreated();
    bool IsCreated() const { return created_; }

protected:
    // Builds the controls; called once, by EnsureCreated.
    virtual void CreateContents() {}
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    bool created_ = false;
    bool creating_ = false;
};

}  // namespace pavo
