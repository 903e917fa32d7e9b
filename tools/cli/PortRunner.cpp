#include "PortRunner.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CliFailure.h"

namespace pavo::cli {

namespace {

struct Child {
    std::string port;
    pid_t pid = -1;
    int out = -1, err = -1;
    std::string outLine, errLine;
};

// Passes on the complete lines of `pending` (and, at the end, the rest).
void Forward(std::string& pending, const std::string& prefix, std::FILE* to, bool end) {
    size_t start = 0;
    for (size_t nl; (nl = pending.find('\n', start)) != std::string::npos; start = nl + 1)
        std::fprintf(to, "%s%.*s\n", prefix.c_str(), static_cast<int>(nl - start), pending.data() + start);
    pending.erase(0, start);
    if (end && !pending.empty()) std::fprintf(to, "%s%s\n", prefix.c_str(), pending.c_str());
    if (end) pending.clear();
    std::fflush(to);
}

}  // namespace

int RunOnEveryPort(const std::vector<std::string>& ports, const std::function<int(const std::string&)>& job) {
    std::fflush(stdout);
    std::fflush(stderr);
    std::vector<Child> children;
    for (const std::string& port : ports) {
        int out[2], err[2];
        if (::pipe(out) != 0 || ::pipe(err) != 0)
            FailUnit(std::string("cannot create a pipe: ") + std::strerror(errno));
        const pid_t pid = ::fork();
        if (pid < 0)
            FailUnit(std::string("cannot start a process for ") + port + ": " + std::strerror(errno));
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::dup2(err[1], STDERR_FILENO);
            for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
            for (const Child& c : children) ::close(c.out), ::close(c.err);
            std::setvbuf(stdout, nullptr, _IOLBF, 0);
            const int code = job(port);
            std::fflush(stdout);
            std::fflush(stderr);
            ::_exit(code);
        }
        ::close(out[1]);
        ::close(err[1]);
        children.push_back({port, pid, out[0], err[0], {}, {}});
    }

    // Read every child's output until all have closed it.
    for (;;) {
        std::vector<pollfd> fds;
        std::vector<std::pair<Child*, bool>> owners;  // which child, and whether it is its stdout
        for (Child& c : children) {
            if (c.out >= 0) fds.push_back({c.out, POLLIN, 0}), owners.push_back({&c, true});
            if (c.err >= 0) fds.push_back({c.err, POLLIN, 0}), owners.push_back({&c, false});
        }
        if (fds.empty()) break;
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (size_t i = 0; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            Child& c = *owners[i].first;
            const bool isOut = owners[i].second;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) continue;
            std::string& pending = isOut ? c.outLine : c.errLine;
            const std::string prefix = isOut ? c.port + ": " : "";
            if (n > 0) {
                pending.append(buffer, static_cast<size_t>(n));
                Forward(pending, prefix, isOut ? stdout : stderr, false);
                continue;
            }
            Forward(pending, prefix, isOut ? stdout : stderr, true);
            ::close(fds[i].fd);
            (isOut ? c.out : c.err) = -1;
        }
    }

    int worst = ExitOk;
    for (const Child& c : children) {
        int status = 0;
        while (::waitpid(c.pid, &status, 0) < 0 && errno == EINTR) {
        }
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : ExitUnit;
        worst = std::max(worst, code);
    }
    return worst;
}

}  // namespace pavo::cli
