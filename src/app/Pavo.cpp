#include "app/Pavo.h"

#include <QApplication>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/PavoDlg.h"
#include "model/Model.h"
#include "platform/SettingsFile.h"
#include "virtual_unit/UnitLine.h"
#include "virtual_unit/VirtualUnit.h"

namespace pavo {

int& SystemLocaleId() {
    static int id = kLocaleEnglishUs;
    return id;
}

int LocaleIdOf(const QString& name) {
    return name == QLatin1String("zh_CN") ? kLocaleChinesePrc : kLocaleEnglishUs;
}

CommandLine ParseCommandLine(int argc, char** argv) {
    CommandLine cl;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--port") {
            if (i + 1 >= argc) {
                cl.error = "--port needs a device, e.g. --port /dev/ttyUSB0";
                break;
            }
            cl.port = argv[++i];
        } else if (a.rfind("--port=", 0) == 0) {
            cl.port = a.substr(7);
        } else if (a == "--trace") {
            if (i + 1 >= argc) {
                cl.error = "--trace needs a file, e.g. --trace traffic.txt";
                break;
            }
            cl.traceFile = argv[++i];
        } else if (a.rfind("--trace=", 0) == 0) {
            cl.traceFile = a.substr(8);
        } else if (a == "--virtual-unit") {
            cl.virtualUnit = true;
        } else if (a == "--offline") {
            cl.offline = true;
        } else if (a == "--exit-when-shown") {
            cl.exitWhenShown = true;
        } else if (a == "--help" || a == "-h") {
            cl.help = true;
        } else if (a == "--version") {
            cl.version = true;
        } else {
            cl.error = "unknown option " + a;
            break;
        }
    }
    if (cl.error.empty() && cl.virtualUnit && !cl.port.empty())
        cl.error = "--port and --virtual-unit cannot be used together";
    return cl;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: pavo [options]\n"
        "Control program for the audio processor on a serial port.\n\n"
        "  --port DEVICE     try this device first (e.g. /dev/ttyUSB0), then the machine's ports\n"
        "  --virtual-unit    connect to a built-in virtual unit instead of a real one\n"
        "  --offline         start off line (no connection attempt)\n"
        "  --trace FILE      write the traffic log (every frame and what it means) to FILE\n"
        "  --exit-when-shown quit as soon as the main window is shown (start-up measurements)\n"
        "  --help            show this text\n"
        "  --version         show the version\n");
}

int RunPavo(int argc, char** argv) {
    const CommandLine cl = ParseCommandLine(argc, argv);
    if (cl.help || cl.version || !cl.error.empty()) {
        if (!cl.error.empty()) std::fprintf(stderr, "pavo: %s\n\n", cl.error.c_str());
        const QString text = cl.version ? QStringLiteral("pavo " PAVO_VERSION "\n") : UsageText();
        std::fputs(text.toUtf8().constData(), cl.error.empty() ? stdout : stderr);
        return cl.error.empty() ? 0 : 2;
    }

    if (!cl.traceFile.empty()) {
        // A trace file that cannot be written is a bad command line: say so before anything starts.
        std::FILE* f = std::fopen(cl.traceFile.c_str(), "w");
        if (!f) {
            std::fprintf(stderr, "pavo: cannot write the trace file %s: %s\n", cl.traceFile.c_str(),
                         std::strerror(errno));
            return 2;
        }
        std::fclose(f);
    }

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("pavo"));
    // Lets a Wayland desktop match the window to the installed desktop entry and its icon.
    app.setDesktopFileName(QStringLiteral(PAVO_APP_ID));
    KeepToolkitSettingsPrivate();  // before any dialog
    SystemLocaleId() = LocaleIdOf(QLocale::system().name());

    StartOptions options;
    options.connectAtStart = !cl.offline;
    options.firstPort = cl.port;
    options.traceFile = cl.traceFile;
    options.remoteAsSaved = true;
    std::unique_ptr<unit::UnitLine> virtualUnit;
    if (cl.virtualUnit) {
        virtualUnit = std::make_unique<unit::UnitLine>();
        std::string error;
        if (!virtualUnit->Start(&error)) {
            std::fprintf(stderr, "pavo: the virtual unit could not start: %s\n", error.c_str());
            return 1;
        }
        options.firstPort = virtualUnit->DevicePath();
        options.onlyFirstPort = true;
        options.titleSuffix =
            QStringLiteral(" - virtual unit (%1)").arg(QString::fromStdString(options.firstPort));
    }

    auto main = std::make_unique<PavoDlg>(options);
    if (QScreen* screen = app.primaryScreen()) main->AdaptToScreen(screen->availableSize());
    main->show();
    if (cl.exitWhenShown) QTimer::singleShot(0, &app, &QApplication::quit);
    const int rc = app.exec();
    main.reset();  // closes the port and stops the engine before the virtual unit goes
    return rc;
}

}  // namespace pavo
