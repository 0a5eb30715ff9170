// frame_bench.cpp - what one frame of the setup's main page costs.
//
// The setup redraws its page after input and at each step of the
// highlight's pulse, so the price of one frame is most of what the program
// costs while it sits open (bench/idle.sh measures that whole). This program
// times, under SDL's dummy video driver at the setup's own 600 x 375 and
// initialised exactly as the setup initialises:
//   - frame/*: the main page as ImageMenu draws it (the page, the five items,
//     the library's overlays) without the present, once with the overlays off
//     and once with the help screen and the frame rate on;
//   - frame/graphics, frame/gamma: the same for the graphics options page and
//     the gamma page (its test picture cached, as between value changes);
//   - present: SDL_Flip of the screen surface alone;
//   - frame/gl: the main page as ImageMenu draws it in the OpenGL back-end,
//     overlays included, finished (glFinish) but not presented, on DISPLAY
//     (`make bench` runs it under tools/on-xvfb: Mesa's llvmpipe);
//     anchor/gl-clear: clearing the whole window in OpenGL and finishing it;
//     present/gl: the buffer swap alone;
//   - anchor/memset+memcpy: clearing a buffer of one 32-bit frame and copying
//     it into another, the floor of any frame;
//   - anchor/full-fill: one SDL_FillRect of the whole screen surface;
//   - startup: a forked child that starts SDL and the library, draws the main
//     page and presents it once; anchor/fork: a child that ends at once.
// After the runs a table gives the microseconds of each and their ratios; the
// frame should cost no more than three full-frame fills. Both back-ends draw
// the page with its logo, as the setup shows it.
//
// The anchors are timed on the runtime under test, so the ratios compare like
// with like; the runtimes differ a lot (sdl12-compat's fill and present are
// SDL2's), and the table's first line names the runtime, the driver and the
// screen format.
//
// Running: `make bench`, or tools/on-xvfb build/frame-bench from anywhere with Google
// Benchmark's own options (--benchmark_filter=frame, --benchmark_repetitions=5
// for medians). The library reads "vantor.ttf" from the working directory, so
// the program moves to the folder of its own executable (the build folder)
// first. The driver is "dummy" unless SDL_VIDEODRIVER says otherwise, so the
// same program measures a real display too (SDL_VIDEODRIVER=x11 under Xvfb).
// On the classic SDL 1.2.15 runtime:
//   tools/classic-sdl build/classic-sdl
//   LD_LIBRARY_PATH=build/classic-sdl build/frame-bench
// (its dummy driver gives an 8-bit palettised screen, compat a 32-bit one).
//
// The start-up benchmarks fork a child that initialises SDL itself, so they
// run first, before this process initialises SDL for the frame benchmarks.
// The OpenGL ones run last: SDL is started again on the X server then.
// The child inherits the libraries already loaded and linked, so start-up
// here is SDL and the library starting, not the dynamic loader.

#include "gamma_page.h"
#include "image_internal.h"
#include "pages.h"

#include <SDL_opengl.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int WIDTH = 600;
constexpr int HEIGHT = 375;

// What the pages show: the defaults, with the logo once it is loaded.
session ses;

// SDL and the library, started as the setup starts them, in a back-end; the
// logo loaded. 0 or -1.
int StartDisplay(int backend_opt = BACKEND_SDL)
{
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) return -1;
    if (ImageInit(backend_opt, WIDTH, HEIGHT, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA) < 0)
        return -1;
    ses.logo_loaded = ImageLoad(&ses.logo, "logo.png", 8, 4, 0) == 0;
    return 0;
}

// What each back-end ran on, for the table.
std::string sdl_display = "not started", gl_display = "not started";

std::string DescribeSDL()
{
    const SDL_version *v = SDL_Linked_Version();
    const SDL_Surface *screen = SDL_GetVideoSurface();
    char driver[32] = "?";
    SDL_VideoDriverName(driver, sizeof driver);
    char text[256];
    std::snprintf(text, sizeof text, "SDL %d.%d.%d, driver %s", v->major, v->minor, v->patch,
                  driver);
    std::string out = text;
    if (screen) {
        std::snprintf(text, sizeof text, ", screen %dx%d at %d bits (R %08x G %08x B %08x)",
                      screen->w, screen->h, screen->format->BitsPerPixel, screen->format->Rmask,
                      screen->format->Gmask, screen->format->Bmask);
        out += text;
    }
    return out;
}

// A page as ImageMenu redraws it, with the overlays of the SDL back-end's
// ImageUpdate, all but the flip.
template <class State>
void DrawFrame(const page<State> &shown, State &state, int selected)
{
    page_frame<State> frame{shown, ses, state};
    vimage::DrawMenuFrame(::DrawFrame<State>, &frame, static_cast<int>(shown.items.size()),
                          shown.items.data(), selected);
    vimage::DrawOverlays();
}

// The main page's frame without overlays.
void DrawMainPage()
{
    no_state none;
    page_frame<no_state> frame{main_page, ses, none};
    vimage::DrawMenuFrame(::DrawFrame<no_state>, &frame, static_cast<int>(main_page.items.size()),
                          main_page.items.data(), 0);
}

bool display_started = false;

// Starts the display in this process once, for the benchmarks that draw.
bool EnsureDisplay(benchmark::State &state)
{
    static const bool ok = [] {
        display_started = true;
        if (StartDisplay() < 0) {
            std::fprintf(stderr, "frame-bench: %s\n", ImageError() ? ImageError() : SDL_GetError());
            return false;
        }
        sdl_display = DescribeSDL();
        return true;
    }();
    if (!ok) state.SkipWithError("the display could not be started");
    return ok;
}

// Starts the OpenGL back-end once, on an X server of this process's own:
// SDL is shut down (the SDL benchmarks ran on their own driver) and started
// again on it.
bool EnsureGLDisplay(benchmark::State &state)
{
    static const bool ok = [] {
        display_started = true;
        if (!std::getenv("DISPLAY")) {
            std::fprintf(stderr,
                         "frame-bench: no DISPLAY for OpenGL: run it under tools/on-xvfb\n");
            return false;
        }
        if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_Quit();
        setenv("SDL_VIDEODRIVER", "x11", 1);
        if (StartDisplay(BACKEND_GL) < 0) {
            std::fprintf(stderr, "frame-bench: %s\n", ImageError() ? ImageError() : SDL_GetError());
            return false;
        }
        gl_display =
            DescribeSDL() + ", " + reinterpret_cast<const char *>(glGetString(GL_RENDERER));
        return true;
    }();
    if (!ok) state.SkipWithError("the OpenGL display could not be started");
    return ok;
}

void BM_FrameGL(benchmark::State &state)
{
    if (!EnsureGLDisplay(state)) return;
    for (auto _ : state) {
        DrawMainPage();
        vimage::DrawOverlays();
        glFinish();
    }
}

void BM_ClearGL(benchmark::State &state)
{
    if (!EnsureGLDisplay(state)) return;
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        glFinish();
    }
}

void BM_PresentGL(benchmark::State &state)
{
    if (!EnsureGLDisplay(state)) return;
    for (auto _ : state) SDL_GL_SwapBuffers();
}

void BM_Frame(benchmark::State &state, bool overlays)
{
    if (!EnsureDisplay(state)) return;
    vimage::overlay.show_help = overlays;
    vimage::overlay.show_fps = overlays;
    no_state none;
    for (auto _ : state) DrawFrame(main_page, none, 0);
    vimage::overlay.show_help = 0;
    vimage::overlay.show_fps = 0;
}

// The graphics options page, and the gamma page with its test picture
// already built (it is rebuilt only when a value changes).
void BM_GraphicsPage(benchmark::State &state)
{
    if (!EnsureDisplay(state)) return;
    no_state none;
    for (auto _ : state) DrawFrame(graphics_page, none, 0);
}

void BM_GammaPage(benchmark::State &state)
{
    if (!EnsureDisplay(state)) return;
    gamma_state page;
    DrawFrame(gamma_page, page, 3); // builds the picture
    for (auto _ : state) DrawFrame(gamma_page, page, 3);
}

void BM_Present(benchmark::State &state)
{
    if (!EnsureDisplay(state)) return;
    SDL_Surface *screen = vimage::backend.sdl.surfp;
    for (auto _ : state) SDL_Flip(screen);
}

void BM_FullFill(benchmark::State &state)
{
    if (!EnsureDisplay(state)) return;
    SDL_Surface *screen = vimage::backend.sdl.surfp;
    const Uint32 black = SDL_MapRGB(screen->format, 0, 0, 0);
    for (auto _ : state) SDL_FillRect(screen, nullptr, black);
}

void BM_MemsetMemcpy(benchmark::State &state)
{
    constexpr size_t bytes = size_t{WIDTH} * HEIGHT * 4;
    std::vector<unsigned char> a(bytes), b(bytes);
    int value = 0;
    for (auto _ : state) {
        std::memset(a.data(), value++ & 0xff, bytes);
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::DoNotOptimize(a.data());
        benchmark::DoNotOptimize(b.data());
        benchmark::ClobberMemory();
    }
}

double Seconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Times fork, `child` in the child (which must end the child) and waitpid.
void TimeChild(benchmark::State &state, void (*child)())
{
    if (display_started) {
        // A child would inherit SDL already started and measure nothing.
        state.SkipWithError("must run before the display is started in this process");
        return;
    }
    for (auto _ : state) {
        const double start = Seconds();
        const pid_t pid = fork();
        if (pid == 0) child();
        if (pid < 0) {
            state.SkipWithError(std::strerror(errno));
            return;
        }
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        state.SetIterationTime(Seconds() - start);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child failed");
            return;
        }
    }
}

[[noreturn]] void StartupChild()
{
    if (StartDisplay() < 0) _exit(1);
    DrawMainPage();
    _exit(ImageUpdate() < 0 ? 1 : 0);
}

[[noreturn]] void EmptyChild()
{
    _exit(0);
}

void BM_Startup(benchmark::State &state)
{
    TimeChild(state, StartupChild);
}

void BM_Fork(benchmark::State &state)
{
    TimeChild(state, EmptyChild);
}

// The console output as usual, and the real and CPU time of each benchmark in
// microseconds an iteration, in run order (the median when repetitions are
// asked for).
class TableReporter : public benchmark::ConsoleReporter {
  public:
    struct result {
        std::string name;
        double real_us = 0, cpu_us = 0;
    };
    std::vector<result> results;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred) continue;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
            const double to_us = 1e6 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const result r{run.run_name.function_name, run.GetAdjustedRealTime() * to_us,
                           run.GetAdjustedCPUTime() * to_us};
            const auto it = std::find_if(results.begin(), results.end(),
                                         [&](const result &x) { return x.name == r.name; });
            if (it == results.end())
                results.push_back(r);
            else
                *it = r;
        }
    }

    // Real time of a benchmark, or -1 when it did not run.
    double Real(const char *name) const
    {
        for (const result &r : results)
            if (r.name == name) return r.real_us;
        return -1;
    }
};

void PrintTable(const TableReporter &reporter)
{
    std::printf("\nSDL back-end: %s\nOpenGL back-end: %s\n", sdl_display.c_str(),
                gl_display.c_str());
    std::printf("\n%-24s %12s %12s\n", "benchmark", "real us", "cpu us");
    for (const auto &r : reporter.results)
        std::printf("%-24s %12.3f %12.3f\n", r.name.c_str(), r.real_us, r.cpu_us);

    std::printf("\n%-36s %8s %8s\n", "ratio (real time)", "value", "target");
    auto ratio = [&](const char *label, const char *num, const char *den, const char *target) {
        const double a = reporter.Real(num), b = reporter.Real(den);
        if (a < 0 || b <= 0)
            std::printf("%-36s %8s %8s\n", label, "n/a", target);
        else
            std::printf("%-36s %8.2f %8s\n", label, a / b, target);
    };
    ratio("frame / full fill", "frame/plain", "anchor/full-fill", "<= 3");
    ratio("frame+help+fps / full fill", "frame/help+fps", "anchor/full-fill", "");
    ratio("frame / (memset+memcpy)", "frame/plain", "anchor/memset+memcpy", "");
    ratio("frame+help+fps / (memset+memcpy)", "frame/help+fps", "anchor/memset+memcpy", "");
    ratio("graphics page / full fill", "frame/graphics", "anchor/full-fill", "<= 3");
    ratio("gamma page / full fill", "frame/gamma", "anchor/full-fill", "<= 3");
    ratio("graphics page / (memset+memcpy)", "frame/graphics", "anchor/memset+memcpy", "");
    ratio("gamma page / (memset+memcpy)", "frame/gamma", "anchor/memset+memcpy", "");
    ratio("present / full fill", "present", "anchor/full-fill", "");
    ratio("start-up / fork anchor", "startup", "anchor/fork", "");
    ratio("OpenGL frame / SDL frame", "frame/gl", "frame/plain", "");
    ratio("OpenGL frame / OpenGL clear", "frame/gl", "anchor/gl-clear", "");
    ratio("OpenGL present / SDL present", "present/gl", "present", "");
}

// Moves to the folder of this executable, where the build stages vantor.ttf.
void MoveToOwnFolder()
{
    std::array<char, 4096> path{};
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (n <= 0) return;
    std::string dir(path.data(), static_cast<size_t>(n));
    const size_t slash = dir.rfind('/');
    if (slash == std::string::npos) return;
    dir.resize(slash == 0 ? 1 : slash);
    if (chdir(dir.c_str()) != 0) std::perror(dir.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    MoveToOwnFolder();
    if (access("vantor.ttf", R_OK) != 0) {
        std::fprintf(stderr, "frame-bench: vantor.ttf is missing beside the program\n");
        return 1;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    // Registration order is run order: the forking benchmarks come first.
    benchmark::RegisterBenchmark("startup", BM_Startup)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("anchor/fork", BM_Fork)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("frame/plain", BM_Frame, false)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("frame/help+fps", BM_Frame, true)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("frame/graphics", BM_GraphicsPage)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("frame/gamma", BM_GammaPage)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("present", BM_Present)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("anchor/full-fill", BM_FullFill)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("anchor/memset+memcpy", BM_MemsetMemcpy)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("frame/gl", BM_FrameGL)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("anchor/gl-clear", BM_ClearGL)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("present/gl", BM_PresentGL)->Unit(benchmark::kMicrosecond);

    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintTable(reporter);
    benchmark::Shutdown();
    SDL_Quit(); // the OpenGL context goes while its X server is still there
    return 0;
}
