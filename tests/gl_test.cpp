// The OpenGL back-end on Xvfb (tools/on-xvfb): the SDL back-end's page; what only OpenGL has.

#include "display.h"
#include "pages.h"
#include "png_write.h"

namespace {

// Two units by one at 64 pixels a unit: blue, then white at alpha 0x80; the logo shows the rows.
std::string TwoUnits(const scratch_dir &scratch)
{
    png_desc d;
    d.color_type = PNG_COLOR_TYPE_RGBA, d.width = 128, d.height = 64;
    std::vector<unsigned char> row;
    for (int x = 0; x < 64; ++x) row.insert(row.end(), {0, 0, 255, 255});
    for (int x = 0; x < 64; ++x) row.insert(row.end(), {255, 255, 255, 128});
    const std::string path = (scratch.dir / "two.png").string();
    EXPECT_TRUE(WriteBytes(path, EncodePng(d, std::vector(64, row))));
    return path;
}

// The main page's canvas, pictures opaque, blended, missing, bytes without glyphs, overlays.
frame MainPage(int backend, int width, int height, const std::string &picture)
{
    EXPECT_EQ(ImageInit(backend, width, height, 0, 2, 22, 22, 22, IMAGE_SOFTWARE_GAMMA), 0)
        << ImageError();
    session ses;
    ses.logo_loaded = ImageLoad(&ses.logo, "logo.png", 8, 4, 0) == 0; // each back-end's own logo
    no_state stateless;
    DrawPage(main_page, ses, stateless);
    image opaque{}, blended{}, none{};
    EXPECT_EQ(ImageLoad(&opaque, picture.c_str(), 2, 1, 0), 0) << ImageError();
    EXPECT_EQ(ImageLoad(&blended, picture.c_str(), 2, 1, 1), 0) << ImageError();
    ImageDraw(&opaque, 30, 5);
    ImageRect(30, 7, 3, 1, 0x00FF00);
    ImageDraw(&blended, 30, 7);
    EXPECT_FALSE(backend == BACKEND_GL && glIsEnabled(GL_BLEND)); // for the game's own drawing
    for (image *freed : {&opaque, &blended}) ImageFree(freed);
    EXPECT_FALSE(backend == BACKEND_GL && glIsTexture(opaque.tex.name)); // freed
    EXPECT_EQ(ImageDraw(&none, 0, 0), -1);
    TextL(1, 24, "A\x01\xff\x42", WHITE);
    vimage::overlay = {.show_fps = 1, .fps = 60, .fps_start = SDL_GetTicks()};
    ImageRect(0, 23, 40, 1, 0); // the status band's edges round apart: hide them
    ImageStatus("Status");
    vimage::DrawOverlays();
    // The odd pixel of the vertical margin is below the canvas in SDL, above in OpenGL.
    const vimage::canvas_state &c = vimage::canvas;
    const int top = backend == BACKEND_GL ? c.yremain : c.yoffset;
    const frame all = Frame();
    frame f{40 * c.xscale, 25 * c.yscale, {}};
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) f.pixels.push_back(all.At(x + c.xoffset, y + top));
    return f;
}

// Pixels of `a` with no like (channels within 3) within `reach` pixels of their place in b.
int Unmatched(const frame &a, const frame &b, int reach)
{
    auto near = [](Uint32 p, Uint32 q) {
        for (int shift : {0, 8, 16})
            if (std::abs(int(p >> shift & 0xff) - int(q >> shift & 0xff)) > 3) return false;
        return true;
    };
    int count = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            bool found = false;
            for (int ny = std::max(y - reach, 0); ny <= std::min(y + reach, a.height - 1); ++ny)
                for (int nx = std::max(x - reach, 0); nx <= std::min(x + reach, a.width - 1); ++nx)
                    found = found || near(a.At(x, y), b.At(nx, ny));
            count += !found;
        }
    return count;
}

} // namespace

// Every pixel has its like within a pixel of its place in the other back-end, most at it.
TEST(GLPage, MainPageAsInTheSDLBackEnd)
{
    StartSDL(true);
    const scratch_dir scratch(false);
    const std::string picture = TwoUnits(scratch);
    for (auto [width, height] : {std::pair{600, 375}, {1024, 768}}) { // uneven margins
        SCOPED_TRACE(width);
        const frame sdl = MainPage(BACKEND_SDL, width, height, picture);
        const frame gl = MainPage(BACKEND_GL, width, height, picture);
        GLint depth = 0; // every matrix pushed was popped, every switch turned off
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        EXPECT_FALSE(glIsEnabled(GL_BLEND) || glIsEnabled(GL_TEXTURE_2D));
        // The screenshot holds what was compared, top row first.
        std::filesystem::current_path(scratch.dir);
        ASSERT_EQ(vimage::SaveScreenshot(), 0);
        std::filesystem::current_path(scratch.before);
        EXPECT_TRUE(ReadPng((scratch.dir / "screenshot.png").string().c_str()).pixels == gl.pixels);
        ASSERT_EQ(sdl.pixels.size(), gl.pixels.size());
        EXPECT_EQ(std::pair(Unmatched(gl, sdl, 1), Unmatched(sdl, gl, 1)), std::pair(0, 0));
        EXPECT_LT(Unmatched(gl, sdl, 0), gl.width * gl.height / 100);
        const auto black = std::count(gl.pixels.begin(), gl.pixels.end(), 0u); // the page is there
        EXPECT_GT(black, 0);
        EXPECT_LT(black, static_cast<long>(gl.pixels.size()) * 19 / 20);
    }
}

// What the context has, as the context itself tells; samples at most 64. With its OpenGL scaling
// on, sdl12-compat grants no accumulation buffer: then none is offered.
struct GLInitScaling : testing::TestWithParam<const char *> {};

TEST_P(GLInitScaling, TheRecordSaysWhatTheContextHas)
{
    setenv("SDL12COMPAT_OPENGL_SCALING", GetParam(), 1);
    StartSDL(true);
    ASSERT_EQ(ImageInit(BACKEND_GL, 800, 600, 1, 65, 22, 22, 22, IMAGE_ACCUM), 0) << ImageError();
    const image_gl *gl = ImageGLState();
    const auto *ext = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    auto listed = [ext](const char *name) { return vimage::ExtensionListed(ext, name); };
    GLint accum = 0;
    glGetIntegerv(GL_ACCUM_RED_BITS, &accum);
    const int rescale = listed("GL_EXT_rescale_normal") ? GL_RESCALE_NORMAL_EXT : GL_NORMALIZE;
    EXPECT_EQ(
        std::vector<int>({gl->antialias, gl->samples, gl->have_accum, gl->accum, gl->rescale,
                          !!gl->glBlendColorp, !!gl->glDrawRangeElementsp}),
        std::vector<int>({1, 64, accum > 0, accum > 0, rescale, listed("GL_ARB_imaging"), 1}));
    EXPECT_EQ(glGetError(), GLenum{GL_NO_ERROR});
}

INSTANTIATE_TEST_SUITE_P(GLInit, GLInitScaling, testing::Values("0", "1"));

TEST(GLInit, OpenGL10IsRefused)
{
    setenv("MESA_GL_VERSION_OVERRIDE", "1.0", 1);
    StartSDL(true);
    EXPECT_EQ(ImageInit(BACKEND_GL, 600, 375, 0, 2, 22, 22, 22, 0), -1);
    EXPECT_STREQ(ImageError(), "OpenGL 1.1 or newer required");
    EXPECT_EQ(std::pair(ImageClear(), ImageGLState() == nullptr), std::pair(-1, true));
}

TEST(GLDraw, RectanglesMarginsGammaSampleAndPan)
{
    Open(BACKEND_GL, 1024, 768, 0); // scale 25; margins 12 | 12 across, 71 | 72 down
    // 274.75 to 282.25 pixels across: the pixels whose centres lie inside.
    ImageRectFrac(10.51f, 2.24f, 0.3f, 0.32f, 0x261c78);
    EXPECT_EQ(Frame().Bounds(), std::vector({275, 128, 7, 8}));
    ImageClear();
    ImageRect(-1, -3, 2, 3, WHITE); // into the margins, off the window's left edge
    EXPECT_EQ(Frame().Bounds(), std::vector({0, 0, 37, 72}));
    // The gamma sample: half-intensity rows, full intensity on about half the pixels below.
    ImageClear();
    vimage::DrawGammaSample();
    const frame f = Frame();
    EXPECT_EQ(std::pair(f.At(500, 72 + 9 * 25), f.At(500, 72 + 15 * 25)),
              std::pair(0x808080u, 0x000080u));
    const auto lit =
        std::count(f.pixels.begin() + 322 * 1024, f.pixels.begin() + 347 * 1024, WHITE);
    EXPECT_LT(std::abs(lit - 1000 * 25 / 2), 600) << lit; // unit row 10: y 322 to 346
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_STIPPLE));
    // One unit right and one down, then a 64th of a unit left: a whole pixel.
    for (auto [x, y, left, top] : {std::tuple{64, -64, 37, 97}, {-1, 0, 11, 72}}) {
        ImageClear();
        ASSERT_EQ(ImagePan(x, y), 0);
        ImageRect(0, 0, 1, 1, WHITE);
        EXPECT_EQ(Frame().Bounds(), std::vector({left, top, 25, 25}));
    }
    // The border: all but the canvas black, also the units the pan uncovers.
    ImagePan(64, 0);
    ImageRect(-5, -5, 50, 35, WHITE);
    ASSERT_EQ(ImageClearBorder(), 0);
    EXPECT_EQ(Frame().Bounds(), std::vector({37, 72, 987, 625}));
}
