// Replacing a preset file: permissions respected and kept, nothing left behind by a crash, a failed
// write leaves the old file as it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "model/FileReplace.h"

namespace pavo {
namespace {

namespace fs = std::filesystem;

class FileReplace : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pavo-replace-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string Path(const char* name) const { return (dir / name).string(); }
    static std::string Read(const std::string& p) {
        std::ifstream f(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(f), {}};
    }
    static void Write(const std::string& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    // With an unnamed temporary, or (parameter false) a named one as on media that offer none.
    static bool Replace(const std::string& p, const std::string& bytes) {
        return WriteFileAtomically(p, bytes.data(), bytes.size(), GetParam());
    }
    static mode_t Mode(const std::string& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_mode & 07777;
    }
    // Every entry of the folder, hidden ones included.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path dir;
};

TEST_P(FileReplace, ReplacesContentsAndKeepsTheModeLeavingNothingElse) {
    const std::string p = Path("live.dia");
    ASSERT_TRUE(Replace(p, "first"));
    EXPECT_EQ(Read(p), "first");
    ::chmod(p.c_str(), 0640);
    ASSERT_TRUE(Replace(p, "second, longer"));
    EXPECT_EQ(Read(p), "second, longer");
    EXPECT_EQ(Mode(p), 0640u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"live.dia"});
}

TEST_P(FileReplace, AReadOnlyTargetIsRefusedAndStaysAsItWas) {
    const std::string p = Path("locked.dia");
    Write(p, "keep me");
    ::chmod(p.c_str(), 0444);
    EXPECT_FALSE(Replace(p, "new"));
    EXPECT_EQ(Read(p), "keep me");
    EXPECT_EQ(Mode(p), 0444u);
    EXPECT_EQ(Entries(), std::vector<std::string>{"locked.dia"});
}

// In a folder everyone may write, a file of another user that the user may only read stays his.
TEST_P(FileReplace, AnotherUsersFileIsRefusedForAnOrdinaryUser) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    const std::string p = Path("theirs.dia");
    Write(p, "theirs");
    ::chmod(p.c_str(), 0644);
    ::chmod(dir.c_str(), 0777);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
        const bool refused = !Replace(p, "mine");
        const bool own = Replace((dir / "mine.dia").string(), "mine");  // a new file in the folder is fine
        ::_exit(refused && own ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Read(p), "theirs");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"mine.dia", "theirs.dia"}));
}

// A write that fails half-way (here: the file size limit) leaves the old file and no temporary.
TEST_P(FileReplace, AFailedWriteLeavesTheOldFileAndNoTemporary) {
    const std::string p = Path("keep.dia");
    ASSERT_TRUE(Replace(p, "old contents"));
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = Replace(p, std::string(2778, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(Read(p), "old contents");
    EXPECT_EQ(Entries(), std::vector<std::string>{"keep.dia"});

    EXPECT_FALSE(Replace(Path("no/such/folder/x.dat"), "x"));
    EXPECT_FALSE(Replace(dir.string(), "x"));  // a folder is not replaced by a file
}

TEST_P(FileReplace, ASymbolicLinkStaysALinkToTheReplacedFile) {
    fs::create_directories(dir / "real");
    const std::string real = (dir / "real" / "set.dat").string();
    Write(real, "old");
    fs::create_symlink(real, dir / "link.dat");
    ASSERT_TRUE(Replace(Path("link.dat"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
    EXPECT_EQ(Read(real), "new");
}

// A dangling link is written through, as editors do: the file it names is created and the link stays
// a link. Relative links name a file beside the link; a chain of them is followed to its end.
TEST_P(FileReplace, ADanglingLinkIsWrittenThroughToTheFileItNames) {
    fs::create_directories(dir / "sets");
    fs::create_symlink("sets/new.dat", dir / "link.dat");  // relative, names nothing yet
    fs::create_symlink("link.dat", dir / "chain.dat");
    ASSERT_TRUE(Replace(Path("chain.dat"), "first"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
    EXPECT_TRUE(fs::is_symlink(dir / "chain.dat"));
    EXPECT_EQ(Read(Path("sets/new.dat")), "first");
    EXPECT_EQ(SaveBlocker(Path("chain.dat")), 0);

    // A link into a folder that does not exist, and links without end: refused, the links untouched.
    fs::create_symlink("gone/x.dat", dir / "nowhere.dat");
    fs::create_symlink("loop2.dat", dir / "loop1.dat");
    fs::create_symlink("loop1.dat", dir / "loop2.dat");
    errno = 0;
    EXPECT_FALSE(Replace(Path("nowhere.dat"), "x"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_FALSE(Replace(Path("loop1.dat"), "x"));
    EXPECT_EQ(errno, ELOOP);
    for (const char* link : {"nowhere.dat", "loop1.dat", "loop2.dat"})
        EXPECT_TRUE(fs::is_symlink(dir / link));
    EXPECT_FALSE(fs::exists(dir / "gone"));
}

// What stops a save is known before it is tried, with the errno the save then fails with.
TEST_P(FileReplace, SaveBlockerNamesWhatAStartedSaveWouldFailOn) {
    Write(Path("locked.dat"), "keep");
    ::chmod(Path("locked.dat").c_str(), 0444);
    Write(Path("plain"), "a file, not a folder");
    struct Case {
        std::string path;
        int blocker;
    };
    // clang-format off
    const Case cases[] = {
        {Path("new.dat"), 0},
        {Path("locked.dat"), EACCES},
        {dir.string(), EISDIR},
        {Path("missing/x.dat"), ENOENT},
        {Path("plain/x.dat"), ENOTDIR},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(SaveBlocker(c.path), c.blocker);
        errno = 0;
        EXPECT_EQ(Replace(c.path, "new"), c.blocker == 0);
        if (c.blocker != 0) {
            EXPECT_EQ(errno, c.blocker);
        }
    }
    EXPECT_EQ(Read(Path("locked.dat")), "keep");
    EXPECT_TRUE(IsReadOnlyFile(Path("locked.dat")));
    EXPECT_FALSE(IsReadOnlyFile(Path("new.dat")));
    EXPECT_FALSE(IsReadOnlyFile("/dev/null")) << "only regular files are read-only files";
}

TEST(FileReplaceNames, TemporaryNamesAreHiddenAndRecognised) {
    long pid = 0;
    const std::string name = TemporaryNameFor("a.b.dia", 4242, 3);
    EXPECT_EQ(name.front(), '.');
    EXPECT_TRUE(IsTemporaryName(name, &pid));
    EXPECT_EQ(pid, 4242);
    for (const char* other : {"a.dia", ".a.dia", ".hidden.pavo-tmp", ".x.12.pavo-tmp", ".x.1a.2.pavo-tmp"})
        EXPECT_FALSE(IsTemporaryName(other)) << other;
}

// A crash between naming the temporary and the rename leaves a hidden file; the next save removes
// those of processes that have ended, and leaves a running save's alone.
TEST_P(FileReplace, TheNextSaveRemovesTemporariesOfEndedSaves) {
    const pid_t ended = ::fork();
    ASSERT_GE(ended, 0);
    if (ended == 0) ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const std::string stale = TemporaryNameFor("old.dia", ended, 0);
    const std::string running = TemporaryNameFor("old.dia", 1, 0);  // process 1 always runs
    Write(Path(stale.c_str()), "half");
    Write(Path(running.c_str()), "busy");
    Write(Path(".hidden-notes"), "mine");
    ASSERT_TRUE(Replace(Path("new.dia"), "x"));
    EXPECT_EQ(Entries(), (std::vector<std::string>{".hidden-notes", running, "new.dia"}));
}

// Saves killed at random moments: the name always holds one complete version, nothing visible is
// left beside it, and the next save clears any hidden remainder.
TEST_P(FileReplace, AKilledSaveLeavesAWholeFileAndTheNextSaveCleansUp) {
    const std::string p = Path("live.dia");
    const std::string a(2778, 'a'), b(2778, 'b');
    std::mt19937 rng(12345);
    constexpr int kTrials = 150;
    for (int trial = 0; trial < kTrials; ++trial) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (unsigned i = 0;; ++i) Replace(p, i % 2 ? a : b);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200 + rng() % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        if (fs::exists(p)) {
            const std::string now = Read(p);
            EXPECT_TRUE(now == a || now == b) << "trial " << trial << ": " << now.size() << " bytes";
        }
        for (const std::string& e : Entries()) {
            if (e == "live.dia") continue;
            EXPECT_TRUE(IsTemporaryName(e)) << "trial " << trial << " left " << e;
        }
    }
    ASSERT_TRUE(Replace(p, "final"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"live.dia"});
}

INSTANTIATE_TEST_SUITE_P(Temporaries, FileReplace, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

}  // namespace
}  // namespace pavo
