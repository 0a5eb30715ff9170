// The platform layer: what is at a path, read or replaced; writers at once; a child's group.

#include "platform.h"
#include "process.h"
#include "runtime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "portable.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
const bool is_root = geteuid() == 0;
#else
const bool is_root = false;
#endif

namespace fs = std::filesystem;
using platform::file_read;
using platform::file_replacement;

namespace {

constexpr size_t HEAD = 4096; // what the settings reader asks for
constexpr const char *LOOP = "too many levels of symbolic links",
                     *NOT_REGULAR = "not a regular file";

// The null device. Root, who could replace /dev/null itself were the refusal broken, gets one
// of its own at `f`.
void NullDevice([[maybe_unused]] fs::path &f)
{
#ifndef _WIN32
    if (is_root && mknod(f.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) return;
#endif
    f = on_windows ? "NUL" : "/dev/null";
}

const char *const no_links = on_windows ? "links need rights there, and are not followed" : nullptr;
const char *const no_read_bit = on_windows ? "Windows files have no read permission"
                                : is_root  ? "root reads a file without read permission"
                                           : nullptr;

// A row: what `make` puts at `f`, in a folder of its own (changing `f` to the path to use), what
// reading it gives (the bytes, or the reason of a refusal), and what replacing it does: where the
// reader refuses, a refusal with reason `replaced` and nothing touched, else `replaced` is the file
// that then holds the new content.
struct path_case {
    const char *name;
    void (*make)(fs::path &f);
    file_read::status read;
    std::string read_what;
    std::string replaced;
    const char *skip = nullptr; // why the row does not apply here
    friend void PrintTo(const path_case &c, std::ostream *out) { *out << c.name; }
};

const auto Plain = [](const fs::path &f) { std::ofstream(f, std::ios::binary) << "old"; };

constexpr auto ABSENT = file_read::status::absent, REFUSED = file_read::status::refused;

const path_case path_cases[] = {
    {"Absent", [](fs::path &) {}, ABSENT, "", "f"},
    {"Regular", [](fs::path &f) { Plain(f); }, file_read::status::read, "old", "f"},
    {"Folder", [](fs::path &f) { fs::create_directory(f); }, REFUSED, NOT_REGULAR, NOT_REGULAR},
    {"NullDevice", NullDevice, REFUSED, NOT_REGULAR, NOT_REGULAR},
    {"Unreadable", [](fs::path &f) { Plain(f), fs::permissions(f, fs::perms::none); }, REFUSED,
     "permission denied", "the file is read-only", no_read_bit},
    {"DanglingLinkChain", // written through to the chain's end, relative to each link's folder
     [](fs::path &f) {
         fs::create_directory(f.parent_path() / "sub");
         fs::create_symlink("sub/link", f);
         fs::create_symlink("../target", f.parent_path() / "sub" / "link");
     },
     ABSENT, "", "target", no_links},
    {"LinkLoop",
     [](fs::path &f) {
         fs::create_symlink("g", f);
         fs::create_symlink("f", f.parent_path() / "g");
     },
     REFUSED, LOOP, LOOP, no_links},
};

struct PathKinds : testing::TestWithParam<path_case> {};

} // namespace

TEST_P(PathKinds, ReadAndReplaced)
{
    const path_case &c = GetParam();
    if (c.skip) GTEST_SKIP() << c.skip;
    const scratch_dir scratch{false};
    fs::path at = scratch.dir / "f";
    c.make(at);
    const std::string path = at.string();
    auto entries = Entries(scratch.dir);
    const auto kind = fs::symlink_status(path).type();

    const file_read got = platform::ReadFileHead(path.c_str(), HEAD);
    EXPECT_EQ(got.state, c.read);
    EXPECT_EQ(got.state == file_read::status::read ? got.bytes : got.reason, c.read_what);

    const bool refused = c.read == REFUSED;
    file_replacement out(path.c_str());
    if (!refused) {
        ASSERT_NE(out.file(), nullptr) << out.Reason();
        std::fputs("new", out.file());
        EXPECT_TRUE(out.Commit());
        EXPECT_EQ(Contents(scratch.dir / c.replaced), "new");
        entries.insert(c.replaced);
    } else {
        EXPECT_EQ(out.file(), nullptr);
        EXPECT_FALSE(out.Commit());
    }
    EXPECT_EQ(out.Reason(), refused ? c.replaced : "");
    // A link stays a link, a device a device, a refused file keeps its bytes; nothing else is
    // made, no temporary file left.
    EXPECT_TRUE(kind == fs::file_type::not_found || fs::symlink_status(path).type() == kind);
    EXPECT_TRUE(!refused || kind != fs::file_type::regular || fs::file_size(path) == 3);
    EXPECT_EQ(Entries(scratch.dir), entries);
    std::error_code loop;
    if (fs::is_regular_file(path, loop)) fs::permissions(path, fs::perms::owner_all); // to remove
}

INSTANTIATE_TEST_SUITE_P(Platform, PathKinds, testing::ValuesIn(path_cases),
                         [](const auto &row) { return std::string(row.param.name); });

// Writers of one file at once: each its own temporary file; the last commit is what the file
// holds. (A failing one: settings_test's full disk.)
TEST(FileReplacement, WritersAtOnceEachTheirOwnTemporaryFile)
{
    const scratch_dir scratch{false};
    const std::string path = (scratch.dir / "f").string();
    Plain(path);
    file_replacement first(path.c_str()), second(path.c_str());
    ASSERT_TRUE(first.file() && second.file());
    std::fputs("first", first.file());
    std::fputs("second", second.file());
    EXPECT_TRUE(second.Commit());
    EXPECT_EQ(Contents(path), "second");
    EXPECT_TRUE(first.Commit());
    EXPECT_EQ(Contents(path), "first");
    EXPECT_EQ(Entries(scratch.dir), std::set<std::string>{"f"});
}

// A default lasts its scope, so that programs started later do not inherit it; a value the
// user set stays, during the scope and after it.
TEST(Environment, DefaultForAScopeUsersValueKept)
{
    static constexpr const char *name = "VANTOR_TEST_DEFAULT";
    auto value = [] { return std::string(std::getenv(name) ? std::getenv(name) : "(unset)"); };
    platform::UnsetEnvironment(name);
    for (const std::string before : {"(unset)", "user's"}) {
        if (before != "(unset)") platform::SetEnvironmentDefault(name, before.c_str());
        {
            const platform::environment_default scoped{name, "ours"};
            EXPECT_EQ(value(), before == "(unset)" ? "ours" : before);
        }
        EXPECT_EQ(value(), before);
    }
    platform::UnsetEnvironment(name);
}

// Stop asks the child's whole group, then forces it: a wrapper script's child is ended too.
TEST(ChildProcess, StopEndsWhatTheChildStarted)
{
    if (on_windows) GTEST_SKIP() << "no POSIX shell to start a wrapper under Wine";
    platform::child_process child;
    std::string error;
    ASSERT_TRUE(child.Start(
        "/bin/sh", {"-c", "trap 'echo asked; exit 0' TERM; sleep 600 & echo $!; wait"}, error))
        << error;
    while (child.Running() && child.Output().find('\n') == std::string::npos)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_NE(child.Output().find('\n'), std::string::npos);
    const std::string grandchild = "/proc/" + child.Output().substr(0, child.Output().find('\n'));
    ASSERT_TRUE(fs::exists(grandchild));
    child.Stop(platform::child_process::stop_grace_ms);
    EXPECT_EQ(child.ExitStatus(), 0); // asked, not forced
    EXPECT_NE(child.Output().find("asked"), std::string::npos);
    // Gone, or a zombie that no one reaps in a container; one forced may take a moment to end.
    auto ended = [&] {
        const std::string state = Contents(grandchild + "/stat");
        return state.empty() || state.find(") Z ") != std::string::npos;
    };
    for (int ms = 0; ms < 1000 && !ended(); ms += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(ended()) << Contents(grandchild + "/stat");
}
