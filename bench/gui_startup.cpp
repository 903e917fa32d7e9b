// Start-up time and idle memory of the program, measured as whole processes on the offscreen platform:
//   - pavo --offline --exit-when-shown, beside an empty Qt Widgets window started the same way (this
//     program with --empty-window), median of several runs each, printed as a ratio (goal: <= 2);
//   - the peak resident memory of pavo connected to its virtual unit, idle for a few seconds.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct RunResult {
    double seconds = 0;
    long maxRssKb = 0;
    int status = 0;
};

// Runs argv with the offscreen platform; kills it after killAfterMs when that is not 0.
RunResult Run(const std::vector<std::string>& args, int killAfterMs = 0) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        freopen("/dev/null", "w", stderr);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (killAfterMs > 0) {
        usleep(static_cast<useconds_t>(killAfterMs) * 1000);
        kill(pid, SIGTERM);
    }
    RunResult r;
    struct rusage usage {};
    wait4(pid, &r.status, 0, &usage);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.maxRssKb = usage.ru_maxrss;
    return r;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--empty-window") {
        QApplication app(argc, argv);
        QWidget w;
        w.resize(1265, 653);
        w.show();
        QTimer::singleShot(0, &app, &QApplication::quit);
        return app.exec();
    }
    const std::string pavo = PAVO_BINARY_DIR "/src/app/pavo";
    const std::string self = argv[0];
    constexpr int kRuns = 7;
    std::vector<double> program, empty;
    for (int i = 0; i < kRuns; ++i) {
        const RunResult p = Run({pavo, "--offline", "--exit-when-shown"});
        const RunResult e = Run({self, "--empty-window"});
        if (p.status != 0 || e.status != 0) {
            std::fprintf(stderr, "a run failed (status %d / %d)\n", p.status, e.status);
            return 1;
        }
        program.push_back(p.seconds);
        empty.push_back(e.seconds);
    }
    const double mp = Median(program), me = Median(empty);
    std::printf(
        "start-up to main window shown: pavo %.1f ms, empty Qt window %.1f ms, ratio %.2f (goal <= 2)\n",
        mp * 1000, me * 1000, mp / me);

    const RunResult idle = Run({pavo, "--virtual-unit"}, 4000);
    std::printf("peak memory, idle on line with the virtual unit for 4 s: %.1f MiB\n",
                idle.maxRssKb / 1024.0);
    return 0;
}
