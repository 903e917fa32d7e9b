#pragma once
// The progress / wait dialog: blocks the main window during device lookups and transfers.
// Lookup mode ends when the lookup-pending flag drops, wait mode when the transfer-pending flag drops
// (each after a short grace time), progress mode when the last numbered item has been written.
#include <QDialog>

#include "platform/WinMessage.h"

class QLabel;
class QProgressBar;

namespace pavo {

class Show_Dlg : public QDialog, public MessageTarget {
    Q_OBJECT
public:
    enum { IDD = 171, IDC_PROGRESS = 1411, IDC_TEXT = 1413, TimerWait = 8, TimerLookup = 9 };
    enum class Mode { Hidden, Lookup, Progress, Wait };

    // `mainWindow` is centred on and disabled while the dialog shows; `blocked` is what gets disabled
    // (the main window's contents; by default the main window itself).
    explicit Show_Dlg(QWidget* mainWindow, QWidget* blocked = nullptr);

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
    void SetMainEnabled(bool enabled);
    void OnTimer(int id);

    QWidget* main_;
    QWidget* blocked_;
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
