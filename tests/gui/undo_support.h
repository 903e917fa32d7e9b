#pragma once
// Shared by the undo tests: the main window with its own pages, gestures as a user makes them (drags,
// clicks, a choice from a combo's list, keys, wheel notches), and the model's records to compare.
#include <QAbstractItemView>
#include <QApplication>
#include <QTest>
#include <memory>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app/UndoGestures.h"
#include "app_support.h"
#include "controls/BitButton.h"
#include "controls/BitComboBox.h"
#include "controls/BitListBox.h"
#include "controls/BitmapSlider.h"
#include "controls/EnTabCtrl.h"
#include "controls/NumEdit.h"
#include "controls_support.h"
#include "eq/BandSets.h"
#include "eq/CFStatic.h"
#include "model/UndoHistory.h"
#include "pages/BandStripRow.h"
#include "pages/EQDlg.h"
#include "pages/MusicDlg.h"
#include "pages/SysDlg.h"
#include "platform/ControlId.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::test {

// A unit's records as they are now.
inline EditedRecords Records(const Unit& unit) {
    return CopyEditedRecords(unit.model());
}
inline bool Same(const EditedRecords& a, const EditedRecords& b) {
    return SameRecord(a.image, b.image) && SameRecord(a.system, b.system);
}

struct UndoWindow {
    AppState state;  // first: the model is reset before the window reads it
    std::unique_ptr<PavoDlg> w;

    explicit UndoWindow(StartOptions o = Offline()) {
        w = std::make_unique<PavoDlg>(o);
        w->progress().SetGraceTimes(10, 10);
        w->show();
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        Settle();
    }
    static StartOptions Offline() {
        StartOptions o;
        o.connectAtStart = false;
        return o;
    }

    UndoGestures& undo() { return w->undo(); }
    Unit& unit() const { return w->unit(); }
    Model& model() const { return w->unit().model(); }
    UndoHistory& history() { return w->undo().history(); }
    SysDlg* sys() const { return static_cast<SysDlg*>(w->SystemPage()); }
    MusicDlg* music() const { return static_cast<MusicDlg*>(w->Page(PavoDlg::PageMusic)); }
    // The music page's graph and band strips (the page builds them when first shown).
    CFStatic* Graph() const { return music()->Graph(); }
    EQDlg* Strip(int i) const { return music()->Strips().Strip(i); }
    template <class T = QWidget>
    T* SysItem(int id) const {
        return DialogItemAs<T>(sys(), id);
    }

    // A page's control by id; the page builds its controls when first shown.
    template <class T = QWidget>
    T* PageItem(int page, int id) const {
        return DialogItemAs<T>(w->Page(page), id);
    }

    // Selects a tab as the user does; the effect page gets its tab first.
    void ShowPage(int index) {
        if (index == PavoDlg::PageEffect && !w->EffectsTabShown()) w->ShowEffectsTab(true);
        w->tabs().SetCurSel(index);
        w->SelectPage(index);
        Settle();
    }

    // Lets the controls' posted messages and the gesture's commit run.
    static void Settle() {
        for (int i = 0; i < 8; ++i) {
            QApplication::processEvents();
            DeliverPostedMessages();
        }
    }

    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QWidget* to = nullptr) {
        QTest::keyClick(to ? to : w.get(), static_cast<Qt::Key>(key), mods);
        Settle();
    }
    void Undo() { Key(Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }

    void Click(QWidget* target, QPoint at = {}) {
        QTest::mouseClick(target, Qt::LeftButton, {}, at.isNull() ? target->rect().center() : at);
        Settle();
    }

    // Press on the thumb, move in steps, let go.
    void DragSlider(BitmapSlider* s, int toPos) {
        auto along = [s](int c) {
            return s->IsVertical() ? QPoint(s->width() / 2, c) : QPoint(c, s->height() / 2);
        };
        const int from = s->ThumbCentre(), to = s->CentreOfPos(toPos);
        QTest::mousePress(s, Qt::LeftButton, {}, along(from));
        for (int i = 1; i <= 4; ++i) QTest::mouseMove(s, along(from + (to - from) * i / 4));
        QTest::mouseRelease(s, Qt::LeftButton, {}, along(to));
        Settle();
    }

    // Hovers over a band's handle in the graph, then drags it by `dy` pixels, in steps.
    void DragBand(CFStatic* graph, CFilter& band, int dy) {
        const PlotPoint c = band.HandleRect().Centre();
        const QPoint start(c.x, c.y);
        auto move = [graph](QPoint at, Qt::MouseButtons held) {
            QMouseEvent e(QEvent::MouseMove, at, graph->mapToGlobal(at), Qt::NoButton, held, Qt::NoModifier);
            QApplication::sendEvent(graph, &e);
        };
        move(start, Qt::NoButton);
        QTest::mousePress(graph, Qt::LeftButton, {}, start);
        for (int i = 1; i <= 4; ++i) move(start + QPoint(0, dy * i / 4), Qt::LeftButton);
        QTest::mouseRelease(graph, Qt::LeftButton, {}, start + QPoint(0, dy));
        Settle();
    }

    // Opens the combo's list with a click and clicks the item.
    void ChooseFromList(BitComboBox* combo, int index) {
        QTest::mouseClick(combo, Qt::LeftButton, {}, combo->rect().center());
        QApplication::processEvents();
        QAbstractItemView* view = combo->view();
        ASSERT_TRUE(view->isVisible());
        // A list opened by a click ignores a release close to that click until the mouse has moved
        // away from it (or a double-click interval has passed): move onto the item first, as a hand
        // does, and the release chooses it.
        const QPoint at = view->visualRect(view->model()->index(index, 0)).center();
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        ASSERT_TRUE(WaitUntil([view] { return !view->isVisible(); }, 5000));
        Settle();
    }

    // Types into a numeric edit and commits with Enter, as in the band strips.
    void TypeAndEnter(NumEdit* edit, const char* text) {
        edit->setFocus(Qt::TabFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, QString::fromLatin1(text));
        Key(Qt::Key_Return, Qt::NoModifier, edit);
    }
};

// Connects the window to `unit` and waits until the full read is done and nothing is pending.
inline bool Connect(UndoWindow& u, unit::UnitLine& unit) {
    u.w->connection().SetPortLister([path = unit.DevicePath()] { return std::vector<std::string>{path}; });
    PostMessage(u.w.get(), WM_CONNECT_REQUEST);
    return WaitUntil(
        [&] { return OnLineAndIdle(*u.w) && u.unit().model().flags.transferPending.load() == 0; });
}

inline ProgramImage Current(UndoWindow& u) {
    return Edit(u.unit(), [](Model& m) { return m.current; });
}

// The scanner has sent everything: the unit holds the program's image.
inline bool UnitHoldsTheProgram(UndoWindow& u, unit::UnitLine& unit) {
    return WaitUntil([&] { return SameRecord(unit.Unit().CurrentImage(), Current(u)); });
}

}  // namespace pavo::test
