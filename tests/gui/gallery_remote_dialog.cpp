// The remote-control dialog in both languages: what it shows on and off, the port the user chooses,
// and pictures for a person to look at (build/gallery/remote_dialog_{off,on,port_in_use}_{en,zh}.png
// and @2x).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/RemoteControl.h"
#include "app/RemoteDlg.h"
#include "channel_page_support.h"
#include "controls_support.h"
#include "remote/RemoteService.h"

namespace pavo {
namespace {

// A loopback port held by a listening socket of its own (another program, as far as the service can
// tell), any free one.
struct HeldPort {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    HeldPort() {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), n) == 0 && ::listen(fd, 1) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n) == 0)
            port = ntohs(a.sin_port);
    }
    ~HeldPort() { ::close(fd); }
};

QString LabelsText(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* l : dialog.findChildren<QLabel*>()) texts << l->text();
    return texts.join(u'\n');
}

TEST(Gallery, RemoteDialogOffAndOn) {
    for (int locale : {kLocaleEnglishUs, kLocaleChinesePrc}) {
        const char* language = locale == kLocaleChinesePrc ? "zh" : "en";
        test::ChannelWindow w(locale);
        RemoteControl& remote = w.window->remote();
        QString error;
        ASSERT_TRUE(remote.SetPort(0, &error));
        ASSERT_TRUE(remote.Set(false, false, &error));
        RemoteDlg dialog(remote, w.window.get());
        dialog.show();
        test::SaveBothScales(&dialog, QStringLiteral("remote_dialog_off_") + language);

        // Ticking the box starts the service on loopback; the dialog shows its address, PIN and code.
        dialog.findChild<QCheckBox*>()->setChecked(true);
        ASSERT_TRUE(remote.Running());
        EXPECT_FALSE(remote.OpenToNetwork());
        const std::string url = remote.service()->Urls().front();
        EXPECT_EQ(url.rfind("http://127.0.0.1:", 0), 0u);
        const QString shown = LabelsText(dialog);
        EXPECT_TRUE(shown.contains(QString::fromStdString(url))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QString::fromStdString(remote.service()->Pin()))) << shown.toStdString();
        const QImage qr = QrCodeImage(QString::fromStdString(url), 4);
        EXPECT_FALSE(qr.isNull());
        EXPECT_EQ(qr.width(), qr.height());
        test::SaveBothScales(&dialog, QStringLiteral("remote_dialog_on_") + language);

        // Unticking stops it: nothing listens, nothing secret is left on the screen.
        const QString pin = QString::fromStdString(remote.service()->Pin());
        dialog.findChild<QCheckBox*>()->setChecked(false);
        EXPECT_FALSE(remote.Running());
        EXPECT_FALSE(LabelsText(dialog).contains(pin));
    }
}

// The port: checked against its range, moved to only once it listens (a taken port leaves the service
// where it was, with a message that names the port), and kept for the next run.
TEST(Gallery, RemoteDialogPortIsCheckedMovedAndKept) {
    for (int locale : {kLocaleEnglishUs, kLocaleChinesePrc}) {
        const bool chinese = locale == kLocaleChinesePrc;
        test::ChannelWindow w(locale);
        RemoteControl& remote = w.window->remote();
        QString error;
        ASSERT_TRUE(remote.SetPort(0, &error));
        ASSERT_TRUE(remote.Set(true, false, &error)) << error.toStdString();
        const int first = remote.service()->Port();
        const std::string pin = remote.service()->Pin();

        for (int wrong : {-1, 80, RemoteControl::kFirstPort - 1, RemoteControl::kLastPort + 1}) {
            EXPECT_FALSE(remote.SetPort(wrong, &error)) << wrong;
            EXPECT_TRUE(error.contains(QString::number(RemoteControl::kFirstPort))) << error.toStdString();
            EXPECT_EQ(remote.service()->Port(), first);
        }

        RemoteDlg dialog(remote, w.window.get());
        dialog.show();
        auto* port = dialog.findChild<QSpinBox*>();
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(port->value(), first);
        auto choose = [&](int p) {
            port->setValue(p);
            emit port->editingFinished();
        };

        const HeldPort taken;
        ASSERT_NE(taken.port, 0);
        choose(taken.port);
        const QString shown = LabelsText(dialog);
        EXPECT_TRUE(shown.contains(QString::number(taken.port))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(chinese ? QStringLiteral("占用") : QStringLiteral("in use")))
            << shown.toStdString();
        ASSERT_TRUE(remote.Running());
        EXPECT_EQ(remote.service()->Port(), first);
        EXPECT_EQ(remote.service()->Pin(), pin) << "the phones keep their service";
        EXPECT_EQ(port->value(), first);
        test::SaveBothScales(&dialog, QStringLiteral("remote_dialog_port_in_use_") + (chinese ? "zh" : "en"));

        // A free port: the service moves there and the choice is kept.
        const int free = HeldPort().port;  // free again once the probe has gone
        choose(free);
        ASSERT_TRUE(remote.Running());
        EXPECT_EQ(remote.service()->Port(), free);
        EXPECT_TRUE(LabelsText(dialog).contains(QStringLiteral(":%1/").arg(free)));
        EXPECT_FALSE(
            LabelsText(dialog).contains(chinese ? QStringLiteral("占用") : QStringLiteral("in use")));
        EXPECT_EQ(RemoteControl(*w.window).Port(), free);

        ASSERT_TRUE(remote.Set(false, false, &error));
        ASSERT_TRUE(remote.SetPort(RemoteControl::kDefaultPort, &error));
        EXPECT_FALSE(remote.Running()) << "choosing a port turns nothing on";
    }
}

}  // namespace
}  // namespace pavo
