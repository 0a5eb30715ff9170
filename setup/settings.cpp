// settings.cpp - reading and writing the settings file.
//
// Reading is forgiving: the defaults stand for every number the file does not
// supply, so an empty, short or damaged file still gives a usable record, and
// values are taken as they are (the pages show what they cannot name).
//
// A leading UTF-8 byte-order mark, which some editors put at the start of
// every file they save, is skipped.
//
// Writing never loses the previous settings: the line goes to a temporary
// file beside the real one, which replaces it only after every write, the
// flush and the close have succeeded (platform.h).

#include "settings.h"

#include "decimal.h"
#include "owners.h"
#include "platform.h"

#include <cstdio>

namespace {

// Characters of the text being read, one at a time; -1 at its end.
struct text_source {
    std::string_view text;
    size_t pos = 0;
    int peek() const { return pos < text.size() ? static_cast<unsigned char>(text[pos]) : -1; }
    void next() { ++pos; }
};

struct file_source {
    std::FILE *file;
    int peek() const { return std::ungetc(std::getc(file), file); }
    void next() { std::getc(file); }
};

// Moves past a UTF-8 byte-order mark at the start. False when the text starts
// with only a part of one: then it starts with no number either.
template <class Source>
bool SkipByteOrderMark(Source &src)
{
    constexpr int mark[] = {0xEF, 0xBB, 0xBF};
    if (src.peek() != mark[0]) return true;
    for (int byte : mark) {
        if (src.peek() != byte) return false;
        src.next();
    }
    return true;
}

template <class Source>
int ReadFields(Source &src, settings &s)
{
    int count = 0;
    if (!SkipByteOrderMark(src)) return 0;
    for (const settings_field &field : settings_fields) {
        if (!ReadDecimal(src, s.*field.member)) break;
        ++count;
    }
    return count;
}

} // namespace

int ParseSettings(std::string_view text, settings &s)
{
    text_source src{text};
    return ReadFields(src, s);
}

std::string FormatSettings(const settings &s)
{
    std::string line;
    for (const settings_field &field : settings_fields)
        line += (line.empty() ? "" : " ") + std::to_string(s.*field.member);
    return line + "\n";
}

void RestoreDisplayFields(settings &rec, const settings &from)
{
    for (const settings_field &field : settings_fields) {
        int &value = rec.*field.member;
        value = (value & ~field.tried) | (from.*field.member & field.tried);
    }
}

int LoadSettingsFrom(const char *path, settings *settingsp)
{
    *settingsp = defaults;
    file_ptr file(std::fopen(path, "r"));
    if (!file) return -1;
    file_source src{file.get()};
    ReadFields(src, *settingsp);
    return 0;
}

int SaveSettingsTo(const char *path, const settings *settingsp)
{
    platform::file_replacement out(path, platform::file_replacement::kind::text);
    if (!out.file()) return -1;
    const bool written = std::fputs(FormatSettings(*settingsp).c_str(), out.file()) >= 0;
    return written && out.Commit() ? 0 : -1;
}

int LoadSettings(settings *settingsp)
{
    return LoadSettingsFrom(ConfFile(), settingsp);
}

int SaveSettings(const settings *settingsp)
{
    return SaveSettingsTo(ConfFile(), settingsp);
}
