// The setup's main page drawn by the SDL back-end, then by the OpenGL
// back-end on the same X server, compared over the canvas: they may differ
// only by their rounding, so every pixel of one has its like within one pixel
// of its place in the other, and almost all at the very place.

#include "gl_display.h"
#include "setup.h"

namespace {

// The canvas of the main page as ImageMenu draws it, with no item
// highlighted (the highlight flashes with time).
std::vector<Uint32> MainPage(int backend_opt, int width, int height)
{
    EXPECT_EQ(ImageInit(backend_opt, width, height, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), 0)
        << ImageError();
    logo_loaded = ImageLoad(&logo, "logo.png", 8, 4, 0) == 0;
    EXPECT_TRUE(logo_loaded) << ImageError();
    vimage::DrawMenuFrame(DrawMainMenu, static_cast<int>(main_items.size()), main_items.data(), -1);
    const vimage::canvas_state &c = vimage::canvas;
    // The odd pixel of the vertical margin is below the canvas in SDL, above
    // it in OpenGL.
    const int top = backend_opt == BACKEND_GL ? c.yremain : c.yoffset;
    const frame f = backend_opt == BACKEND_GL ? ReadFrame() : ReadScreen();
    std::vector<Uint32> canvas;
    for (int y = 0; y < 25 * c.yscale; ++y)
        for (int x = 0; x < 40 * c.xscale; ++x) canvas.push_back(f.At(x + c.xoffset, y + top));
    return canvas;
}

bool Near(Uint32 a, Uint32 b)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>(a >> shift & 0xff) - static_cast<int>(b >> shift & 0xff)) > 3)
            return false;
    return true;
}

// Pixels of `a` without a like at most one pixel from their place in `b`.
int Unmatched(const std::vector<Uint32> &a, const std::vector<Uint32> &b, int w, int h)
{
    int count = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool found = false;
            for (int ny = std::max(y - 1, 0); ny <= std::min(y + 1, h - 1) && !found; ++ny)
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, w - 1) && !found; ++nx)
                    found = Near(a[static_cast<size_t>(y * w + x)],
                                 b[static_cast<size_t>(ny * w + nx)]);
            count += !found;
        }
    return count;
}

void CompareMainPage(int width, int height)
{
    StartX11();
    const std::vector<Uint32> sdl = MainPage(BACKEND_SDL, width, height);
    EXPECT_EQ(ImageGLState(), nullptr); // the SDL back-end has no gl record
    const std::vector<Uint32> gl = MainPage(BACKEND_GL, width, height);
    const int w = 40 * vimage::canvas.xscale, h = 25 * vimage::canvas.yscale;
    ASSERT_EQ(sdl.size(), gl.size());
    size_t same = 0;
    for (size_t i = 0; i < gl.size(); ++i) same += Near(gl[i], sdl[i]);
    EXPECT_EQ(Unmatched(gl, sdl, w, h), 0);
    EXPECT_EQ(Unmatched(sdl, gl, w, h), 0);
    EXPECT_GT(same, gl.size() * 99 / 100);
    // Not blank, not all lit: the page is there.
    const auto black = std::count(gl.begin(), gl.end(), 0u);
    EXPECT_GT(black, 0);
    EXPECT_LT(black, static_cast<long>(gl.size()) * 19 / 20);
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
