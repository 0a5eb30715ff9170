// settings_fuzz.cpp - libFuzzer target for the settings reader: the bytes read
// as text (ParseSettings, up to the reading limit) and as a file
// (LoadSettingsFrom) must give the same record, and the line written for it must read back as the
// same nine values.

#include "owners.h"
#include "settings.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

std::string input_path;

void Check(bool ok, const char *what)
{
    if (ok) return;
    std::fprintf(stderr, "settings-fuzz: %s\n", what);
    std::abort();
}

bool Same(const settings &a, const settings &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const char *tmp = std::getenv("TMPDIR");
    input_path =
        std::string(tmp ? tmp : "/tmp") + "/vantor-settings-fuzz-" + std::to_string(getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    settings parsed = defaults;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const int n = ParseSettings(text.substr(0, SETTINGS_READ_LIMIT), parsed);
    Check(n >= 0 && n <= 9, "field count out of range");
    file_ptr f(std::fopen(input_path.c_str(), "wb"));
    Check(f && std::fwrite(data, 1, size, f.get()) == size && std::fclose(f.release()) == 0,
          "cannot write the input file");
    settings loaded{};
    Check(LoadSettingsFrom(input_path.c_str(), loaded).state == platform::file_read::status::read,
          "the file cannot be read");
    Check(Same(parsed, loaded), "the text and the file read differently");
    std::remove(input_path.c_str());
    settings again{};
    Check(ParseSettings(FormatSettings(parsed), again) == 9 && Same(again, parsed),
          "the written line does not read back");
    return 0;
}
