// The settings file: read, saved whole or not at all, found; the command lines.

#include "command_line.h"
#include "platform.h"
#include "settings.h"
#include "setup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "portable.h"

namespace fs = std::filesystem;

namespace {

// The settings file's place in a scratch folder, written whole.
struct SettingsFile : testing::Test {
    const scratch_dir scratch{false};
    const std::string path = (scratch.dir / "Vantor Settings").string();
    void Write(const std::string &text) { std::ofstream(path, std::ios::binary) << text; }
};

const std::string DEFAULT_LINE = "0 800 600 1 0 2 22 22 22\n";
const std::string BOM = "\xEF\xBB\xBF"; // UTF-8's byte-order mark

} // namespace

// The file over the defaults, numbers until a non-number; saved whole or not at all.
TEST_F(SettingsFile, ReadsNumbersUntilANonNumberSavesWholeOrNotAtAll)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", DEFAULT_LINE},
        {"1\n2\t\t3\r\n 4\n\n5 6 7 8\n9\n", "1 2 3 4 5 6 7 8 9\n"},
        {"0 640 480 0 1 4 x 10 10", "0 640 480 0 1 4 22 22 22\n"},
        {"1 2 3 4 5 6 7 8 9 10 11\njunk after the line", "1 2 3 4 5 6 7 8 9\n"},
        {std::string(SETTINGS_READ_LIMIT - 1, ' ') + "5", "5 800 600 1 0 2 22 22 22\n"},
        {std::string(SETTINGS_READ_LIMIT, ' ') + "5", DEFAULT_LINE}, // read no further
        // A byte-order mark is skipped at the start only, and whole only.
        {BOM + "1 1024 768 0 1 8 18 20 24\r\n", "1 1024 768 0 1 8 18 20 24\n"},
        {BOM.substr(0, 2) + "1", DEFAULT_LINE},
        // Huge numbers take the nearest value in range.
        {"99999999999999999999999999 -99999999999999999999 2147483648 -2147483649 2147483647 "
         "-2147483648 00000000000000000000000000042",
         "2147483647 -2147483648 2147483647 -2147483648 2147483647 -2147483648 42 22 22\n"},
    };
    for (const auto &[text, line] : cases) {
        Write(text);
        settings rec{9, 9, 9, 9, 9, 9, 9, 9, 9};
        EXPECT_EQ(LoadSettingsFrom(path.c_str(), rec).bytes, text.substr(0, SETTINGS_READ_LIMIT));
        EXPECT_EQ(FormatSettings(rec), line) << text;
    }
    // A save keeps the file's mode; on a full disk the old file stays, no temporary one is left and
    // the reason is said. (A longer file replaced whole: the save flows; a missing one: first_run.)
    if (on_windows) GTEST_SKIP() << "no permission bits nor full disk to make on Windows";
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write;
    fs::permissions(path, mode);
    ASSERT_TRUE(SaveSettingsTo(path.c_str(), defaults));
    EXPECT_EQ(fs::status(path).permissions(), mode);
    std::string why;
    EXPECT_EQ(WithDiskFull([&] { return SaveSettingsTo(path.c_str(), settings{}, &why); }), 0);
    EXPECT_EQ(why, "file too large");
    EXPECT_EQ(Contents(path), DEFAULT_LINE);
    EXPECT_EQ(Entries(scratch.dir), std::set<std::string>{"Vantor Settings"});
}

#ifndef _WIN32 // on Windows, %APPDATA%: the Windows flows find the file there
// In $XDG_CONFIG_HOME when absolute, else $HOME/.config, else the bare name.
TEST_F(SettingsFile, TheFileLivesInTheConfigFolder)
{
    const fs::path home = scratch.dir / std::string(200, 'h') / std::string(200, 'o');
    const fs::path xdg = scratch.dir / "deep" / "er" / "config";
    fs::create_directories(home);
    Write("x");
    // $HOME, $XDG_CONFIG_HOME ("-": unset), the path.
    for (auto [h, x, want] : {std::tuple{home.string(), xdg.string(), xdg},
                              {home.string(), std::string("relative/config"), home / ".config"},
                              {std::string("-"), std::string("-"), fs::path()},
                              {home.string(), path, fs::path()}}) { // a file, not a folder
        h == "-" ? unsetenv("HOME") : setenv("HOME", h.c_str(), 1);
        x == "-" ? unsetenv("XDG_CONFIG_HOME") : setenv("XDG_CONFIG_HOME", x.c_str(), 1);
        EXPECT_EQ(SettingsPath(), (want / "Vantor Settings").string()) << h << " " << x;
        EXPECT_TRUE(want.empty() || fs::is_directory(want));
    }
    EXPECT_FALSE(fs::exists("relative"));
}
#endif

// Each program's own options, the record tested, or "error".
TEST(CommandLine, OptionsOfEachProgram)
{
    constexpr auto SETUP = program_id::setup, TEST = program_id::display_test;
    const std::tuple<program_id, std::vector<const char *>, const char *> rows[] = {
        {SETUP, {}, "- - |"},
        {SETUP, {"--reset", "--config=c", "--config", "d"}, "r - d|"}, // the last one counts
        {TEST, {"--confirm", "--settings", " 1 2 3 4 5 6 7 8 -9\n"}, "- c |1 2 3 4 5 6 7 8 -9\n"},
        {TEST, {"--settings=+1 2 3 4 5 6 7 99999999999 8"}, "- - |1 2 3 4 5 6 7 2147483647 8\n"},
        {SETUP, {"--settings", "1 2 3 4 5 6 7 8 9"}, "error"},
        {TEST, {"--reset"}, "error"},
        {SETUP, {"--config", "--reset"}, "error"},
        {TEST, {"--settings", "1 2 3 4 5 6 7 8 9 10"}, "error"},
        {TEST, {"--settings", "1 2 3 4 5 6 7 8 9x"}, "error"},
        {TEST, {"--settings", "1 2 3 4 5 6 7 8 -"}, "error"},
    };
    for (const auto &[program, args, want] : rows) {
        std::vector<const char *> argv{"program"};
        argv.insert(argv.end(), args.begin(), args.end());
        const command_line cl =
            ParseCommandLine(program, static_cast<int>(argv.size()), argv.data());
        std::string got = std::string(cl.reset ? "r" : "-") + (cl.confirm ? " c " : " - ") +
                          cl.config.value_or("") + "|";
        if (cl.tested) got += FormatSettings(*cl.tested);
        EXPECT_EQ(cl.error.empty() ? got : "error", want) << (args.empty() ? "" : args[0]);
    }
    EXPECT_EQ(Usage(SETUP).find("--settings"), std::string::npos);
    EXPECT_EQ(Usage(TEST).find("--reset"), std::string::npos);
}
