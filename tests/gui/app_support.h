#pragma once
// Shared by the main-window tests: a fresh model, recorded message boxes and file dialogs, and
// waiting on the UI thread for what the engine reports.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>

#include "app/Pavo.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "model/FieldCatalog.h"
#include "model/Model.h"
#include "platform/FileDialog.h"
#include "platform/Language.h"
#include "platform/MessageBox.h"
#include "platform/WinMessage.h"
#include "virtual_unit/UnitLine.h"

namespace pavo::test {

// Runs the event loop until `done` or the time-out (generous: the machine is shared).
// A right click at `at` (in `window`'s coordinates) as a user makes it: press and release on the
// widget under the point, which passes what it does not take on to its parents; the window's
// menu opens on the release.
inline void RightClick(QWidget& window, QPoint at) {
    QWidget* on = window.childAt(at);
    if (!on) on = &window;
    QTest::mouseClick(on, Qt::RightButton, {}, on->mapFrom(&window, at));
}

inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        DeliverPostedMessages();
    }
    return true;
}

// Edits (or reads) a unit's model under its lock, as the pages do:
//     Edit(w->unit(), [](Model& m) { m.current.MusicLeft.EqBypass = 1; });
template <class F>
decltype(auto) Edit(Unit& unit, F&& edit) {
    Model& m = unit.model();
    return m.Edit([&]() -> decltype(auto) { return edit(m); });
}

// Every test starts in English, with boxes recorded instead of shown (each window has a unit of its
// own, freshly reset).
class AppState {
public:
    AppState() {
        SystemLocaleId() = kLocaleEnglishUs;
        SetUiLanguage(LanguageEnglish);
        oldBox_ = SetMessageBoxPresenter([this](const MessageBoxRequest& r) {
            boxes.push_back(r.text);
            return int(ResultOk);
        });
        oldFile_ = SetFileDialogPresenter([this](const FileDialogRequest& r) {
            requests.push_back(r);
            return nextFile;
        });
    }
    ~AppState() {
        SetMessageBoxPresenter(oldBox_);
        SetFileDialogPresenter(oldFile_);
    }
    QStringList boxes;
    std::vector<FileDialogRequest> requests;
    QString nextFile;

private:
    MessageBoxPresenter oldBox_;
    FileDialogPresenter oldFile_;
};

// A virtual unit answering on a fresh pseudo-terminal.
inline std::unique_ptr<unit::UnitLine> StartUnit(unit::UnitOptions options = {}) {
    auto u = std::make_unique<unit::UnitLine>(options);
    std::string error;
    EXPECT_TRUE(u->Start(&error)) << error;
    return u;
}

// On line, the full read written and its last reply (the current program) handled.
inline bool OnLineAndIdle(PavoDlg& w) {
    return w.unit().model().flags.connected.load() && w.progress().mode() == Show_Dlg::Mode::Hidden &&
           w.progress().endValue() == 24 && !w.programLabelText().startsWith("Off Line");
}

}  // namespace pavo::test
