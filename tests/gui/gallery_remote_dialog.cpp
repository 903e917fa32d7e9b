// The remote-control dialog in both languages: what it shows on and off, and pictures for a person to
// look at (build/gallery/remote_dialog_{off,on}_{en,zh}.png and @2x).
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>

#include "app/RemoteControl.h"
#include "app/RemoteDlg.h"
#include "channel_page_support.h"
#include "controls_support.h"
#include "remote/RemoteService.h"

namespace pavo {
namespace {

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
        remote.SetPort(0);
        QString error;
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

}  // namespace
}  // namespace pavo
