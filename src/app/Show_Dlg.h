#pragma once
// The progress / wait dialog: blocks input to the main window during device lookups and transfers
// (without greying it: see platform/InputBlocker.h).
// Lookup mode ends when the lookup-pending flag drops, wait mode when the transfer-pending flag drops
// (each after a short grace time), progress mode when the last numbered item has been written.
#include <QDialog>
#include <functional>

#include "model/Flags.h"
#include "platform/WinMessage.h"

class QLabel;
class QProgressBar;

namespace pavo {

class InputBlocker;

class Show_Dlg : public QDialog, public MessageTarget {
    Q_OBJECT
public:
    enum { IDD = 171, IDC_PROGRESS = 1411, IDC_TEXT = 1413, TimerWait = 8, TimerLookup = 9 };
    enum class Mode { Hidden, Lookup, Progress, Wait };

    // The dialog is centred on `mainWindow`, whose input it blocks while it shows.
    // The progress of `flags`' unit, over `mainWindow`.
    Show_Dlg(const UnitFlags& flags, QWidget* mainWindow);

    void StartLookup();
    void EndLookup();
    void StartProgress(int n);
    void SetPosition(int p);  // UI thread; the engine's reports arrive as posted messages
    void StartWait();
    void EndWait();

    Mode mode() const { return mode_; }
    int endValue() const { return end_; }
    int position() const;
    void ApplyLanguage();
    // Whether the user's input to the main window is blocked now.
    bool BlocksInput() const;
    // Whether the unit is being written or waited on (a progress run or an acknowledged transfer):
    // the program must not end before it is done. A lookup is not.
    bool TransferRunning() const { return mode_ == Mode::Progress || mode_ == Mode::Wait; }
    // Called once when the dialog next hides (the main window closes itself then).
    void WhenFinished(std::function<void()> done) { whenFinished_ = std::move(done); }

    // Grace times after the flags drop (tests shorten them).
    void SetGraceTimes(int waitMs, int lookupMs) {
        waitGraceMs_ = waitMs;
        lookupGraceMs_ = lookupMs;
    }

protected:
    void closeEvent(QCloseEvent* e) override;  // only the rules above close it
    void keyPressEvent(QKeyEvent* e) override;

private:
    void ShowCentred(bool centre);
    void Finish();
    void BlockMainWindow(bool block);
    void OnTimer(int id);

    const UnitFlags& flags_;
    QWidget* main_;
    InputBlocker* blocker_;
    std::function<void()> whenFinished_;
    QLabel* text_;
    QProgressBar* bar_;
    Mode mode_ = Mode::Hidden;
    int end_ = 0;
    int waitGraceMs_ = 500;
    int lookupGraceMs_ = 1000;
    bool waitEnding_ = false;
    bool lookupEnding_ = false;
};

}  // namespace pavo
