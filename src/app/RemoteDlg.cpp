#include "app/RemoteDlg.h"

#include <qrencode.h>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>

#include "app/RemoteControl.h"
#include "platform/Language.h"

namespace pavo {

QImage QrCodeImage(const QString& text, int module) {
    const QByteArray utf8 = text.toUtf8();
    QRcode* code = QRcode_encodeString(utf8.constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code) return {};
    constexpr int kQuiet = 4;
    const int side = (code->width + 2 * kQuiet) * module;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < code->width; ++y)
        for (int x = 0; x < code->width; ++x)
            if (code->data[y * code->width + x] & 1)
                for (int dy = 0; dy < module; ++dy)
                    for (int dx = 0; dx < module; ++dx)
                        image.setPixel((x + kQuiet) * module + dx, (y + kQuiet) * module + dy, qRgb(0, 0, 0));
    QRcode_free(code);
    return image;
}

RemoteDlg::RemoteDlg(RemoteControl& remote, QWidget* parent) : QDialog(parent), remote_(remote) {
    setWindowTitle(Bilingual("远程控制", "Remote control"));
    auto* layout = new QVBoxLayout(this);

    on_ = new QCheckBox(
        Bilingual("开启远程控制（手机、平板）", "Turn on the remote control (phones, tablets)"), this);
    layout->addWidget(on_);

    auto* who = new QGroupBox(Bilingual("谁可以连接", "Who may connect"), this);
    auto* whoLayout = new QVBoxLayout(who);
    local_ = new QRadioButton(Bilingual("仅本机 (127.0.0.1)", "This computer only (127.0.0.1)"), who);
    network_ = new QRadioButton(Bilingual("本网络中的其他设备", "Other devices on this network"), who);
    warning_ = new QLabel(Bilingual("知道 PIN 的人都可以更改设备的设置。",
                                    "Anyone who knows the PIN can change the unit's settings."),
                          who);
    warning_->setWordWrap(true);
    port_ = new QSpinBox(who);
    port_->setRange(RemoteControl::kFirstPort, RemoteControl::kLastPort);
    port_->setGroupSeparatorShown(false);
    // Typed and confirmed (Enter or leaving the box): each port tried restarts the service.
    port_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(new QLabel(Bilingual("端口：", "Port:"), who));
    portRow->addWidget(port_);
    portRow->addStretch(1);
    whoLayout->addWidget(local_);
    whoLayout->addWidget(network_);
    whoLayout->addWidget(warning_);
    whoLayout->addLayout(portRow);
    layout->addWidget(who);

    auto* where = new QHBoxLayout;
    qr_ = new QLabel(this);
    qr_->setFixedSize(180, 180);
    qr_->setAlignment(Qt::AlignCenter);
    where->addWidget(qr_);
    auto* form = new QFormLayout;
    urls_ = new QLabel(this);
    urls_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pin_ = new QLabel(this);
    pin_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont big = pin_->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 3);
    pin_->setFont(big);
    form->addRow(Bilingual("网址：", "Address:"), urls_);
    form->addRow(Bilingual("PIN：", "PIN:"), pin_);
    where->addLayout(form, 1);
    layout->addLayout(where);

    error_ = new QLabel(this);
    error_->setStyleSheet(QStringLiteral("color: #b00020"));
    error_->setWordWrap(true);
    layout->addWidget(error_);

    layout->addWidget(new QLabel(Bilingual("已连接的设备：", "Connected clients:"), this));
    clients_ = new QListWidget(this);
    clients_->setMinimumHeight(70);
    layout->addWidget(clients_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(Bilingual("关闭", "Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(on_, &QCheckBox::toggled, this, [this] { Apply(); });
    connect(network_, &QRadioButton::toggled, this, [this] { Apply(); });
    connect(port_, &QSpinBox::editingFinished, this, [this] { ApplyPort(); });
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, [this] { ShowClients(); });
    timer_->start(1000);
    setMinimumWidth(480);
    ShowState();
}

void RemoteDlg::Apply() {
    QString error;
    ShowError(remote_.Set(on_->isChecked(), network_->isChecked(), &error), error);
}

void RemoteDlg::ApplyPort() {
    if (remote_.Running() && port_->value() == remote_.service()->Port()) return;
    QString error;
    ShowError(remote_.SetPort(port_->value(), &error), error);
}

void RemoteDlg::ShowError(bool ok, const QString& error) {
    error_->setText(ok ? QString() : error);
    ShowState();
}

void RemoteDlg::ShowState() {
    const QSignalBlocker b1(on_), b2(local_), b3(network_), b4(port_);
    const bool running = remote_.Running();
    // Any free port (tests) shows the one the service took.
    port_->setValue(remote_.Port() == 0 && running ? remote_.service()->Port() : remote_.Port());
    on_->setChecked(running);
    (remote_.OpenToNetwork() ? network_ : local_)->setChecked(true);
    warning_->setVisible(remote_.OpenToNetwork());
    if (!running) {
        qr_->setPixmap({});
        qr_->setText(Bilingual("已关闭", "Off"));
        urls_->setText(QStringLiteral("–"));
        pin_->setText(QStringLiteral("–"));
    } else {
        QStringList urls;
        for (const std::string& u : remote_.service()->Urls()) urls << QString::fromStdString(u);
        urls_->setText(urls.isEmpty()
                           ? Bilingual("（本机没有网络地址）", "(this computer has no network address)")
                           : urls.join(u'\n'));
        const QImage qr = urls.isEmpty() ? QImage() : QrCodeImage(urls.front(), 4);
        qr_->setPixmap(qr.isNull() ? QPixmap()
                                   : QPixmap::fromImage(qr).scaled(qr_->size(), Qt::KeepAspectRatio));
        pin_->setText(QString::fromStdString(remote_.service()->Pin()));
    }
    ShowClients();
}

void RemoteDlg::ShowClients() {
    clients_->clear();
    if (!remote_.Running()) return;
    const auto now = std::chrono::steady_clock::now();
    for (const remote::ClientInfo& c : remote_.service()->Clients()) {
        const auto seen = std::chrono::duration_cast<std::chrono::seconds>(now - c.lastSeen).count();
        clients_->addItem(QString::fromStdString(c.address) + QStringLiteral("  ") +
                          Bilingual("打开的页面：%1，%2 秒前", "open pages: %1, seen %2 s ago")
                              .arg(c.eventStreams)
                              .arg(seen));
    }
    if (clients_->count() == 0) clients_->addItem(Bilingual("（无）", "(none)"));
}

}  // namespace pavo
