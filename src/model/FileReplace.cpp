#include "model/FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>

namespace pavo {

namespace {

constexpr char kTemporarySuffix[] = ".pavo-tmp";
constexpr unsigned kNameAttempts = 100;

// Closes a descriptor on every way out.
struct Fd {
    int fd = -1;
    explicit Fd(int f = -1) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { Reset(); }
    void Reset(int f = -1) {
        if (fd >= 0) ::close(fd);
        fd = f;
    }
    int Release() { return std::exchange(fd, -1); }
    explicit operator bool() const { return fd >= 0; }
};

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ParseNumber(const std::string& s, long* out) {
    if (s.empty() || s.size() > 18) return false;
    long v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
}

// The target as the save will replace it: a symbolic link is followed, so the link stays a link.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
        if (real) return real.get();
    }
    return path;
}

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

// Whether the user may replace the existing file. Permission bits do not stop the superuser's
// writes, but a file that nobody may write was made read-only on purpose.
bool MayReplace(const std::string& path, const struct stat& st) {
    if (!S_ISREG(st.st_mode)) return false;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool ProcessRuns(long pid) {
    if (pid <= 0 || pid > INT_MAX) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;  // EPERM: someone else's
}

// Removes the hidden temporaries that saves of processes no longer running left in the folder.
void RemoveStaleTemporaries(int folder) {
    const int listFd = ::dup(folder);
    if (listFd < 0) return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    const long self = static_cast<long>(::getpid());
    while (const dirent* e = ::readdir(dir)) {
        long pid = 0;
        if (!IsTemporaryName(e->d_name, &pid) || pid == self) continue;
        if (ProcessRuns(pid)) continue;  // a save in progress
        ::unlinkat(folder, e->d_name, 0);
    }
    ::closedir(dir);
}

// Gives the written file a hidden name in the folder; the file is either unnamed (linked now) or
// already named (nothing to do). Returns the hidden name, or empty on failure.
std::string LinkUnnamed(int fd, int folder, const std::string& name) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string hidden = TemporaryNameFor(name, static_cast<long>(::getpid()), attempt);
        if (::linkat(AT_FDCWD, proc.c_str(), folder, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0) return hidden;
        if (errno == EEXIST) continue;
        // Without /proc the descriptor itself can be linked (a privilege some users have).
        if (::linkat(fd, "", folder, hidden.c_str(), AT_EMPTY_PATH) == 0) return hidden;
        if (errno != EEXIST) return {};
    }
    return {};
}

// Creates a hidden, named temporary; used where the system offers no unnamed files.
int CreateNamed(int folder, const std::string& name, mode_t mode, std::string& hidden) {
    for (unsigned attempt = 0; attempt < kNameAttempts; ++attempt) {
        hidden = TemporaryNameFor(name, static_cast<long>(::getpid()), attempt);
        const int fd = ::openat(folder, hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Writes the bytes into `fd`, with the kept permissions, and to the disk.
bool Fill(int fd, const void* data, size_t size, const struct stat* old) {
    if (!WriteAll(fd, data, size)) return false;
    if (old) {
        if (::fchmod(fd, old->st_mode & 07777) != 0) return false;
        // Only the superuser can give the file to another owner; others keep the mode and own the file.
        if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
            ::fchown(fd, old->st_uid, old->st_gid) == 0)
            ::fchmod(fd, old->st_mode & 07777);  // a change of owner clears set-id bits
    }
    return ::fsync(fd) == 0;
}

}  // namespace

std::string TemporaryNameFor(const std::string& targetName, long pid, unsigned attempt) {
    return "." + targetName + "." + std::to_string(pid) + "." + std::to_string(attempt) + kTemporarySuffix;
}

bool IsTemporaryName(const std::string& entry, long* pid) {
    const std::string suffix = kTemporarySuffix;
    if (entry.size() <= suffix.size() + 1 || entry[0] != '.' ||
        entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    const std::string stem = entry.substr(0, entry.size() - suffix.size());  // .<name>.<pid>.<attempt>
    const size_t attemptDot = stem.find_last_of('.');
    if (attemptDot == std::string::npos || attemptDot == 0) return false;
    const size_t pidDot = stem.find_last_of('.', attemptDot - 1);
    if (pidDot == std::string::npos || pidDot == 0) return false;
    long attempt = 0, p = 0;
    if (!ParseNumber(stem.substr(attemptDot + 1), &attempt) ||
        !ParseNumber(stem.substr(pidDot + 1, attemptDot - pidDot - 1), &p))
        return false;
    if (pid) *pid = p;
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, bool unnamedTemporary) {
    const std::string target = ResolveTarget(path);
    std::string folderPath, name;
    SplitPath(target, folderPath, name);
    if (name.empty()) return false;

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists && !MayReplace(target, old)) return false;

    Fd folder(::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) return false;
    RemoveStaleTemporaries(folder.fd);

    constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
    const struct stat* keep = exists ? &old : nullptr;
    std::string hidden;
    Fd file(unnamedTemporary ? ::openat(folder.fd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, kNewFileMode) : -1);
    if (file) {
        if (!Fill(file.fd, data, size, keep)) return false;  // unnamed: gone with the descriptor
        hidden = LinkUnnamed(file.fd, folder.fd, name);
        if (hidden.empty()) file.Reset();  // cannot be linked here: write it again under a name
    }
    if (hidden.empty()) {
        file.Reset(CreateNamed(folder.fd, name, kNewFileMode, hidden));
        if (!file) return false;
        if (!Fill(file.fd, data, size, keep)) {
            ::unlinkat(folder.fd, hidden.c_str(), 0);
            return false;
        }
    }
    if (::close(file.Release()) != 0 || ::renameat(folder.fd, hidden.c_str(), folder.fd, name.c_str()) != 0) {
        ::unlinkat(folder.fd, hidden.c_str(), 0);
        return false;
    }
    // The new name must reach the disk too. The contents already have; a folder that cannot be synced
    // (some file systems refuse) does not make the save a failure.
    ::fsync(folder.fd);
    return true;
}

}  // namespace pavo
