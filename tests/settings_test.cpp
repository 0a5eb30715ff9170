// The settings file: reading forgiving input, writing without ever losing the
// previous file, and where the file lives.

#include "settings.h"

#include <string>

// From the application-data layer.
std::string SettingsPath();

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

bool Same(const settings &a, const settings &b)
{
    return FormatSettings(a) == FormatSettings(b);
}

settings Parsed(const char *text, int expected_count)
{
    settings rec = defaults;
    EXPECT_EQ(ParseSettings(text, rec), expected_count) << text;
    return rec;
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vantor-settings-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        path = (dir / "Vantor Settings").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string &text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    fs::path dir;
    std::string path;
};

} // namespace

TEST(ParseSettings, ReadsNumbersUntilTheFirstThatIsNot)
{
    EXPECT_TRUE(Same(Parsed("", 0), defaults));
    EXPECT_TRUE(Same(Parsed("hello 1 2", 0), defaults));
    settings rec = Parsed("1 1024 768", 3);
    EXPECT_EQ(rec.backend, 1);
    EXPECT_EQ(rec.width, 1024);
    EXPECT_EQ(rec.height, 768);
    EXPECT_EQ(rec.flags, 1); // the rest keep their defaults
    EXPECT_EQ(rec.gamma_b, 22);
    rec = Parsed("1\n2\t\t3\r\n 4\n\n5 6 7 8\n9\n", 9);
    EXPECT_EQ(FormatSettings(rec), "1 2 3 4 5 6 7 8 9\n");
    rec = Parsed("0 640 480 0 1 4 x 10 10", 6); // text stops the reading
    EXPECT_EQ(rec.samples, 4);
    EXPECT_EQ(rec.gamma_r, 22);
    rec = Parsed("7 1-2 +3 - 4", 4); // a number ends where its digits end
    EXPECT_EQ(rec.backend, 7);
    EXPECT_EQ(rec.width, 1);
    EXPECT_EQ(rec.height, -2);
    EXPECT_EQ(rec.flags, 3);
    EXPECT_EQ(rec.antialias, 0);
    EXPECT_EQ(Parsed("1 2 3 4 5 6 7 8 9 10 11", 9).gamma_b, 9); // the rest is ignored
}

TEST(ParseSettings, HugeNumbersTakeTheNearestValueInRange)
{
    settings rec = Parsed("99999999999999999999999999 -99999999999999999999 2147483648 "
                          "-2147483649 2147483647 -2147483648 00000000000000000000000000042",
                          7);
    EXPECT_EQ(rec.backend, INT32_MAX);
    EXPECT_EQ(rec.width, INT32_MIN);
    EXPECT_EQ(rec.height, INT32_MAX);
    EXPECT_EQ(rec.flags, INT32_MIN);
    EXPECT_EQ(rec.antialias, INT32_MAX);
    EXPECT_EQ(rec.samples, INT32_MIN);
    EXPECT_EQ(rec.gamma_r, 42);
}

TEST(FormatSettings, OneLineOfNineNumbers)
{
    EXPECT_EQ(FormatSettings(defaults), "0 800 600 1 0 2 22 22 22\n");
    settings rec{-1, INT32_MIN, INT32_MAX, 7, 1, 64, 1, 50, -3};
    EXPECT_EQ(FormatSettings(rec), "-1 -2147483648 2147483647 7 1 64 1 50 -3\n");
    settings back = defaults;
    EXPECT_EQ(ParseSettings(FormatSettings(rec), back), 9);
    EXPECT_TRUE(Same(back, rec));
}

TEST_F(SettingsFile, AMissingFileGivesTheDefaults)
{
    settings rec{9, 9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(LoadSettingsFrom(path.c_str(), &rec), -1);
    EXPECT_TRUE(Same(rec, defaults));
}

TEST_F(SettingsFile, AnyOpenedFileCountsAsRead)
{
    settings rec{};
    Write("");
    EXPECT_EQ(LoadSettingsFrom(path.c_str(), &rec), 0);
    EXPECT_TRUE(Same(rec, defaults));
    Write("1 1024 768 0 1 8 18 20 24\njunk after the line\n");
    EXPECT_EQ(LoadSettingsFrom(path.c_str(), &rec), 0);
    EXPECT_EQ(FormatSettings(rec), "1 1024 768 0 1 8 18 20 24\n");
    Write(std::string(100000, ' ') + "5"); // white space of any length
    EXPECT_EQ(LoadSettingsFrom(path.c_str(), &rec), 0);
    EXPECT_EQ(rec.backend, 5);
}

TEST_F(SettingsFile, SavingReplacesTheFileWhole)
{
    Write("1 2 3 4 5 6 7 8 9 and a much longer tail than the new line has\n");
    const settings rec{1, 1024, 768, 6, 1, 8, 18, 20, 24};
    ASSERT_EQ(SaveSettingsTo(path.c_str(), &rec), 0);
    EXPECT_EQ(Read(), "1 1024 768 6 1 8 18 20 24\n");
    EXPECT_FALSE(fs::exists(path + ".new"));
    settings back{};
    EXPECT_EQ(LoadSettingsFrom(path.c_str(), &back), 0);
    EXPECT_TRUE(Same(back, rec));
}

TEST_F(SettingsFile, SavingThroughALinkReplacesWhatItPointsTo)
{
    Write("1 2 3 4 5 6 7 8 9\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = dir / "link";
    fs::create_symlink(path, link);
    ASSERT_EQ(SaveSettingsTo(link.c_str(), &defaults), 0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(), "0 800 600 1 0 2 22 22 22\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(SettingsFile, AFailedSaveKeepsThePreviousFile)
{
    Write("1 1024 768 0 1 8 18 20 24\n");
    // The temporary file cannot be created (a folder stands in its way; this
    // holds even for root).
    fs::create_directory(path + ".new");
    EXPECT_EQ(SaveSettingsTo(path.c_str(), &defaults), -1);
    EXPECT_EQ(Read(), "1 1024 768 0 1 8 18 20 24\n");
    fs::remove(path + ".new");
    // A write that fails, as on a full disk: no file may grow at all.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit none = old;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_FSIZE, &none);
    const int result = SaveSettingsTo(path.c_str(), &defaults);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Read(), "1 1024 768 0 1 8 18 20 24\n");
    EXPECT_FALSE(fs::exists(path + ".new"));
    // A folder that does not exist.
    EXPECT_EQ(SaveSettingsTo((dir / "missing" / "file").c_str(), &defaults), -1);
}

TEST_F(SettingsFile, TheFileLivesInTheConfigFolder)
{
    const fs::path home = dir / "home";
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    fs::create_directories(home);
    EXPECT_EQ(SettingsPath(), (home / ".config" / "Vantor Settings").string());
    EXPECT_TRUE(fs::is_directory(home / ".config")); // created when missing

    const fs::path xdg = dir / "deep" / "er" / "config";
    setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    EXPECT_EQ(SettingsPath(), (xdg / "Vantor Settings").string());
    EXPECT_TRUE(fs::is_directory(xdg));

    // A home folder of any length.
    const fs::path long_home = dir / std::string(200, 'h') / std::string(200, 'o');
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", long_home.c_str(), 1);
    EXPECT_EQ(SettingsPath(), (long_home / ".config" / "Vantor Settings").string());

    // No folder to be had: the bare name in the current directory.
    unsetenv("HOME");
    EXPECT_EQ(SettingsPath(), "Vantor Settings");
    Write("x");
    setenv("XDG_CONFIG_HOME", path.c_str(), 1); // a file, not a folder
    EXPECT_EQ(SettingsPath(), "Vantor Settings");
}

TEST_F(SettingsFile, ConfFileKeepsItsFirstAnswer)
{
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    const char *first = ConfFile();
    EXPECT_EQ(std::string(first), (dir / "Vantor Settings").string());
    setenv("XDG_CONFIG_HOME", "/somewhere/else", 1);
    EXPECT_EQ(ConfFile(), first);
    settings rec = defaults;
    rec.width = 1280;
    ASSERT_EQ(SaveSettings(&rec), 0);
    settings back{};
    EXPECT_EQ(LoadSettings(&back), 0);
    EXPECT_EQ(back.width, 1280);
}
