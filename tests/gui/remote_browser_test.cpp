// The remote page in a real browser against the program's window and a virtual unit: two phones log in
// with the PIN, one moves the Mic 1&2 level, and the unit, the window's page, the other phone and
// pavo-cli all agree; an edit in the window reaches both phones. Skipped when Debian's chromium and
// chromium-driver are not installed.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include "app/RemoteControl.h"
#include "app/UndoGestures.h"
#include "app/UndoNames.h"
#include "channel_page_support.h"
#include "remote/RemoteService.h"

namespace pavo {
namespace {

using test::ChannelWindow;

// One line the browser script printed, waited for on the UI thread (remote edits run there).
QString NextLine(QProcess& script, int timeoutMs = 90000) {
    QString line;
    test::WaitUntil(
        [&] {
            if (script.canReadLine()) line = QString::fromUtf8(script.readLine()).trimmed();
            return !line.isEmpty() || script.state() == QProcess::NotRunning;
        },
        timeoutMs);
    return line;
}

int MicLevelLabelCode(ChannelWindow& w) {
    return test::Edit(w.unit(), [](Model& m) { return int(m.current.Mic12.MicLevel); });
}

TEST(RemoteBrowser, PhonesAndWindowAgreeOnTheMicLevel) {
    for (const char* needed : {"/usr/bin/chromium", "/usr/bin/chromedriver", "/usr/bin/python3"})
        if (!QFile::exists(QString::fromUtf8(needed)))
            GTEST_SKIP() << needed << " is missing: install chromium, chromium-driver and python3-selenium";

    ChannelWindow w;
    auto u = test::StartUnit();
    ASSERT_TRUE(w.ConnectTo(*u));
    w.window->SelectPage(PavoDlg::PageMic);
    RemoteControl& remote = w.window->remote();
    QString error;
    ASSERT_TRUE(remote.SetPort(0, &error));  // any free port
    ASSERT_TRUE(remote.Set(true, false, &error)) << error.toStdString();
    const std::string url = remote.service()->Urls().front();
    ASSERT_EQ(url.rfind("http://127.0.0.1:", 0), 0u) << url;
    const size_t stepsBefore = w.unit().history().UndoDepth();

    QProcess script;
    script.setProcessChannelMode(QProcess::SeparateChannels);
    QStringList args{QStringLiteral(PAVO_SOURCE_DIR "/tests/remote/browser_check.py"),
                     QString::fromStdString(url), QString::fromStdString(remote.service()->Pin())};
    if (const QString shots = qEnvironmentVariable("PAVO_REMOTE_SCREENSHOTS"); !shots.isEmpty())
        args << shots;
    script.start(QStringLiteral("/usr/bin/python3"), args);
    ASSERT_TRUE(script.waitForStarted());
    struct Stop {
        QProcess& p;
        ~Stop() {
            if (p.state() != QProcess::NotRunning) {
                p.kill();
                p.waitForFinished(5000);
            }
        }
    } stop{script};
    auto expectLine = [&](const QString& prefix) {
        const QString line = NextLine(script);
        EXPECT_TRUE(line.startsWith(prefix))
            << "expected " << prefix.toStdString() << ", got \"" << line.toStdString() << "\"; "
            << script.readAllStandardError().right(2000).toStdString();
        return line.mid(prefix.size()).trimmed();
    };

    ASSERT_EQ(expectLine(QStringLiteral("ready")), QString());
    ASSERT_EQ(remote.service()->Clients().size(), 2u);

    // The phone moved the level three steps: the unit has it, the window's page shows it, and it is
    // one undo step per accepted request, each named for the remote control.
    bool ok = false;
    const int moved = expectLine(QStringLiteral("moved")).toInt(&ok);
    ASSERT_TRUE(ok);
    ASSERT_TRUE(test::WaitUntil([&] { return u->Unit().CurrentImage().Mic12.MicLevel == moved; }));
    EXPECT_EQ(MicLevelLabelCode(w), moved);
    auto* label = test::ItemOf<Edit_Static>(w.Mic(), Mic_Dlg::IDC_MIC_LEVEL_LABEL);
    const QString shown = QString::number((moved - 20) * 0.5, 'f', 1) + QStringLiteral("dB");
    EXPECT_EQ(label->text(), shown);
    ASSERT_GT(w.unit().history().UndoDepth(), stepsBefore);
    EXPECT_EQ(w.unit().history().NextUndo()->tag.kind, StepKind::Remote);
    EXPECT_EQ(StepName(*w.unit().history().NextUndo()), QStringLiteral("Remote: Mic 1&2 Mic Level"));

    // An edit in the window reaches both phones (the page that moved holds its own value 0.8 s).
    const int gui = moved < 20 ? moved + 10 : moved - 10;
    ASSERT_EQ(expectLine(QStringLiteral("watching")).toInt(), gui);
    QTest::qWait(1000);
    test::Slide(w.Mic(), Mic_Dlg::IDC_MIC_LEVEL, gui);
    const qint64 editedAt = QDateTime::currentMSecsSinceEpoch();
    ASSERT_EQ(MicLevelLabelCode(w), gui);
    script.write(QStringLiteral("gui %1\n").arg(editedAt).toUtf8());
    const QStringList seen = expectLine(QStringLiteral("seen")).split(u' ');
    ASSERT_EQ(seen.size(), 2);
    // The goal is 200 ms; the bound leaves room for a machine shared with builds.
    for (const QString& ms : seen) EXPECT_LT(ms.toInt(), 1000) << "ms after the edit";
    std::printf("a window edit shown on the two pages after %s ms\n", qPrintable(seen.join(" and ")));
    ASSERT_EQ(expectLine(QStringLiteral("done")), QString());
    ASSERT_TRUE(script.waitForFinished(30000));
    ASSERT_TRUE(test::WaitUntil([&] { return u->Unit().CurrentImage().Mic12.MicLevel == gui; }));

    // pavo-cli reads the same value back from the unit once the window has let go of the port.
    remote.Set(false, false, &error);
    w.window->connection().Disconnect();
    QProcess cli;
    cli.start(QStringLiteral(PAVO_CLI),
              {"get", "--port", QString::fromStdString(u->DevicePath()), "Mic12.MicLevel"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_TRUE(
        QString::fromUtf8(cli.readAllStandardOutput()).contains(QString::number((gui - 20) * 0.5, 'f', 1)));
}

}  // namespace
}  // namespace pavo
