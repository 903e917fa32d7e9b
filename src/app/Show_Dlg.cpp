#include "app/Show_Dlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

#include "platform/ControlId.h"
#include "platform/InputBlocker.h"
#include "platform/Language.h"
#include "platform/Skin.h"
#include "platform/Timers.h"

namespace pavo {

Show_Dlg::Show_Dlg(const UnitFlags& flags, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      flags_(flags),
      main_(mainWindow),
      blocker_(new InputBlocker(mainWindow)) {
    blocker_->setParent(this);
    setModal(false);
    setFixedSize(300, 80);
    auto* layout = new QVBoxLayout(this);
    text_ = new QLabel(this);
    text_->setAlignment(Qt::AlignCenter);
    SetControlId(text_, IDC_TEXT);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    SetControlId(bar_, IDC_PROGRESS);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    OnMessage(WM_TIMER, [this](WParam id, LParam) {
        OnTimer(static_cast<int>(id));
        return 0;
    });
    hide();
}

void Show_Dlg::ApplyLanguage() {
    switch (mode_) {
        case Mode::Lookup:
            text_->setText(Bilingual("设备查找中", "Device lookup"));
            setWindowTitle(Bilingual("设备查找中", "Device lookup "));
            break;
        case Mode::Progress:
            setWindowTitle(Bilingual("数据传输", "Data transmission"));
            break;
        case Mode::Wait:
            text_->setText(Bilingual("数据正在传输中", "Data transmission"));
            setWindowTitle(Bilingual("数据传输", "Data transmission"));
            break;
        case Mode::Hidden:
            break;
    }
}

void Show_Dlg::StartLookup() {
    mode_ = Mode::Lookup;
    text_->show();
    bar_->hide();
    ApplyLanguage();
    BlockMainWindow(true);
    lookupEnding_ = false;
    SetTimer(this, TimerLookup, 10);
    ShowCentred(true);
}

void Show_Dlg::StartProgress(int n) {
    // The lookup is over (the unit answered): its 10 ms poll would only cost time from now on.
    KillTimer(this, TimerLookup);
    mode_ = Mode::Progress;
    end_ = n;
    text_->hide();
    bar_->setRange(0, n);
    bar_->setValue(0);
    bar_->show();
    ApplyLanguage();
    BlockMainWindow(true);
    ShowCentred(true);
}

void Show_Dlg::StartWait() {
    mode_ = Mode::Wait;
    text_->show();
    bar_->hide();
    ApplyLanguage();
    BlockMainWindow(true);
    waitEnding_ = false;
    SetTimer(this, TimerWait, 200);
    ShowCentred(false);
}

void Show_Dlg::SetPosition(int p) {
    bar_->setValue(p);
    if (p == end_) Finish();
}

int Show_Dlg::position() const {
    return bar_->value();
}

void Show_Dlg::EndWait() {
    KillTimer(this, TimerWait);
    Finish();
}

void Show_Dlg::EndLookup() {
    KillTimer(this, TimerLookup);
    Finish();
}

void Show_Dlg::Finish() {
    KillTimer(this, TimerLookup);  // whichever mode ends, no lookup is left to watch
    BlockMainWindow(false);
    mode_ = Mode::Hidden;
    hide();
    if (auto done = std::exchange(whenFinished_, nullptr)) done();
}

void Show_Dlg::BlockMainWindow(bool block) {
    blocker_->SetActive(block);
}

bool Show_Dlg::BlocksInput() const {
    return blocker_->IsActive();
}

void Show_Dlg::ShowCentred(bool centre) {
    if (centre && main_) {
        const QPoint origin = main_->mapToGlobal(QPoint(0, 0));
        move(origin + QPoint((main_->width() - width()) / 2, (main_->height() - height()) / 2));
    }
    show();
    raise();
}

// The flags are polled; when one drops, the dialog stays a moment longer (without blocking the UI)
// and ends unless a new transfer or lookup raised the flag again meanwhile.
void Show_Dlg::OnTimer(int id) {
    if (id == TimerWait && !waitEnding_ && flags_.transferPending.load() == 0) {
        waitEnding_ = true;
        QTimer::singleShot(waitGraceMs_, this, [this] {
            if (waitEnding_ && flags_.transferPending.load() == 0) EndWait();
            waitEnding_ = false;
        });
    } else if (id == TimerLookup && !lookupEnding_ && flags_.lookupPending.load() == 0) {
        lookupEnding_ = true;
        QTimer::singleShot(lookupGraceMs_, this, [this] {
            if (lookupEnding_ && flags_.lookupPending.load() == 0) EndLookup();
            lookupEnding_ = false;
        });
    }
}

void Show_Dlg::closeEvent(QCloseEvent* e) {
    e->ignore();
}

void Show_Dlg::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) return;  // Escape would close a QDialog
    QDialog::keyPressEvent(e);
}

}  // namespace pavo
