#pragma once
// Keeps the user's input away from a window while a transfer runs, without disabling it: a disabled
// window would repaint every control in its disabled look (titles gone, faces blank, captions grey)
// for the length of the transfer. Mouse presses, moves, the wheel, keys, shortcuts, context menus and
// drops aimed at the window or any widget in it are dropped; painting, timers and the window's close
// request go on. Other windows (the progress dialog, message boxes) are not affected.
//
// Button releases pass, so that a drag begun before the block ends normally.
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace pavo {

class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget* window);
    ~InputBlocker() override;

    void SetActive(bool active);
    bool IsActive() const { return active_; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool Inside(QObject* receiver) const;

    QPointer<QWidget> window_;
    bool active_ = false;
};

}  // namespace pavo
