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
        if (n == 0) errno = EIO;
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

// The file a save writes: symbolic links are followed to the file they name, one that does not exist
// yet included (as editors write through a link), so a link stays a link. Empty, with errno ELOOP, for
// links without end.
std::string ResolveTarget(const std::string& path) {
    constexpr int kMostLinks = 40;  // as the kernel follows
    std::string p = path;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(p.c_str(), target.data(), target.size());
        if (n <= 0) return p;
        target.resize(static_cast<size_t>(n));
        // A relative link names a file beside the link.
        const size_t slash = p.find_last_of('/');
        p = target[0] == '/' || slash == std::string::npos ? target : p.substr(0, slash + 1) + target;
    }
    errno = ELOOP;
    return {};
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

// The errno for a target that is there but may not be replaced.
int RefusalOf(const struct stat& st) {
    return S_ISDIR(st.st_mode) ? EISDIR : EACCES;
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

// Removes the temporary of a failed save; errno keeps the reason of the failure. Returns false.
bool RemoveAfterFailure(int folder, const std::string& hidden) {
    const int reason = errno;
    ::unlinkat(folder, hidden.c_str(), 0);
    errno = reason;
    return false;
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

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !MayReplace(path, st);
}

int SaveBlocker(const std::string& path) {
    const std::string target = ResolveTarget(path);
    if (target.empty()) return errno;
    std::string folderPath, name;
    SplitPath(target, folderPath, name);
    if (name.empty()) return EISDIR;
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!MayReplace(target, st)) return RefusalOf(st);
    } else if (errno != ENOENT) {
        return errno;
    }
    if (::stat(folderPath.c_str(), &st) != 0) return errno;
    if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    if (::faccessat(AT_FDCWD, folderPath.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
    return 0;
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size, bool unnamedTemporary) {
    const std::string target = ResolveTarget(path);
    if (target.empty()) return false;
    std::string folderPath, name;
    SplitPath(target, folderPath, name);
    if (name.empty()) {
        errno = EISDIR;
        return false;
    }

    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT) return false;
    if (exists && !MayReplace(target, old)) {
        errno = RefusalOf(old);
        return false;
    }

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
        if (!Fill(file.fd, data, size, keep)) return RemoveAfterFailure(folder.fd, hidden);
    }
    if (::close(file.Release()) != 0 || ::renameat(folder.fd, hidden.c_str(), folder.fd, name.c_str()) != 0)
        return RemoveAfterFailure(folder.fd, hidden);
    // The new name must reach the disk too. The contents already have; a folder that cannot be synced
    // (some file systems refuse) does not make the save a failure.
    ::fsync(folder.fd);
    return true;
}

}  // namespace pavo
