// The same page in both back-ends: the setup's main page drawn by the SDL
// back-end (in a child process on the same X server) and by the OpenGL
// back-end, compared over the canvas. They may differ only by the rounding of
// the two back-ends: a pixel of one must have its like within one pixel of
// the same place in the other.

#include "gl_display.h"
#include "png_write.h"
#include "setup.h"

#include <cerrno>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Draws the main page as ImageMenu does, with no item highlighted (the
// highlight flashes with time).
void DrawMainPage(int backend_opt, int width, int height)
{
    ASSERT_EQ(ImageInit(backend_opt, width, height, 0, 2, 22, 22, 22, 4), 0) << ImageError();
    logo_loaded = ImageLoad(&logo, "logo.png", 8, 4, 0) == 0;
    ASSERT_TRUE(logo_loaded) << ImageError();
    vimage::DrawMenuFrame(DrawMainMenu, static_cast<int>(main_items.size()), main_items.data(), -1);
}

// The canvas as the SDL back-end draws it, 0xRRGGBB top row first.
std::vector<Uint32> SDLCanvas(int width, int height)
{
    const int w = 40 * vimage::CanvasFor(width, height).xscale;
    const int h = 25 * vimage::CanvasFor(width, height).yscale;
    std::vector<Uint32> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) _exit(1);
        DrawMainPage(BACKEND_SDL, width, height);
        SDL_Surface *screen = SDL_GetVideoSurface();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int sx = x + vimage::canvas.xoffset, sy = y + vimage::canvas.yoffset;
                const auto *row = static_cast<const Uint8 *>(screen->pixels) + sy * screen->pitch;
                Uint8 r, g, b;
                SDL_GetRGB(reinterpret_cast<const Uint32 *>(row)[sx], screen->format, &r, &g, &b);
                pixels[static_cast<size_t>(y * w + x)] = Uint32{r} << 16 | Uint32{g} << 8 | b;
            }
        const auto *bytes = reinterpret_cast<const char *>(pixels.data());
        size_t left = pixels.size() * sizeof(Uint32);
        while (left > 0) {
            const ssize_t n = write(fds[1], bytes, left);
            if (n <= 0) _exit(1);
            bytes += n;
            left -= static_cast<size_t>(n);
        }
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    close(fds[1]);
    auto *bytes = reinterpret_cast<char *>(pixels.data());
    size_t got = 0;
    const size_t total = pixels.size() * sizeof(Uint32);
    while (got < total) {
        const ssize_t n = read(fds[0], bytes + got, total - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the SDL child failed";
    EXPECT_EQ(got, total);
    return pixels;
}

bool Near(Uint32 a, Uint32 b, int tolerance)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>(a >> shift & 0xff) - static_cast<int>(b >> shift & 0xff)) >
            tolerance)
            return false;
    return true;
}

// Pixels of `a` without a like (within `tolerance` a channel) at most one
// pixel from the same place in `b`.
int Unmatched(const std::vector<Uint32> &a, const std::vector<Uint32> &b, int w, int h,
              int tolerance)
{
    int count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy)
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                    found = Near(a[static_cast<size_t>(y * w + x)],
                                 b[static_cast<size_t>(ny * w + nx)], tolerance);
                }
            count += !found;
        }
    return count;
}

void WriteCanvas(const std::string &path, const std::vector<Uint32> &pixels, int w, int h)
{
    png_desc d;
    d.width = w;
    d.height = h;
    std::vector<std::vector<unsigned char>> rows(static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Uint32 p = pixels[static_cast<size_t>(y * w + x)];
            rows[static_cast<size_t>(y)].insert(rows[static_cast<size_t>(y)].end(),
                                                {static_cast<unsigned char>(p >> 16),
                                                 static_cast<unsigned char>(p >> 8),
                                                 static_cast<unsigned char>(p)});
        }
    WriteBytes(path, EncodePng(d, rows));
}

void CompareMainPage(int width, int height)
{
    // The child starts SDL itself: forked from a process whose SDL threads
    // run, it could inherit a lock held by one of them.
    if (SDL_WasInit(SDL_INIT_VIDEO))
        GTEST_SKIP() << "needs a process of its own, as CTest runs each test case";
    ASSERT_TRUE(StartOwnXvfb());
    const std::vector<Uint32> sdl = SDLCanvas(width, height);
    StartX11();
    DrawMainPage(BACKEND_GL, width, height);
    const frame f = ReadFrame();
    const vimage::canvas_state &c = vimage::canvas;
    const int w = 40 * c.xscale, h = 25 * c.yscale;
    // In OpenGL the canvas lies `yremain` pixels below the window's top.
    std::vector<Uint32> gl(sdl.size());
    int same = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto i = static_cast<size_t>(y * w + x);
            gl[i] = f.At(x + c.xoffset, y + c.yremain);
            same += Near(gl[i], sdl[i], 3);
        }
    const int unmatched = Unmatched(gl, sdl, w, h, 3) + Unmatched(sdl, gl, w, h, 3);
    EXPECT_EQ(unmatched, 0);
    EXPECT_GT(same, w * h * 99 / 100); // the rest are edges a pixel apart
    if (unmatched || same <= w * h * 99 / 100) {
        const std::string name = "gl-page-" + std::to_string(width) + "x" + std::to_string(height);
        WriteCanvas(name + "-sdl.png", sdl, w, h);
        WriteCanvas(name + "-gl.png", gl, w, h);
        ADD_FAILURE() << "both canvases written to " << name << "-*.png in the build folder";
    }
    // Not all black: the page is there.
    EXPECT_GT(std::count_if(gl.begin(), gl.end(), [](Uint32 p) { return p != 0; }), w * h / 20);
}

} // namespace

TEST(GLPage, MainPageAsInTheSDLBackEnd)
{
    CompareMainPage(600, 375);
}

TEST(GLPage, MainPageWithUnevenMargins)
{
    CompareMainPage(1024, 768);
}
