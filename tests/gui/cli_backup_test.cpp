// pavo-cli backup writes exactly the bytes the program's "Export all" writes for the same unit.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "app/Connection.h"
#include "app/PavoDlg.h"
#include "app/Show_Dlg.h"
#include "app_support.h"
#include "protocol/CommandCodes.h"

namespace pavo {
namespace {

TEST(CliBackup, WritesTheSameBytesAsExportAll) {
    test::AppState state;
    QTemporaryDir dir;
    auto u = test::StartUnit();
    {
        StartOptions options;
        options.firstPort = u->DevicePath();
        options.onlyFirstPort = true;
        PavoDlg w(options);
        w.progress().SetGraceTimes(50, 50);
        w.show();
        ASSERT_TRUE(test::WaitUntil([&] { return test::OnLineAndIdle(w); }));
        state.nextFile = dir.filePath("gui.dat");
        w.SendDeviceCommand(CmdReadPrograms, 1);  // "Export all"
        ASSERT_TRUE(test::WaitUntil([&] { return QFile::exists(state.nextFile); }, 60000));
        w.connection().Disconnect();  // the port is the tool's now
    }
    QProcess cli;
    cli.setWorkingDirectory(dir.path());
    cli.start(QStringLiteral(PAVO_CLI),
              {"backup", "--port", QString::fromStdString(u->DevicePath()), "cli.dat"});
    ASSERT_TRUE(cli.waitForFinished(120000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    QFile gui(dir.filePath("gui.dat")), tool(dir.filePath("cli.dat"));
    ASSERT_TRUE(gui.open(QIODevice::ReadOnly));
    ASSERT_TRUE(tool.open(QIODevice::ReadOnly));
    const QByteArray a = gui.readAll(), b = tool.readAll();
    EXPECT_EQ(a.size(), 57019);
    EXPECT_TRUE(a == b);
}

}  // namespace
}  // namespace pavo
