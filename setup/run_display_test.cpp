// run_display_test.cpp - "Test display" on the graphics options page: the
// record being edited tried by vantor-display-test, kept or reverted.
//
// The display test is the program file beside the setup's own (the running
// program's real path: so it is found through the installed launcher, a
// symbolic link, from any current folder). It runs with --settings and the
// record (not the saved file) and --confirm, in the setup's current folder,
// which holds the game's data files. Nothing is written to the settings file.
//
// While it runs the setup's window stays alive: the page the caller draws
// (the graphics page without its items) is drawn at once and then anew at
// the ticks when the library says a frame is due (its pulse moves once a
// step of the library's clock) and after an expose, and keys and clicks are
// ignored; the library's own keys still work. Closing the
// setup's window (or its quit key) ends both programs, the settings file untouched, as on every
// page. A display test that has not ended after 30 s is ended (asked first,
// so that it can put the display back; then forced).
//
// The outcome goes to the status line, and to standard output for a user who
// started the setup from a terminal. On "Revert", on the countdown running
// out and on any failure, the fields that the test tried (back-end, size, the
// full-screen and accumulation-buffer bits of flags, antialiasing, samples)
// go back to the display settings last known to be good: those read at
// start-up, or those last kept. Gamma and the other bits of flags stay as the
// user set them.
//
// For the tests, VANTOR_TEST_SECONDS (a positive number of seconds) replaces
// the 30-second limit.

#include "run_display_test.h"

#include "platform.h"
#include "process.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char *TEST_PROGRAM = "vantor-display-test";
constexpr long DEFAULT_LIMIT_SECONDS = 30;
constexpr int EXIT_KEPT = 0;
constexpr int EXIT_REVERTED = 3;
constexpr size_t STATUS_MAX = 127; // the library's status line

// The running display test; a static owner, so that the program ending while
// it runs (the window closed, the quit key) ends it too.
platform::child_process &TestProcess()
{
    static platform::child_process child;
    return child;
}

long LimitSeconds()
{
    const char *value = std::getenv("VANTOR_TEST_SECONDS");
    const long seconds = value ? std::strtol(value, nullptr, 10) : 0;
    return seconds > 0 && seconds < 3600 ? seconds : DEFAULT_LIMIT_SECONDS;
}

test_verdict Failed(std::string reason)
{
    return {test_outcome::failed, std::move(reason)};
}

} // namespace

test_verdict JudgeDisplayTest(int exit_status, const std::string &output)
{
    if (exit_status == EXIT_KEPT) return {test_outcome::kept, {}};
    if (exit_status == EXIT_REVERTED) return {test_outcome::reverted, {}};
    constexpr std::string_view prefix = "Vantor: ";
    std::string reason;
    for (size_t at = 0; at < output.size();) {
        size_t end = output.find('\n', at);
        if (end == output.npos) end = output.size();
        std::string_view line(output.data() + at, end - at);
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.starts_with(prefix) && line.size() > prefix.size())
            reason = line.substr(prefix.size());
        at = end + 1;
    }
    if (!reason.empty()) return Failed(reason);
    if (exit_status < 0) return Failed("it stopped unexpectedly");
    return Failed("it ended with status " + std::to_string(exit_status));
}

std::string StatusLine(const test_verdict &verdict)
{
    switch (verdict.outcome) {
    case test_outcome::kept:
        return status::KEPT;
    case test_outcome::reverted:
        return status::REVERTED;
    case test_outcome::failed:
        break;
    }
    std::string line = status::TEST_FAILED + verdict.reason;
    if (line.size() > STATUS_MAX) line = line.substr(0, STATUS_MAX - 3) + "...";
    return line;
}

test_verdict RunDisplayTest(const session &ses, void (*waiting)(const session &ses))
{
    const std::string own = platform::OwnPath();
    const std::string name = std::string(TEST_PROGRAM) + platform::program_suffix;
    if (own.empty()) return Failed("cannot find " + name);
    const std::string program = own.substr(0, own.find_last_of("/\\") + 1) + name;
    if (platform::Absent(program.c_str())) return Failed(name + " is missing");

    std::string line = FormatSettings(ses.rec);
    line.pop_back(); // the line break
    platform::child_process &child = TestProcess();
    std::string error;
    if (!child.Start(program, {"--settings", line, "--confirm"}, error))
        return Failed("cannot start " + name + ": " + error);

    const long limit = LimitSeconds();
    const Uint32 start = SDL_GetTicks();
    bool draw = true;
    while (child.Running()) {
        if (SDL_GetTicks() - start >= static_cast<Uint32>(limit) * 1000) {
            child.Stop(platform::child_process::stop_grace_ms);
            return Failed("no answer in " + std::to_string(limit) + " s");
        }
        if (draw) {
            waiting(ses);
            ImageUpdate();
        }
        SDL_Event event;
        if (!ImageWaitEvent(&event)) Die(ImageError());
        if (event.type == SDL_QUIT) std::exit(0); // the child's owner ends it
        draw = event.type == SDL_VIDEOEXPOSE || (event.type == SDL_USEREVENT && ImageFrameDue());
    }
    return JudgeDisplayTest(child.ExitStatus(), child.Output());
}

void ApplyVerdict(session &ses, const test_verdict &verdict)
{
    if (verdict.outcome == test_outcome::kept)
        ses.kept = ses.rec;
    else
        RestoreDisplayFields(ses.rec, ses.kept);
}

void TestDisplay(session &ses, void (*waiting)(const session &ses))
{
    const test_verdict verdict = RunDisplayTest(ses, waiting);
    ApplyVerdict(ses, verdict);
    const std::string line = StatusLine(verdict);
    ImageStatus("%s", line.c_str());
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}
