#pragma once
// Base of the tab pages: a child dialog on the dark page background with its own message map and its
// controls found by id. Every page offers the main window ApplyLanguage and RefreshFromModel.
//
// A page builds its controls in CreateContents, on first use instead of in its constructor: the window
// then opens without building pages nobody has looked at yet. EnsureCreated builds them; it runs when
// the page is first shown, and a page calls it wherever it needs its controls (refresh, selection, its
// accessors). Until then a language change has nothing to relabel; the build ends with ApplyLanguage.
#include <QWidget>
#include <functional>

#include "pages/ControlIndex.h"
#include "platform/DialogTemplate.h"
#include "platform/WinMessage.h"
#include "unit/Unit.h"

namespace pavo {

class PageDlg : public QWidget, public MessageTarget {
    Q_OBJECT
public:
    // A page of `unit`: its model and band sets are what the page shows and edits.
    explicit PageDlg(Unit& unit, QWidget* parent = nullptr);
    // Re-set every caption for the current UI language.
    virtual void ApplyLanguage() {}
    // Show the model's values in the controls.
    virtual void RefreshFromModel() {}
    // A status reply filled an area (levels or indicators); the system page shows its meters.
    virtual void StatusReceived(StatusArea /*area*/) {}
    // The page became the selected one for a page index (the output page serves two indices).
    virtual void Selected(int /*pageIndex*/) {}

    // Builds the page's controls if that has not happened yet, then shows their captions; keeps the
    // page's place and size.
    void EnsureCreated();
    bool IsCreated() const { return created_; }

    Unit& unit() const { return unit_; }
    Model& model() const { return unit_.model(); }
    BandSets& bands() const { return unit_.bands(); }

protected:
    // Builds the controls; called once, by EnsureCreated.
    virtual void CreateContents() {}
    // Creates the controls of a dialog template (through `factory`, as CreateFromTemplate does) and
    // finds them by id once: a page reaches dozens of them on every refresh.
    void CreateControls(const DialogTemplate& tpl, const ControlFactory& factory);
    // A control of the page's template by id and class; null when there is none.
    template <class T = QWidget>
    T* Item(int id) const {
        return items_.As<T>(id);
    }
    // The sliders' WM_SLIDER_TRACKING and WM_SLIDER_CHANGED, both handled alike: `handler`(slider id).
    void OnSliders(std::function<void(int)> handler);

    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    Unit& unit_;
    ControlIndex items_;
    bool created_ = false;
    bool creating_ = false;
};

}  // namespace pavo
