#pragma once
// Runs the real pavo-cli program, as a script would: arguments in, standard output, standard error
// and the exit code out, in a working directory of the test's own.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "model/PresetFiles.h"
#include "virtual_unit/UnitLine.h"

extern "C" char** environ;

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

// How a run is set up beyond its arguments.
struct CliSetup {
    std::string input;               // its standard input (empty: none, at end at once)
    bool closeStdout = false;        // the reader of its standard output goes away at once
    std::vector<std::string> env;    // NAME=VALUE added to the environment
    int interruptAfterOutLines = 0;  // SIGINT once that many lines have come out (0: never)
    // For a program that runs until stopped (serve): called with the output so far each time more
    // comes, while the program runs; the first signal number it returns is sent to the program.
    std::function<int(const CliRun&)> whileRunning;
};

// A run that reads `text` on its standard input.
inline CliSetup WithInput(std::string text) {
    CliSetup setup;
    setup.input = std::move(text);
    return setup;
}

// Runs pavo-cli with `args` in `cwd`; kills it after `timeoutMs` (generous: the machine is shared).
inline CliRun RunCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                     int timeoutMs = 120000, const CliSetup& setup = {}) {
    CliRun run;
    int out[2], err[2], in[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0 || ::pipe2(in, O_CLOEXEC) != 0)
        return run;
    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("PAVO_PORT=", 0) != 0) envText.push_back(*e);  // only where a test sets it
    envText.insert(envText.end(), setup.env.begin(), setup.env.end());
    std::vector<char*> envp;
    for (std::string& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
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
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    // Small inputs only: the pipe holds them whole.
    if (!setup.input.empty() && ::write(in[1], setup.input.data(), setup.input.size()) < 0)
        ::kill(pid, SIGKILL);
    ::close(in[1]);
    if (setup.closeStdout) {
        ::close(out[0]);
        out[0] = -1;
    }
    bool interrupted = false;
    bool signalled = false;
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int open = setup.closeStdout ? 1 : 2;
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
                if (setup.interruptAfterOutLines > 0 && !interrupted &&
                    static_cast<int>(run.OutLines().size()) >= setup.interruptAfterOutLines) {
                    ::kill(pid, SIGINT);
                    interrupted = true;
                }
                if (setup.whileRunning && !signalled)
                    if (const int signal = setup.whileRunning(run)) {
                        ::kill(pid, signal);
                        signalled = true;
                    }
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

// A virtual unit on a pseudo-terminal, started or the test fails.
inline std::unique_ptr<unit::UnitLine> StartUnit(unit::UnitOptions options = {}) {
    auto u = std::make_unique<unit::UnitLine>(options);
    std::string error;
    EXPECT_TRUE(u->Start(&error)) << error;
    return u;
}

// The bank the unit holds, as "Export all" saves it: its system record, its 21 programs, valid.
inline std::unique_ptr<ProgramBank> BankOf(unit::UnitLine& u) {
    auto bank = std::make_unique<ProgramBank>();
    bank->System = u.Unit().System();
    for (int n = 1; n <= kProgramCount; ++n) bank->Programs[n - 1] = u.Unit().StoredProgram(n);
    bank->Valid = 1;
    return bank;
}

inline bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace pavo::clitest
