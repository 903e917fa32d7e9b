// CPU use of the program connected to an idle unit: pavo-unit runs on a pseudo-terminal behind a
// link, pavo (offscreen) connects to it, reads everything and then idles on its System page, polling
// the unit's status and showing its meters. Measured over three windows of ten seconds once the full
// read is done, as a share of one core (goal: <= 2 %, the median window), with the exchange rate the
// unit saw meanwhile.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

pid_t Spawn(const std::vector<std::string>& args, int stderrFd) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(stderrFd >= 0 ? stderrFd : null, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

void Stop(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

// CPU time of all threads of a process, in seconds.
double ProcessCpuSeconds(pid_t pid) {
    const std::string dir = "/proc/" + std::to_string(pid) + "/task";
    double total = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] == '.') continue;
            std::ifstream schedstat(dir + "/" + e->d_name + "/schedstat");
            unsigned long long ns = 0;
            if (schedstat >> ns) total += ns / 1e9;
        }
        closedir(d);
    }
    return total;
}

}  // namespace

int main() {
    const std::string unitPath = PAVO_BINARY_DIR "/tools/pavo-unit";
    const std::string pavoPath = PAVO_BINARY_DIR "/src/app/pavo";
    const std::string link = "/tmp/pavo-bench-idle-" + std::to_string(getpid());

    // The unit reports every frame it receives on its error output: count them, and see the read.
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return 1;
    const pid_t unit = Spawn({unitPath, "--link", link, "--verbose"}, pipeFds[1]);
    close(pipeFds[1]);
    std::atomic<long> frames{0};
    std::atomic<bool> programRead{false};
    std::thread reader([&] {
        FILE* in = fdopen(pipeFds[0], "r");
        char line[256];
        while (in && std::fgets(line, sizeof line, in)) {
            ++frames;
            if (std::strstr(line, "CMD 82")) programRead = true;
        }
        if (in) std::fclose(in);
    });

    const auto until = Clock::now() + std::chrono::seconds(10);
    while (access(link.c_str(), F_OK) != 0 && Clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const pid_t pavo = Spawn({pavoPath, "--port", link}, -1);
    const auto readBy = Clock::now() + std::chrono::seconds(30);
    while (!programRead && Clock::now() < readBy) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (!programRead) {
        std::fprintf(stderr, "pavo did not connect to the unit\n");
        Stop(pavo);
        Stop(unit);
        reader.join();
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(2));  // the last replies shown, the dialog gone

    // Three windows of ten seconds; the median, as the machine is shared.
    std::vector<double> shares, rates;
    for (int window = 0; window < 3; ++window) {
        const double cpu0 = ProcessCpuSeconds(pavo);
        const long frames0 = frames;
        const auto t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const double cpu1 = ProcessCpuSeconds(pavo);
        const double elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
        shares.push_back(100.0 * (cpu1 - cpu0) / elapsed);
        rates.push_back((frames - frames0) / elapsed);
    }
    Stop(pavo);
    Stop(unit);
    reader.join();
    unlink(link.c_str());
    std::printf(
        "pavo on line with an idle unit, System page, three 10 s windows: %.2f %.2f %.2f %% of one core\n",
        shares[0], shares[1], shares[2]);
    std::sort(shares.begin(), shares.end());
    std::sort(rates.begin(), rates.end());
    std::printf("median %.2f %% of one core (goal <= 2 %%), %.1f exchanges/s\n", shares[1], rates[1]);
    return 0;
}
