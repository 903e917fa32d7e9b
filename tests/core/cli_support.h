#pragma once
// Runs the real pavo-cli program, as a script would: arguments in, standard output, standard error
// and the exit code out, in a working directory of the test's own.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace pavo::clitest {

struct CliRun {
    int code = -1;
    std::string out, err;

    std::vector<std::string> Lines(const std::string& text) const {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string l; std::getline(in, l);) lines.push_back(l);
        return lines;
    }
    std::vector<std::string> OutLines() const { return Lines(out); }
    std::vector<std::string> ErrLines() const { return Lines(err); }
};

// A fresh, empty working directory, removed afterwards.
class ScratchDir {
public:
    ScratchDir() {
        static int n = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("pavo-cli-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Runs pavo-cli with `args` in `cwd`; kills it after `timeoutMs` (generous: the machine is shared).
inline CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                     int timeoutMs = 120000) {
    CliRun run;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return run;
    std::vector<std::string> all{PAVO_CLI};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string dir = cwd.string();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only calls that are safe between fork and exec.
        if (::chdir(dir.c_str()) != 0) ::_exit(127);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int open = 2;
    while (open > 0) {
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(pid, SIGKILL);
            break;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                (i == 0 ? run.out : run.err).append(buffer, static_cast<size_t>(n));
            } else if (n == 0) {
                ::close(i == 0 ? out[0] : err[0]);
                (i == 0 ? out[0] : err[0]) = -1;
                --open;
            }
        }
    }
    if (out[0] >= 0) ::close(out[0]);
    if (err[0] >= 0) ::close(err[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace pavo::clitest
