#pragma once
// Shared by the tests of the output, dynamic EQ and effect pages: a main window off line or on line
// with the virtual unit, and the user's gestures on a page's controls by id.
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/NumEdit.h"
#include "page_host_fake.h"
#include "platform/ControlId.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::test {

// A main window that does not connect by itself; Connect() takes it on line with a virtual unit.
struct Window {
    AppState state;  // first: the model is reset before the window reads it
    std::unique_ptr<PavoDlg> window;
    std::unique_ptr<unit::UnitLine> unit;

    Window() {
        StartOptions o;
        o.connectAtStart = false;
        window = std::make_unique<PavoDlg>(o);
        window->progress().SetGraceTimes(10, 10);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    ~Window() {
        window.reset();  // closes the port before the unit goes
        unit.reset();
    }

    // On line with a fresh virtual unit, the full read over.
    bool Connect() {
        unit = StartUnit();
        window->connection().SetPortLister(
            [path = unit->DevicePath()] { return std::vector<std::string>{path}; });
        PostMessage(window.get(), WM_CONNECT_REQUEST);
        return WaitUntil([&] { return OnLineAndIdle(*window) && window->unit().model().flags.transferPending.load() == 0; });
    }

    // Selects a tab as the user does.
    void ShowTab(int index) {
        window->tabs().SetCurSel(index);
        window->SelectPage(index);
    }

    // Waits until the unit's current program equals the program's.
    bool UnitFollows() {
        return WaitUntil([&] {
            const ProgramImage model = Edit(window->unit(), [](Model& m) { return m.current; });
            return SameRecord(model, unit->Unit().CurrentImage());
        });
    }
};

// One page on its own, shown and active, with a recording page host; the model freshly reset.
template <class Page>
struct LonePage {
    AppState state;  // first: the model is reset before the page reads it
    FakePageHost host;
    std::unique_ptr<Page> page;

    LonePage() {
        page = std::make_unique<Page>(host);
        page->resize(1256, 604);
        page->show();  // builds the controls
        page->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(page.get()));
    }
    Page* operator->() const { return page.get(); }
    Unit& unit() { return host.unit(); }
};

// Output channel c (storage order) of scene 1..3 in the current image.
inline OutputChannel& Out(Model& m, int scene, int channel) {
    return m.current.Scenes[scene - 1].Channel[channel];
}

// The byte offsets where two records differ.
template <class T>
std::vector<size_t> DifferingBytes(const T& a, const T& b) {
    std::vector<size_t> at;
    for (size_t i = 0; i < sizeof(T); ++i)
        if (BytesOf(a)[i] != BytesOf(b)[i]) at.push_back(i);
    return at;
}

template <class T = QWidget>
T* Item(const QWidget* page, int id) {
    return DialogItemAs<T>(page, id);
}

inline void Click(const QWidget* page, int id) {
    QTest::mouseClick(Item(page, id), Qt::LeftButton);
}

// The slider moved to `pos` and released: the page hears WM_SLIDER_CHANGED.
inline void MoveSlider(QWidget* page, int id, int pos) {
    auto* slider = Item<BitmapSlider>(page, id);
    slider->SetPos(pos);
    SendMessage(page, WM_SLIDER_CHANGED, static_cast<WParam>(id), slider->GetPos());
}

// A vertical gain slider moved to the inverted value `value` (the gain code).
inline void MoveGainSlider(QWidget* page, int id, int value) {
    auto* slider = Item<BitmapSlider>(page, id);
    slider->SetInvertedPos(value);
    SendMessage(page, WM_SLIDER_CHANGED, static_cast<WParam>(id), slider->GetPos());
}

// Text typed into a numeric edit and committed by leaving it.
inline void TypeInto(NumEdit* edit, const QString& text) {
    edit->setFocus(Qt::TabFocusReason);  // selects the text, so typing replaces it
    QTest::keyClicks(edit, text);
    edit->clearFocus();
}
inline void TypeInto(const QWidget* page, int id, const QString& text) {
    TypeInto(Item<NumEdit>(page, id), text);
}

// A combo entry chosen as the user does (the list reports the activation).
inline void Choose(const QWidget* page, int id, int index) {
    auto* combo = Item<BitComboBox>(page, id);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

inline QString LabelText(const QWidget* page, int id) {
    return Item<QLabel>(page, id)->text();
}

inline bool Latched(const QWidget* page, int id) {
    return Item<BitButton>(page, id)->IsLatched();
}

}  // namespace pavo::test
