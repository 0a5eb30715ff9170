// The settings file: reading forgiving input, writing without ever losing the
// previous file, and where the file lives; the programs' command lines.

#include "command_line.h"
#include "platform.h"
#include "settings.h"
#include "setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "portable.h"

namespace fs = std::filesystem;

namespace {

// The record read from text over the defaults, as the line it saves.
std::string Parsed(const std::string &text, int expected_count)
{
    settings rec = defaults;
    EXPECT_EQ(ParseSettings(text, rec), expected_count) << text;
    return FormatSettings(rec);
}

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    void Write(const std::string &text) { std::ofstream(path, std::ios::binary) << text; }
    std::string Read() const
    {
        std::stringstream ss;
        ss << std::ifstream(path, std::ios::binary).rdbuf();
        return ss.str();
    }
    std::string Load(int expected = 0)
    {
        settings rec{9, 9, 9, 9, 9, 9, 9, 9, 9};
        EXPECT_EQ(LoadSettingsFrom(path.c_str(), &rec), expected);
        return FormatSettings(rec);
    }
    fs::path dir = fs::temp_directory_path() / ("vantor-settings-" + std::to_string(process_id()));
    std::string path = (dir / "Vantor Settings").string();
};

const std::string DEFAULT_LINE = "0 800 600 1 0 2 22 22 22\n";
const std::string BOM = "\xEF\xBB\xBF"; // UTF-8's byte-order mark

} // namespace

TEST(ParseSettings, ReadsNumbersUntilTheFirstThatIsNot)
{
    EXPECT_EQ(Parsed("", 0), DEFAULT_LINE);
    EXPECT_EQ(Parsed("hello 1 2", 0), DEFAULT_LINE);
    EXPECT_EQ(Parsed("1 1024 768", 3), "1 1024 768 1 0 2 22 22 22\n");
    EXPECT_EQ(Parsed("1\n2\t\t3\r\n 4\n\n5 6 7 8\n9\n", 9), "1 2 3 4 5 6 7 8 9\n");
    EXPECT_EQ(Parsed("0 640 480 0 1 4 x 10 10", 6), "0 640 480 0 1 4 22 22 22\n");
    EXPECT_EQ(Parsed("7 1-2 +3 - 4", 4), "7 1 -2 3 0 2 22 22 22\n"); // digits end a number
    EXPECT_EQ(Parsed("1 2 3 4 5 6 7 8 9 10 11", 9), "1 2 3 4 5 6 7 8 9\n");
    // A UTF-8 byte-order mark is skipped at the start only, and whole only.
    EXPECT_EQ(Parsed(BOM + "1 1024 768", 3), "1 1024 768 1 0 2 22 22 22\n");
    EXPECT_EQ(Parsed(BOM.substr(0, 2) + "1", 0), DEFAULT_LINE);
    EXPECT_EQ(Parsed("1 " + BOM + "2", 1), "1 800 600 1 0 2 22 22 22\n");
    // Huge numbers take the nearest value in range.
    EXPECT_EQ(Parsed("99999999999999999999999999 -99999999999999999999 2147483648 "
                     "-2147483649 2147483647 -2147483648 00000000000000000000000000042",
                     7),
              "2147483647 -2147483648 2147483647 -2147483648 2147483647 -2147483648 42 22 22\n");
    // What is written reads back.
    const settings rec{-1, INT32_MIN, INT32_MAX, 7, 1, 64, 1, 50, -3};
    const std::string line = FormatSettings(rec);
    EXPECT_EQ(line, "-1 -2147483648 2147483647 7 1 64 1 50 -3\n");
    EXPECT_EQ(Parsed(line.c_str(), 9), line);
}

TEST_F(SettingsFile, ReadingAnyFileThatOpens)
{
    EXPECT_EQ(Load(-1), DEFAULT_LINE); // missing: the defaults
    Write("");
    EXPECT_EQ(Load(), DEFAULT_LINE);
    Write("1 1024 768 0 1 8 18 20 24\njunk after the line\n");
    EXPECT_EQ(Load(), "1 1024 768 0 1 8 18 20 24\n");
    Write(std::string(100000, ' ') + "5"); // white space of any length
    EXPECT_EQ(Load(), "5 800 600 1 0 2 22 22 22\n");
    Write(BOM + "1 1024 768 0 1 8 18 20 24\r\n"); // as a Windows editor saves it
    EXPECT_EQ(Load(), "1 1024 768 0 1 8 18 20 24\n");
}

#ifndef _WIN32 // symbolic links and permission bits
TEST_F(SettingsFile, SavingReplacesTheFileWholeEvenThroughALink)
{
    Write("1 2 3 4 5 6 7 8 9 and a much longer tail than the new line has\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    const fs::path link = dir / "link";
    fs::create_symlink(path, link);
    const settings rec{1, 1024, 768, 6, 1, 8, 18, 20, 24};
    ASSERT_EQ(SaveSettingsTo(link.c_str(), &rec), 0);
    EXPECT_EQ(Read(), "1 1024 768 6 1 8 18 20 24\n");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(path + ".new"));
    EXPECT_FALSE(fs::exists(dir / "link.new"));
}
#endif

TEST_F(SettingsFile, SavingReplacesTheFileWithOneTextLine)
{
    // A text file as the system writes it: on Windows the line ends in CR LF.
    Write("1 2 3 4 5 6 7 8 9 and a much longer tail than the new line has\n");
    const settings rec{1, 1024, 768, 6, 1, 8, 18, 20, 24};
    ASSERT_EQ(SaveSettingsTo(path.c_str(), &rec), 0);
    EXPECT_EQ(Read(), on_windows ? "1 1024 768 6 1 8 18 20 24\r\n" : FormatSettings(rec));
    EXPECT_EQ(Load(), FormatSettings(rec));
    EXPECT_FALSE(fs::exists(path + ".new"));
}

TEST_F(SettingsFile, AFailedSaveKeepsThePreviousFile)
{
    const std::string old = "1 1024 768 0 1 8 18 20 24\n";
    Write(old);
    // The temporary file cannot be created (a folder in its way, even for root).
    fs::create_directory(path + ".new");
    EXPECT_EQ(SaveSettingsTo(path.c_str(), &defaults), -1);
    EXPECT_EQ(Read(), old);
    fs::remove(path + ".new");
    // A write that fails, as on a full disk: no file may grow at all.
    if (no_file_growth::supported) {
        int result = 0;
        {
            const no_file_growth full;
            result = SaveSettingsTo(path.c_str(), &defaults);
        }
        EXPECT_EQ(result, -1);
        EXPECT_EQ(Read(), old);
        EXPECT_FALSE(fs::exists(path + ".new"));
    }
    EXPECT_EQ(SaveSettingsTo((dir / "missing" / "file").string().c_str(), &defaults), -1);
}

#ifdef _WIN32
TEST_F(SettingsFile, TheFileLivesInTheApplicationDataFolder)
{
    // Windows names the same folder in the environment.
    const char *appdata = std::getenv("APPDATA");
    ASSERT_TRUE(appdata);
    EXPECT_EQ(SettingsPath(), std::string(appdata) + "/Vantor Settings");
    EXPECT_TRUE(fs::is_directory(appdata));
}
#else // the XDG rules
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
    setenv("XDG_CONFIG_HOME", "relative/config", 1); // ignored, as the XDG rules say
    EXPECT_EQ(SettingsPath(), (home / ".config" / "Vantor Settings").string());
    EXPECT_FALSE(fs::exists("relative"));
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
    EXPECT_EQ(std::string(first), path);
    setenv("XDG_CONFIG_HOME", "/somewhere/else", 1);
    EXPECT_EQ(ConfFile(), first);
    settings rec = defaults;
    rec.width = 1280;
    ASSERT_EQ(SaveSettings(&rec), 0);
    settings back{};
    EXPECT_EQ(LoadSettings(&back), 0);
    EXPECT_EQ(back.width, 1280);
}
#endif

// The command lines of both programs: each row the program, the arguments and
// what they ask for ("error" when refused), as help, version, reset, confirm,
// the --config file and the record tested.
TEST(CommandLine, OptionsOfEachProgram)
{
    constexpr auto SETUP = program_id::setup, TEST = program_id::display_test;
    struct row {
        program_id program;
        std::vector<const char *> args;
        const char *want; // "h v r c config|record", or "error"
    };
    const row rows[] = {
        {SETUP, {}, "- - - - |"},
        {SETUP, {"--help"}, "h - - - |"},
        {TEST, {"--version", "--help"}, "h v - - |"},
        {SETUP, {"--reset", "--config", "a b"}, "- - r - a b|"},
        {SETUP, {"--config=c", "--config", "d"}, "- - - - d|"}, // the last one counts
        {TEST, {"--confirm", "--settings", " 1 2 3 4 5 6 7 8 -9\n"}, "- - - c |1 2 3 4 5 6 7 8 -9"},
        {TEST, {"--settings=+1 2 3 4 5 6 7 8 99999999999"}, "- - - - |1 2 3 4 5 6 7 8 2147483647"},
        // Each program's own options only; values where due and only there.
        {SETUP, {"--settings", "1 2 3 4 5 6 7 8 9"}, "error"},
        {SETUP, {"--confirm"}, "error"},
        {TEST, {"--reset"}, "error"},
        {SETUP, {"-h"}, "error"},
        {SETUP, {"help"}, "error"},
        {SETUP, {"--config"}, "error"},
        {SETUP, {"--config="}, "error"},
        {SETUP, {"--reset=1"}, "error"},
        {TEST, {"--settings"}, "error"},
        // Exactly nine integers.
        {TEST, {"--settings", "1 2 3 4 5 6 7 8"}, "error"},
        {TEST, {"--settings", "1 2 3 4 5 6 7 8 9 10"}, "error"},
        {TEST, {"--settings", "1 2 3 4 5 6 7 8 9x"}, "error"},
        {TEST, {"--settings", "1 2 3 4 5 6 7 8 - 9"}, "error"},
        {TEST, {"--settings", "1,2,3,4,5,6,7,8,9"}, "error"},
    };
    for (const row &r : rows) {
        std::vector<const char *> argv{"program"};
        argv.insert(argv.end(), r.args.begin(), r.args.end());
        const command_line cl =
            ParseCommandLine(r.program, static_cast<int>(argv.size()), argv.data());
        std::string got = "error";
        if (cl.error.empty()) {
            got = std::string(cl.help ? "h" : "-") + (cl.version ? " v" : " -") +
                  (cl.reset ? " r" : " -") + (cl.confirm ? " c " : " - ") + cl.config.value_or("") +
                  "|";
            if (cl.tested)
                got += FormatSettings(*cl.tested).substr(0, FormatSettings(*cl.tested).size() - 1);
        }
        EXPECT_EQ(got, r.want) << (r.args.empty() ? "" : r.args[0]);
    }
    // The help lists each program's own options, no other.
    EXPECT_NE(Usage(SETUP).find("--reset"), std::string::npos);
    EXPECT_EQ(Usage(SETUP).find("--settings"), std::string::npos);
    EXPECT_NE(Usage(TEST).find("--confirm"), std::string::npos);
    EXPECT_EQ(Usage(TEST).find("--reset"), std::string::npos);
}
