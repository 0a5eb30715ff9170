// settings.cpp - reading and writing the settings file.
//
// Reading is forgiving: the defaults stand for every number the file does not
// supply, so an empty, short or damaged file still gives a usable record, and
// values are taken as they are (the pages show what they cannot name). Only
// the file's first SETTINGS_READ_LIMIT bytes are read, so that a file of any
// size opens at once; and only a regular file is read, so that a named pipe
// or a device never keeps the program waiting (platform.h).
//
// A leading UTF-8 byte-order mark, which some editors put at the start of
// every file they save, is skipped.
//
// Writing never loses the previous settings: the line goes to a temporary
// file beside the real one, which replaces it only after every write, the
// flush and the close have succeeded (platform.h).

#include "settings.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace {

// Characters of the text being read, one at a time; -1 at its end.
struct text_source {
    std::string_view text;
    size_t pos = 0;
    int peek() const { return pos < text.size() ? static_cast<unsigned char>(text[pos]) : -1; }
    void next() { ++pos; }
};

// Moves past a UTF-8 byte-order mark at the start. False when the text starts
// with only a part of one: then it starts with no number either.
bool SkipByteOrderMark(text_source &src)
{
    constexpr int mark[] = {0xEF, 0xBB, 0xBF};
    if (src.peek() != mark[0]) return true;
    for (int byte : mark) {
        if (src.peek() != byte) return false;
        src.next();
    }
    return true;
}

// Reads one number as scanf's "%d" would, moving past it: white space, an
// optional sign and decimal digits. A number beyond int's range takes the
// nearest value in range, so that the file's numbers land in range whatever it
// says. False, with `value` untouched, when no digit follows the white space
// and the sign (which are then passed over).
bool ReadDecimal(text_source &src, int &value)
{
    while (std::isspace(src.peek())) src.next();
    bool negative = false;
    if (src.peek() == '+' || src.peek() == '-') {
        negative = src.peek() == '-';
        src.next();
    }
    auto digit = [](int c) { return c >= '0' && c <= '9'; };
    if (!digit(src.peek())) return false;
    // Magnitudes stop growing one past the largest, which still tells a
    // saturated value from one in range.
    constexpr int64_t lowest = std::numeric_limits<int>::min();
    constexpr int64_t highest = std::numeric_limits<int>::max();
    constexpr int64_t limit = -lowest + 1;
    int64_t magnitude = 0;
    for (; digit(src.peek()); src.next())
        magnitude = std::min(limit, magnitude * 10 + (src.peek() - '0'));
    value = static_cast<int>(std::clamp(negative ? -magnitude : magnitude, lowest, highest));
    return true;
}

} // namespace

int ParseSettings(std::string_view text, settings &s)
{
    text_source src{text};
    int count = 0;
    if (!SkipByteOrderMark(src)) return 0;
    for (const settings_field &field : settings_fields) {
        if (!ReadDecimal(src, s.*field.member)) break;
        ++count;
    }
    return count;
}

std::string FormatSettings(const settings &s)
{
    // Appended piece by piece: g++ 12 at -O3 warns falsely (-Wrestrict)
    // about " " + std::to_string(...).
    std::string line;
    for (const settings_field &field : settings_fields) {
        if (!line.empty()) line += ' ';
        line += std::to_string(s.*field.member);
    }
    line += '\n';
    return line;
}

void RestoreDisplayFields(settings &rec, const settings &from)
{
    for (const settings_field &field : settings_fields) {
        int &value = rec.*field.member;
        value = (value & ~field.tried) | (from.*field.member & field.tried);
    }
}

platform::file_read LoadSettingsFrom(const char *path, settings &rec)
{
    rec = defaults;
    platform::file_read found = platform::ReadFileHead(path, SETTINGS_READ_LIMIT);
    if (found.state == platform::file_read::status::read) ParseSettings(found.bytes, rec);
    return found;
}

bool SaveSettingsTo(const char *path, const settings &rec, std::string *why)
{
    platform::file_replacement out(path, platform::file_replacement::kind::text);
    const bool saved =
        out.file() && std::fputs(FormatSettings(rec).c_str(), out.file()) >= 0 && out.Commit();
    if (!saved && why) *why = out.Reason().empty() ? "it could not be written" : out.Reason();
    return saved;
}

platform::file_read LoadSettings(settings &rec)
{
    return LoadSettingsFrom(ConfFile(), rec);
}

bool SaveSettings(const settings &rec, std::string *why)
{
    return SaveSettingsTo(ConfFile(), rec, why);
}

bool ChangedSince(const platform::file_read &before, const platform::file_read &now)
{
    return before.state != now.state || before.bytes != now.bytes;
}
