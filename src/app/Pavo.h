#pragma once
// The application object: start-up order, the system locale, the command line.
#include <QString>
#include <string>

namespace pavo {

constexpr int kLocaleChinesePrc = 2052;
constexpr int kLocaleEnglishUs = 1033;

// The system's default locale, read once at start (2052 selects the Chinese UI).
int& SystemLocaleId();
int LocaleIdOf(const QString& localeName);  // "zh_CN" -> 2052

struct CommandLine {
    std::string port;          // --port DEVICE
    std::string traceFile;     // --trace FILE
    bool virtualUnit = false;  // --virtual-unit
    bool offline = false;      // --offline
    bool exitWhenShown = false;
    bool help = false, version = false;
    std::string error;  // a bad command line
};
CommandLine ParseCommandLine(int argc, char** argv);
QString UsageText();

// Runs the program; returns the process exit code.
int RunPavo(int argc, char** argv);

}  // namespace pavo
