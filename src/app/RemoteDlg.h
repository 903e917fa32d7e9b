#pragma once
// "Remote control…" / "远程控制": turns the remote control on and off, chooses who may reach it (this
// computer only, or other devices on this network) and the port, and shows where to go: the URLs with
// a QR code of the first, the PIN, and the clients holding a session.
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QListWidget;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace pavo {

class RemoteControl;

class RemoteDlg : public QDialog {
    Q_OBJECT
public:
    RemoteDlg(RemoteControl& remote, QWidget* parent);

    // What is shown, afresh (the clients also once a second).
    void ShowState();

private:
    void Apply();
    void ApplyPort();
    void ShowError(bool ok, const QString& error);
    void ShowClients();

    RemoteControl& remote_;
    QCheckBox* on_;
    QRadioButton* local_;
    QRadioButton* network_;
    QSpinBox* port_;
    QLabel* warning_;
    QLabel* qr_;
    QLabel* urls_;
    QLabel* pin_;
    QLabel* error_;
    QListWidget* clients_;
    QTimer* timer_;
};

// The QR code of `text` as a picture with `module` pixels a module and a four-module quiet zone; a
// null picture when the text does not fit.
QImage QrCodeImage(const QString& text, int module);

}  // namespace pavo
