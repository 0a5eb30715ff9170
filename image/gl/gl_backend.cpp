// gl_backend.cpp - the OpenGL back-end: drawing through OpenGL.
//
// The OpenGL implementation of the back-end record. The canvas is the unit
// square of OpenGL coordinates: logical (x, y) is drawn at (x / 40, 1 - y / 25),
// and the orthographic projection that ImagePanGL sets lays that square onto
// the canvas's pixels, margins and pan included (the odd pixel of an uneven
// vertical margin lies above the canvas here, below it in the SDL back-end).
// Rectangles are filled in their exact fractional place and the rasteriser
// takes the pixels whose centres they cover, where the SDL back-end
// truncates.
//
// Pictures are textures: LoadPNG gives their rows bottom-up, padded to powers
// of two, already brought to the place's pixel size when the picture was made
// at 64 pixels a unit; the quad shows only the picture's part of the texture,
// from the whole pixel where the SDL back-end puts the picture's corner, so
// that each texel covers one pixel. A picture of its own size (0 x 0 units)
// is mipmapped instead.
//
// State: the projection and the fixed state are set once by CompleteGL.
// GL_TEXTURE_2D and GL_BLEND are off between operations: whatever switches
// one on switches it off again. The clear colour is never set (black).
//
// Presenting a frame: under the help screen the picture is darkened by
// blending; the gamma sample (F8) comes after the screenshot, so screenshots
// never hold it; before the swap, one pending OpenGL error is reported on
// standard output. The antialiasing keys (F5 to F7) switch the gl record,
// which the library's user reads for its own antialiasing.
//
// Depends on: OpenGL, GLU, canvas.cpp, gamma.cpp, png.cpp, font.cpp,
// gl_text.cpp (glyphs), present.cpp, events.cpp, the platform layer (the
// environment's default).

#include "image_internal.h"
#include "runtime.h"

#include <SDL_opengl.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <type_traits>

namespace vimage {

// The record's entry points have OpenGL 1.2's prototypes in this platform's
// GL types and calling convention. They are spelled out here because the
// headers differ in what they declare: Windows' OpenGL 1.1 headers have
// neither function, Mesa's have no pointer type for glBlendColor.
using blend_color_fn = void(APIENTRY *)(GLclampf, GLclampf, GLclampf, GLclampf);
using draw_range_elements_fn = void(APIENTRY *)(GLenum, GLuint, GLuint, GLsizei, GLenum,
                                                const GLvoid *);
static_assert(std::is_same_v<decltype(gl_state::glBlendColorp), blend_color_fn>);
static_assert(std::is_same_v<decltype(gl_state::glDrawRangeElementsp), draw_range_elements_fn>);

namespace {

// sdl12-compat draws OpenGL into a framebuffer of its own, scaled to the
// window, unless SDL12COMPAT_OPENGL_SCALING is 0; that framebuffer has no
// accumulation buffer. It reads the variable when SDL starts, which the
// library's caller does before ImageInit, so the library sets it while the
// program is loaded. A value the user set stays; the classic runtime has no
// such variable.
[[maybe_unused]] const bool opengl_scaling_off = [] {
    platform::SetEnvironmentDefault("SDL12COMPAT_OPENGL_SCALING", "0");
    return true;
}();

// The colour of light 0, ambient and diffuse.
constexpr GLfloat light[4] = {0.75f, 0.75f, 0.75f, 1.0f};

const char *GLText(GLenum name)
{
    return reinterpret_cast<const char *>(glGetString(name));
}

// Sets a colour word, gamma-corrected.
void SetColour(Uint32 col)
{
    col = ImageGammaRGB(col);
    glColor3ub(static_cast<GLubyte>(col >> 16), static_cast<GLubyte>(col >> 8),
               static_cast<GLubyte>(col));
}

// The gamma sample's polygon stipples: 32 rows of 32 bits, the bottom row
// first, the leftmost pixel in the first byte's top bit. Each lights half of
// the pixels it covers: every other row, a checkerboard, every other column.
using stipple_mask = std::array<GLubyte, 128>;

constexpr stipple_mask Mask(Uint32 even_rows, Uint32 odd_rows)
{
    stipple_mask m{};
    for (size_t r = 0; r < 32; ++r) {
        const Uint32 bits = r % 2 ? odd_rows : even_rows;
        for (size_t b = 0; b < 4; ++b) m[r * 4 + b] = static_cast<GLubyte>(bits >> (24 - 8 * b));
    }
    return m;
}

constexpr stipple_mask horiz = Mask(0xFFFFFFFF, 0x00000000);
constexpr stipple_mask stipple = Mask(0x55555555, 0xAAAAAAAA);
constexpr stipple_mask vert = Mask(0x55555555, 0x55555555);

int ClampToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// The antialiasing settings' keys switch the record's flags.
void Toggle(int &flag)
{
    flag = !flag;
}

} // namespace

bool ParseGLVersion(const char *text, gl_version &v)
{
    if (!text) return false;
    const char *end = text + std::strlen(text);
    // One number at `at`, a value past int's range taking the nearest end.
    auto number = [end](const char *at, int &n) -> const char * {
        const auto [past, error] = std::from_chars(at, end, n);
        if (error == std::errc::result_out_of_range) n = *at == '-' ? INT_MIN : INT_MAX;
        return error == std::errc::invalid_argument ? nullptr : past;
    };
    gl_version read;
    const char *dot = number(text, read.major);
    if (!dot || *dot != '.' || !number(dot + 1, read.minor)) return false;
    v = read;
    return true;
}

bool UsableGLVersion(const gl_version &v)
{
    return v.major > 1 || (v.major == 1 && v.minor > 0);
}

bool HasGL12(const gl_version &v)
{
    return v.major > 1 || (v.major == 1 && v.minor > 1);
}

int ExtensionSupported(const char *extension)
{
    return ExtensionListed(GLText(GL_EXTENSIONS), extension);
}

double CanvasColumn(float x)
{
    return static_cast<double>(ImageX(x) - canvas.xoffset - PanPixels(canvas.xpan, canvas.xscale));
}

double CanvasRow(float y)
{
    return static_cast<double>(ImageY(y) - canvas.yoffset - PanPixels(canvas.ypan, canvas.yscale));
}

namespace {

int ImageClearGL()
{
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}

int ImageRectGL(int x, int y, int width, int height, Uint32 col)
{
    SetColour(col);
    const auto x1 = static_cast<long long>(x) + width, y1 = static_cast<long long>(y) + height;
    glRectf(static_cast<float>(x) / 40, 1 - static_cast<float>(y) / 25, static_cast<float>(x1) / 40,
            1 - static_cast<float>(y1) / 25);
    return 0;
}

int ImageRectFracGL(float x, float y, float width, float height, Uint32 col)
{
    SetColour(col);
    glRectf(x / 40, 1 - y / 25, (x + width) / 40, 1 - (y + height) / 25);
    return 0;
}

int ImageLoadGL(image *imgp, const char *filename, int width, int height, int alpha)
{
    const picture pic =
        LoadPNG(filename, {.width = width, .height = height, .alpha = alpha != 0, .pad2 = true});
    if (!pic.pixels) return -1;
    const int img_width = pic.width, img_height = pic.height;
    const int width2 = pic.width2, height2 = pic.height2;
    const bool mipmap = width == 0 && height == 0;
    // gluBuild2DMipmaps scales a picture down to what the context takes; a
    // plain texture would be left undefined and drawn as a flat quad.
    GLint max_side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_side);
    if (!mipmap && (width2 > max_side || height2 > max_side))
        return SetError("Picture too large for a texture");

    image loaded{};
    loaded.tex.width = width;
    loaded.tex.height = height;
    loaded.tex.alpha = alpha;
    loaded.tex.texwidth = static_cast<float>(img_width) / static_cast<float>(width2);
    loaded.tex.texheight = static_cast<float>(img_height) / static_cast<float>(height2);
    glGenTextures(1, &loaded.tex.name);
    glBindTexture(GL_TEXTURE_2D, loaded.tex.name);
    const GLenum format = alpha ? GL_RGBA : GL_RGB;
    if (mipmap) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        const GLint error = gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), width2,
                                              height2, format, GL_UNSIGNED_BYTE, pic.pixels.get());
        if (error != 0) {
            glDeleteTextures(1, &loaded.tex.name);
            const auto *text = gluErrorString(static_cast<GLenum>(error));
            return text ? SetError("%s", reinterpret_cast<const char *>(text))
                        : SetError("GLU error %d", error);
        }
    } else {
        // Nearest texels where the picture has at least the pixels it covers.
        const bool sized = width != 0 && height != 0;
        const bool enlarged = static_cast<long long>(width) * canvas.xscale > img_width ||
                              static_cast<long long>(height) * canvas.yscale > img_height;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, sized ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                        sized && !enlarged ? GL_NEAREST : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width2, height2, 0, format,
                     GL_UNSIGNED_BYTE, pic.pixels.get());
    }
    *imgp = loaded;
    return 0;
}

int ImageDrawGL(const image *imgp, float x, float y)
{
    if (!imgp || imgp->tex.name == 0) return SetError("No picture loaded");
    const auto &tex = imgp->tex;
    glBindTexture(GL_TEXTURE_2D, tex.name);
    glEnable(GL_TEXTURE_2D);
    if (tex.alpha) glEnable(GL_BLEND);
    // The corner on the pixel where the SDL back-end puts it: a picture made
    // for its place then has one texel a pixel, each on a pixel's centre.
    const double xs = canvas.xscale, ys = canvas.yscale;
    const double column = CanvasColumn(x), row = CanvasRow(y);
    const double left = column / xs / CANVAS_W, right = (column + tex.width * xs) / xs / CANVAS_W;
    const double top = 1 - row / ys / CANVAS_H,
                 bottom = 1 - (row + tex.height * ys) / ys / CANVAS_H;
    // Texture row 0 is the picture's bottom row.
    glBegin(GL_QUADS);
    glTexCoord2f(0, tex.texheight);
    glVertex2d(left, top);
    glTexCoord2f(0, 0);
    glVertex2d(left, bottom);
    glTexCoord2f(tex.texwidth, 0);
    glVertex2d(right, bottom);
    glTexCoord2f(tex.texwidth, tex.texheight);
    glVertex2d(right, top);
    glEnd();
    if (tex.alpha) glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    return 0;
}

int ImageFreeGL(image *imgp)
{
    if (imgp) glDeleteTextures(1, &imgp->tex.name);
    return 0;
}

int ImagePanGL(int x, int y)
{
    canvas.xpan = x;
    canvas.ypan = y;
    const auto xpan_pix = static_cast<double>(PanPixels(x, canvas.xscale));
    const auto ypan_pix = static_cast<double>(PanPixels(y, canvas.yscale));
    const double xs = canvas.xscale, ys = canvas.yscale;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho((-canvas.xoffset - xpan_pix) / xs / CANVAS_W,
            1 + (canvas.xremain - xpan_pix) / xs / CANVAS_W,
            (-canvas.yoffset - ypan_pix) / ys / CANVAS_H,
            1 + (canvas.yremain - ypan_pix) / ys / CANVAS_H, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    return 0;
}

int ImageClearBorderGL()
{
    // The whole units that the pan uncovers on each side, rounded up.
    const long long xpan = canvas.xpan, ypan = canvas.ypan;
    const long long left = xpan > 0 ? (xpan + 63) >> 6 : 0;
    const long long right = xpan < 0 ? (63 - xpan) >> 6 : 0;
    const long long top = ypan < 0 ? (63 - ypan) >> 6 : 0;
    const long long bot = ypan > 0 ? (ypan + 63) >> 6 : 0;
    const long long xb = canvas.xborder, yb = canvas.yborder;
    const int x0 = ClampToInt(-xb - left);
    const int width = ClampToInt(CANVAS_W + 2 * xb + left + right);
    ImageRectGL(x0, ClampToInt(-yb - top), width, ClampToInt(yb + top), 0);
    ImageRectGL(x0, CANVAS_H, width, ClampToInt(yb + bot), 0);
    ImageRectGL(x0, 0, ClampToInt(xb + left), CANVAS_H, 0);
    ImageRectGL(CANVAS_W, 0, ClampToInt(xb + right), CANVAS_H, 0);
    return 0;
}

} // namespace

void DrawGammaSample()
{
    // Each patterned band shows full intensity on half of its pixels, right
    // below a solid band of half intensity in the same hue.
    constexpr Uint32 half[4] = {0x808080, 0x800000, 0x008000, 0x000080};
    constexpr Uint32 full[4] = {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    for (int i = 0; i < 4; ++i) ImageRect(0, 9 + 2 * i, CANVAS_W, 1, half[i]);
    for (int i = 0; i < 4; ++i) ImageRect(0, 10 + 2 * i, CANVAS_W, 1, 0x000000);
    struct part {
        const stipple_mask &mask;
        int x, width;
    };
    const part parts[] = {{horiz, 0, 13}, {stipple, 13, 14}, {vert, 27, 13}};
    glEnable(GL_POLYGON_STIPPLE);
    for (const part &p : parts) {
        glPolygonStipple(p.mask.data());
        for (int i = 0; i < 4; ++i) ImageRect(p.x, 10 + 2 * i, p.width, 1, full[i]);
    }
    glDisable(GL_POLYGON_STIPPLE);
}

namespace {

// Checks the version, builds the glyph set, fills the gl record and sets the
// projection and the fixed state.
int CompleteGL(SDL_Surface *screen, const init_request &request)
{
    gl_version version;
    if (!ParseGLVersion(GLText(GL_VERSION), version) || !UsableGLVersion(version))
        return SetError("OpenGL 1.1 or newer required");
    if (OpenFont() < 0) return -1;
    BuildGlyphsGL();
    CloseFont();

    gl_state gl{};
    gl.accum = (request.flags & IMAGE_ACCUM) != 0;
    if (ExtensionSupported("GL_ARB_imaging"))
        gl.glBlendColorp =
            reinterpret_cast<decltype(gl.glBlendColorp)>(SDL_GL_GetProcAddress("glBlendColor"));
    if (HasGL12(version)) {
        glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
        gl.glDrawRangeElementsp = reinterpret_cast<decltype(gl.glDrawRangeElementsp)>(
            SDL_GL_GetProcAddress("glDrawRangeElements"));
    }
    gl.rescale = ExtensionSupported("GL_EXT_rescale_normal") ? GL_RESCALE_NORMAL_EXT : GL_NORMALIZE;
    GLint accum_bits = 0;
    glGetIntegerv(GL_ACCUM_GREEN_BITS, &accum_bits);
    gl.have_accum = accum_bits > 0;
    if (!gl.have_accum) gl.accum = 0;

    // The whole window: a fresh context's default, but a context that SDL
    // kept from an earlier initialisation keeps the earlier window's size.
    glViewport(0, 0, screen->w, screen->h);
    ImagePanGL(0, 0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_MAP2_VERTEX_3);
    glLightfv(GL_LIGHT0, GL_AMBIENT, light);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, light);
    glShadeModel(GL_FLAT);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    gl.antialias = request.antialias;
    gl.samples = std::clamp(request.samples, 2, 64);
    backend.gl = gl;
    return 0;
}

void BackdropGL()
{
    // Canvas (2.5, 2.5) to (37.5, 22.5), black at three quarters: the
    // picture shows through darkened. Not gamma-corrected.
    glEnable(GL_BLEND);
    glColor4f(0, 0, 0, 0.75f);
    glRectf(0.0625f, 0.9f, 0.9375f, 0.1f);
    glDisable(GL_BLEND);
}

int PresentGL()
{
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        const auto *text = reinterpret_cast<const char *>(gluErrorString(error));
        if (text)
            std::printf("%s\n", text);
        else
            std::printf("OpenGL error 0x%04X\n", error);
    }
    display_call talking;
    SDL_GL_SwapBuffers();
    return 0;
}

// Reads the canvas from OpenGL's current read buffer (the back buffer, about
// to be shown), bottom row first: in window coordinates the canvas starts
// `yoffset` pixels above the bottom. The rows are packed without gaps
// whatever pixel-store state the caller left.
captured CaptureGL(Uint8 *rgb, int width, int height)
{
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    glPixelStorei(GL_PACK_SWAP_BYTES, GL_FALSE);
    glReadPixels(canvas.xoffset, canvas.yoffset, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPopClientAttrib();
    return captured::bottom_row_first;
}

// F5 switches antialiasing (and, without glBlendColor, settles on the
// accumulation buffer); F6 and Shift F6 step the samples within 2..64; F7
// switches the accumulation buffer, where both methods are there.
void AntialiasKeyGL(SDLKey sym, SDLMod mod)
{
    gl_state &gl = backend.gl;
    const bool blend = gl.glBlendColorp != nullptr;
    switch (sym) {
    case SDLK_F5:
        if (!gl.have_accum && !blend) {
            ImageStatus("Antialiasing not available.");
            return;
        }
        Toggle(gl.antialias);
        if (!blend) gl.accum = 1;
        ImageStatus(gl.antialias ? "Antialiasing enabled." : "Antialiasing disabled.");
        return;
    case SDLK_F6:
        if (mod & KMOD_SHIFT) {
            if (gl.samples > 2) --gl.samples;
        } else if (gl.samples < 64) {
            ++gl.samples;
        }
        ImageStatus("%dx supersampling.", gl.samples);
        return;
    case SDLK_F7:
        if (!gl.have_accum)
            ImageStatus(blend ? "No accumulation buffer available."
                              : "Antialiasing not available.");
        else if (!blend)
            ImageStatus("Accumulation buffer is mandatory.");
        else {
            Toggle(gl.accum);
            ImageStatus(gl.accum ? "Accumulation buffer enabled."
                                 : "Accumulation buffer disabled.");
        }
        return;
    default:
        return;
    }
}

// Antialiasing needs either method; switching between them needs both.
key_caps KeysGL()
{
    const gl_state &gl = backend.gl;
    const bool blend = gl.glBlendColorp != nullptr;
    return {.antialias = gl.have_accum || blend,
            .accum_toggle = gl.have_accum && blend,
            .gamma_sample = true};
}

} // namespace

constexpr backend_ops gl_backend{
    .video_flags = SDL_OPENGL,
    .true_colour = false,
    .clear = ImageClearGL,
    .clear_border = ImageClearBorderGL,
    .pan = ImagePanGL,
    .rect = ImageRectGL,
    .rect_frac = ImageRectFracGL,
    .load = ImageLoadGL,
    .draw = ImageDrawGL,
    .free = ImageFreeGL,
    .update = PresentFrame,
    .text_width = MeasureText,
    .text_l = TextLGL,
    .text_c = CentreText,
    .text_r = RightAlignText,
    .complete = CompleteGL,
    .backdrop = BackdropGL,
    .gamma_sample = DrawGammaSample,
    .present = PresentGL,
    .keeps_frame = KeepsNoFrame,
    .capture = CaptureGL,
    .antialias_key = AntialiasKeyGL,
    .keys = KeysGL,
};

} // namespace vimage
