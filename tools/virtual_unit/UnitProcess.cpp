#include "UnitProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace pavo::unit {

UnitProcess::UnitProcess(const std::string& binary, const std::vector<std::string>& args) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<std::string> all{binary};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, binary.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    // The first line is the device path; give a slow (sanitizer) build a few seconds to print it.
    std::string line;
    char c;
    pollfd fd{out[0], POLLIN, 0};
    while (pid_ > 0 && ::poll(&fd, 1, 5000) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    if (!line.empty() && line[0] == '/') devicePath_ = line;
}

UnitProcess::~UnitProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

double UnitProcess::CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // Fields after the command name, which is in parentheses and may hold blanks: state is field 3,
    // utime and stime are fields 14 and 15.
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

double UnitProcess::RunnableSeconds() const {
    const std::string tasks = "/proc/" + std::to_string(pid_) + "/task";
    DIR* dir = ::opendir(tasks.c_str());
    if (!dir) return -1;
    unsigned long long total = 0;
    while (dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.') continue;
        // schedstat: nanoseconds on a CPU, nanoseconds waiting on a run queue, time slices.
        std::ifstream schedstat(tasks + "/" + e->d_name + "/schedstat");
        unsigned long long running = 0, waiting = 0;
        if (schedstat >> running >> waiting) total += running + waiting;
    }
    ::closedir(dir);
    return static_cast<double>(total) / 1e9;
}

}  // namespace pavo::unit
