// image_internal.h - state and helpers shared by the display library's files.
//
// Not part of the public interface: the game and the setup program include
// only image.h. The library's state is grouped in one record per concern;
// each record is defined (and documented) in the file that owns it.
#pragma once

#include "image.h"
#include "owners.h"
#include "surface_owner.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vimage {

// ---------------------------------------------------------------------------
// Canvas mapping (canvas.cpp)

inline constexpr int CANVAS_W = 40;
inline constexpr int CANVAS_H = 25;
static_assert(IMAGE_MIN_WIDTH == CANVAS_W && IMAGE_MIN_HEIGHT == CANVAS_H); // a pixel a unit

// How the 40 x 25 unit canvas lies on a screen: square units of `xscale`
// pixels, centred, the rest margin. Fixed by ImageInit, except the pan.
struct canvas_state {
    int xscale = 0, yscale = 0;   // pixels per unit (always equal)
    int xoffset = 0, yoffset = 0; // margin left of / above the canvas, pixels
    int xremain = 0, yremain = 0; // margin right of / below the canvas, pixels
    int xborder = 0, yborder = 0; // the left / top margin in whole units, rounded up
    int xpan = 0, ypan = 0;       // pan in 64ths of a unit (OpenGL only)
};
extern canvas_state canvas;

// The geometry for a requested screen of width x height pixels (at least
// 40 x 25), without pan.
canvas_state CanvasFor(int width, int height);

// Clamps a double to the int range (NaN gives 0) and truncates toward zero.
int TruncToInt(double v);

// A pan in whole pixels: 64ths of a unit times the scale, rounded toward
// minus infinity (an arithmetic shift), in 64 bits so that no pan overflows.
inline long long PanPixels(int pan, int scale)
{
    return (static_cast<long long>(pan) * scale) >> 6;
}

// ---------------------------------------------------------------------------
// The back-end record (init.cpp binds it; sdl/ and gl/ define one each)
//
// A back-end is one constant record of operations: every entry of image.h's
// table, and what the rest of the library asks of the display the back-end
// opened. ImageInit binds one record in one place (Bind): the public pointers
// and `bound`, through which the library reaches the other operations. An
// operation that a back-end cannot perform is named as such in its record
// (Unsupported, NotDrawn, IgnoredKey, NoKeys) rather than left out.
//
// Adding an operation: one line in one of the two lists below, and one
// function named in each record (the SDL, the OpenGL and the no-display
// one). Every field is an `operation`, which has no default and refuses
// null, so a record that misses the new field does not build.

// The entries of image.h's table, as (field of the record, public pointer).
// The list makes the pointers' definitions, the record's fields, the binding
// and the check. Each entry's contract is image.h's.
#define VIMAGE_TABLE(X)                                                                            \
    X(clear, ImageClear)                                                                           \
    X(clear_border, ImageClearBorder)                                                              \
    X(pan, ImagePan)                                                                               \
    X(rect, ImageRect)                                                                             \
    X(rect_frac, ImageRectFrac)                                                                    \
    X(load, ImageLoad)                                                                             \
    X(draw, ImageDraw)                                                                             \
    X(free, ImageFree)                                                                             \
    X(update, ImageUpdate)                                                                         \
    X(text_width, TextWidth)                                                                       \
    X(text_l, TextL)                                                                               \
    X(text_c, TextC)                                                                               \
    X(text_r, TextR)

// What ImageInit was asked for, as a back-end's completion needs it.
struct init_request {
    int antialias;
    int samples;
    int flags; // the IMAGE_* bits
};

// The row order of a captured canvas, or that nothing was captured.
enum class captured { failed, top_row_first, bottom_row_first };

// Which of the library's switchable keys work in the bound back-end (bright
// on the help screen): F5 and F6, F7, F8.
struct key_caps {
    bool antialias = false;
    bool accum_toggle = false;
    bool gamma_sample = false;
};

// Called by ImageInit once the video mode is set and the gamma, the canvas
// and the timer are ready: must build the glyph set from the font and make
// the back-end ready to draw on `screen`. 0, or -1 with the message recorded;
// the record is bound only after it succeeds.
using complete_fn = int (*)(SDL_Surface *screen, const init_request &request);
// Called when a frame is presented with the help screen on, before its
// text: must darken the canvas from (2.5, 2.5) to (37.5, 22.5), not
// gamma-corrected.
using backdrop_fn = void (*)();
// Called when a frame is presented with F8's gamma sample on, after the
// screenshot and the status line: must draw the sample, where the back-end
// has one.
using gamma_sample_fn = void (*)();
// Called last when a frame is presented: must show the frame drawn. 0, or
// -1 when the display refuses.
using present_fn = int (*)();
// Whether the frame last presented stays in the buffer drawn next, so that a
// frame may redraw a part of it alone (pacing_state::only).
using keeps_frame_fn = bool (*)();
// Called when a screenshot is written, before the frame is shown: must copy
// the canvas without its margins, width x height pixels (the canvas's size),
// as R, G, B bytes in rows without gaps, into `rgb`, and say in which row
// order.
using capture_fn = captured (*)(Uint8 *rgb, int width, int height);
// Called for F5, F6 (Shift for down) and F7: must switch the antialiasing
// settings the back-end offers and say so on the status line.
using antialias_key_fn = void (*)(SDLKey sym, SDLMod mod);
// Called for the help screen: which switchable keys work now.
using key_caps_fn = key_caps (*)();

// The operations callers never call directly, as (field, type).
#define VIMAGE_BACKEND_OPS(X)                                                                      \
    X(complete, complete_fn)                                                                       \
    X(backdrop, backdrop_fn)                                                                       \
    X(gamma_sample, gamma_sample_fn)                                                               \
    X(present, present_fn)                                                                         \
    X(keeps_frame, keeps_frame_fn)                                                                 \
    X(capture, capture_fn)                                                                         \
    X(antialias_key, antialias_key_fn)                                                             \
    X(keys, key_caps_fn)

// One operation of a record: a function pointer that is never null. With no
// default constructor and nullptr refused, a record's initialiser that
// leaves the field out or writes null in does not compile; the check is the
// type's, not a comparison of addresses, which is no constant expression in
// every build (g++ with its null sanitizer, or with
// -fno-delete-null-pointer-checks, lets a function lie at address zero). It
// is called, and converts to the plain pointer, as that pointer would.
template <class F>
class operation {
  public:
    constexpr operation(F f) : f_(f) {}
    operation(std::nullptr_t) = delete;
    constexpr operator F() const { return f_; }

  private:
    F f_;
};

struct backend_ops {
    Uint32 video_flags; // SDL_SetVideoMode's flags for it, full screen aside
    bool true_colour;   // asks for 32 bits a pixel where the display has a palette
#define VIMAGE_TABLE_FIELD(field, name) operation<decltype(::name)> field;
    VIMAGE_TABLE(VIMAGE_TABLE_FIELD)
#undef VIMAGE_TABLE_FIELD
#define VIMAGE_OPS_FIELD(field, type) operation<type> field;
    VIMAGE_BACKEND_OPS(VIMAGE_OPS_FIELD)
#undef VIMAGE_OPS_FIELD
};

// An entry of the table that a back-end cannot perform: -1, and no message,
// as image.h says of ImagePan and ImageClearBorder ("-1 where the back-end
// cannot"), so that a game that pans every frame fills no error stream.
template <class F>
struct unsupported;
template <class... A>
struct unsupported<int (*)(A...)> {
    static int Entry(A...) { return -1; }
};
template <class F>
inline constexpr F Unsupported = unsupported<F>::Entry;

// A back-end without a gamma sample (or a backdrop) draws nothing for it.
inline void NotDrawn() {}
// A back-end without antialiasing settings consumes their keys silently.
inline void IgnoredKey(SDLKey, SDLMod) {}
// ... and none of the switchable keys works in it.
inline key_caps NoKeys()
{
    return {};
}
// A back-end that swaps buffers (or has none) keeps no frame to draw over.
inline bool KeepsNoFrame()
{
    return false;
}

// The records: the OpenGL and the SDL back-ends (gl/, sdl/).
extern const backend_ops gl_backend;
extern const backend_ops sdl_backend;

// The bound record: before the first ImageInit and after a failed one, a
// record whose every entry fails with the message that no display is open
// (the public pointers are null only before the first ImageInit).
extern const backend_ops *bound;

// Binds a record: the public pointers and `bound`.
void Bind(const backend_ops &ops);

// State of the OpenGL back-end, offered to the library's user for its own
// antialiasing (image.h's image_gl); switched by the keyboard controls.
using gl_state = ::image_gl;

struct sdl_state {
    SDL_Surface *surfp; // the screen surface of the video mode
};

// Only the state of the bound back-end is meaningful.
union backend_state {
    gl_state gl;
    sdl_state sdl;
};
extern backend_state backend;

// SDL video-mode flags for a back-end and ImageInit's flags; for an id that
// names no back-end, full screen alone.
Uint32 SDLFlags(int backend_opt, int flags);

// Writes the distinct sizes of a null-terminated SDL mode list into
// `resolutions`, at most n, in list order; returns how many.
int DistinctModes(const SDL_Rect *const *modes, int resolutions[][2], int n);

// Whether `name` stands as a whole word in a space-separated extension list.
// A null list, an empty name or a name with a space is never listed.
int ExtensionListed(const char *list, const char *name);

// ---------------------------------------------------------------------------
// Events, timer, status and errors (events.cpp)

// Records the message of a failure, formatted as printf does, in the
// library's own storage (so ImageError() keeps it whatever SDL or the C
// library do with the texts it was made from), writes it as the line
// "Vantor: <message>" on the standard error stream, and returns -1. An empty
// message is recorded as "An unknown error occurred.".
int SetError(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
Uint32 TimerFunc(Uint32 interval, void *p);

// Marks, for its lifetime, a call into SDL that talks to the display
// (waiting for events, presenting a frame).
struct display_call {
    display_call();
    ~display_call();
    display_call(const display_call &) = delete;
    display_call &operator=(const display_call &) = delete;
};

// Makes an exit from inside such a call end the process at once (see
// events.cpp). Called by ImageInit, after the application registered its own
// exit handlers, so that this one runs first.
void GuardExitDuringDisplayCalls();

// Acts on a key press if it is one of the library's own keys. Returns true
// when the key is consumed (the caller waits again), false when it is handed
// back. Q with Ctrl, Alt or Meta ends the process.
bool LibraryKey(const SDL_keysym &key);

// Whether an event means the window shows again what it lost: exposed, or
// restored from an icon.
bool ShowsWindowAgain(const SDL_Event &ev);

// ImageFlash at a given tick count.
Uint32 FlashAt(Uint32 col, Uint32 ticks);

// ---------------------------------------------------------------------------
// Gamepads (events.cpp): pad input as the keys it stands for

// The keys' repeat, which ImageInit also gives SDL for the keyboard.
inline constexpr int KEY_REPEAT_DELAY = 500;   // ms from a press to its first repeat
inline constexpr int KEY_REPEAT_INTERVAL = 30; // ms between repeats
// How far a stick axis must go from its centre to count as pushed: half its
// travel (SDL's axes go from -32768 to 32767), so that a resting or worn stick
// does nothing.
inline constexpr int AXIS_PUSHED = 16384;
// SDL 1.2 numbers pads with a byte.
inline constexpr int MAX_PADS = 256;

// What one pad's direction controls hold now.
struct pad_controls {
    Uint8 hat = SDL_HAT_CENTERED; // hat 0
    Sint16 x = 0, y = 0;          // axes 0 and 1, the left stick
};

// The events one pad event becomes: a released direction's key up, a new
// direction's or a button's key, then the pad event itself.
struct pad_events {
    std::array<SDL_Event, 3> events{};
    int count = 0;
};

struct pad_state {
    int keys = 1; // ImagePadKeys: pad input becomes keys
    std::array<pad_controls, MAX_PADS> pads{};
    // The direction held last, which repeats while it stays: its key, the
    // pad and control it comes from (hat 0 or stick 1), when it next repeats.
    SDLKey held = SDLK_UNKNOWN;
    int held_pad = 0, held_control = 0;
    Uint32 next_repeat = 0;
    pad_events pending; // handed on before the next wait
    int next_pending = 0;
};
extern pad_state pad;

// What a joystick event stands for at time `now` (ms): the keys and then
// the event itself. Pads' other events, and any other event, come back
// alone.
pad_events PadInput(pad_state &p, const SDL_Event &ev, Uint32 now);
// The held direction's key again when its repeat is due at `now`.
bool PadRepeat(pad_state &p, Uint32 now, SDL_Event &key);
// Opens the pads present that are not open yet and turns their events on,
// when the caller started SDL's joystick subsystem.
void OpenPads();

// ---------------------------------------------------------------------------
// Gamma correction (gamma.cpp)

struct gamma_state {
    int gamma_required = 0;                                 // colours are corrected in software
    double screen_gamma = 1.0;                              // gamma pictures are decoded for
    float gam_r = 1, gam_g = 1, gam_b = 1;                  // software exponents, 1 / gamma
    std::array<Uint8, 256> gamma_r{}, gamma_g{}, gamma_b{}; // software tables
};
extern gamma_state gammas;

// Clamps the gammas (tenths) to 1..50 and chooses hardware or software
// correction: the hardware ramp unless `software` is set, SDL refuses it, or
// the ramp SDL reads back is not the one asked for.
void SetupGamma(int rgam, int ggam, int bgam, bool software);
// Whether a 256-entry gamma ramp read back from the display is the curve that
// SDL_SetGamma(gamma) asks for, within what the display may round away.
bool RampMatches(const Uint16 *ramp, float gamma);
// Sets up software correction for gammas already clamped to 1..50.
void SetSoftwareGamma(int rgam, int ggam, int bgam);
// Corrects a colour word.
Uint32 ImageGammaRGB(Uint32 col);

// ---------------------------------------------------------------------------
// Frame presentation (present.cpp)

struct overlay_state {
    int show_help = 0;
    int show_fps = 0;
    int show_gamma = 0;      // the gamma sample, where the back-end has one
    int save_screenshot = 0; // at the next presented frame
    int fps = 0;             // frames presented during the last whole second
    int frames_this_sec = 0;
    Uint32 fps_start = 0;           // start of the current second, SDL ticks
    std::array<char, 128> status{}; // the status line; empty when status[0] is 0
    Uint32 status_time = 0;         // when the status line was last set
};
extern overlay_state overlay;

// Closes the current second of the frame counter when it is over.
void RollFrameCounter(overlay_state &o, Uint32 now);

// The animation clock's step: what moves on a waiting page (the highlighted
// bar's flash, the numeric entry's cursor) is redrawn once a step, at the
// first tick of the step, rather than at every tick.
inline constexpr Uint32 ANIMATION_STEP_MS = 64;

// What decides when a waiting page draws and presents a frame (ImageFrameDue).
struct pacing_state {
    int redraw = 1; // something the library draws over frames changed since the last present
    int whole = 1;  // the next present shows the whole frame: the window was exposed or restored
    Uint32 shown_step = 0; // the animation step of the last frame presented
    SDL_Rect only{};       // with a width: nothing outside it was drawn since the last present
};
extern pacing_state pacing;

// Whether a frame is due at time `now` (ms): see ImageFrameDue.
bool FrameDue(const pacing_state &p, const overlay_state &o, Uint32 now);

// The library's overlays over the frame drawn, through the bound record: the
// help screen, the frame rate, the screenshot, the status line, the gamma
// sample. Everything ImageUpdate does but present.
void DrawOverlays();
// ImageUpdate in every back-end: the overlays, then the record's present.
int PresentFrame();

// ---------------------------------------------------------------------------
// Font and text (font.cpp): what both back-ends' glyph sets share

inline constexpr int FIRST_CHAR = 32; // printable ASCII: space ...
inline constexpr int LAST_CHAR = 126; // ... to tilde
inline constexpr int NUM_CHARS = LAST_CHAR - FIRST_CHAR + 1;

struct font_state {
    int font_offset = 0;                     // pixels from the top of a line down to the baseline
    std::array<int, NUM_CHARS> font_width{}; // advance of each character, pixels
};
extern font_state font;

// Opens "vantor.ttf" at the canvas scale and sets the baseline; 0, or -1
// with the message recorded (and the font closed).
int OpenFont();
// Rasterises character c of the open font and sets its advance: its
// bearings (xp right of the pen, yp up from the baseline), size and coverage
// (width bytes a row, valid until the next call). -1 when it has no glyph.
int FontChar(int c, int *xp, int *yp, int *widthp, int *heightp, const Uint8 **bufferp);
void CloseFont();

// Advance in pixels of a text byte; bytes outside 32..126 measure like a
// glyph that failed.
int CharAdvance(unsigned char c);

// The table's TextWidth, TextC and TextR in both back-ends: the width from
// the advances, which both glyph sets share; centred and right-aligned text
// through the bound TextL, moved left by the whole or half the width.
float MeasureText(const char *text);
int CentreText(float x, float y, const char *text, Uint32 col);
int RightAlignText(float x, float y, const char *text, Uint32 col);

// ---------------------------------------------------------------------------
// SDL back-end (sdl/)

// An SDL rectangle of the part of (x, y, w, h) that lies on the surface;
// w or h is 0 when nothing does. Computed in int, so positions beyond the
// 16-bit fields of SDL_Rect never wrap around.
SDL_Rect ClipRect(int x, int y, int w, int h, const SDL_Surface *surface);

// Fills a rectangle, already clipped to the surface, with a mapped pixel
// value; 0, or -1 when the surface cannot be locked or SDL refuses.
int FillSurface(SDL_Surface *surface, SDL_Rect r, Uint32 pixel);

// Blits the whole of `src` with its top-left corner at pixel (x, y) of `dst`,
// clipped in int first. Returns SDL's result, or 0 when nothing is visible.
int BlitAt(SDL_Surface *src, int x, int y, SDL_Surface *dst);

// The smallest rectangle holding every pixel where two frames of h rows of
// w pixels, `bpp` bytes each, `pitch` bytes a row, differ; w and h 0 when
// none does.
SDL_Rect ChangedRect(const Uint8 *now, const Uint8 *before, int w, int h, int pitch, int bpp);

// The SDL back-end's copy of the frame it presented last: what the window
// shows, so that a present puts only the pixels that changed.
struct sdl_shown_frame {
    std::vector<Uint8> pixels; // the screen surface's rows as presented; empty: none yet
    SDL_Rect updated{};        // what the last present put on the window (w 0: nothing)
};
extern sdl_shown_frame sdl_shown;

// One glyph of the SDL glyph set.
struct sdl_char {
    surface_ptr surfp; // 32-bit, coverage in alpha; null when the glyph failed
    int x = 0;         // pixels from the pen right to the glyph's left edge
    int y = 0;         // pixels from the baseline up to the glyph's top row
    Uint32 col = 0;    // colour the surface's colour bytes hold now
};

// Bit positions of the channels in a 32-bit glyph surface.
struct glyph_format {
    int rshift = 0, gshift = 8, bshift = 16, ashift = 24;
};

struct sdl_glyph_set {
    glyph_format format;                   // layout of the glyph surfaces
    std::array<sdl_char, NUM_CHARS> chars; // characters 32..126
};
extern sdl_glyph_set sdl_glyphs;

// Builds the SDL glyph set from the open font for the screen the text will
// be drawn on.
void BuildGlyphsSDL(const SDL_Surface *screen);
// The table's TextL.
int TextLSDL(float x, float y, const char *text, Uint32 col);

// ---------------------------------------------------------------------------
// OpenGL back-end (gl/)

// The version at the start of GL_VERSION, "major.minor".
struct gl_version {
    int major = 0, minor = 0;
};

// Reads the two numbers at the start of a GL_VERSION text ("major.minor",
// then anything), a number past int's range taking the nearest end. False
// for a null text or one that does not begin so.
bool ParseGLVersion(const char *text, gl_version &v);
// Whether the library runs on it: OpenGL 1.1 or newer.
bool UsableGLVersion(const gl_version &v);
// OpenGL 1.2 or newer: glDrawRangeElements and the separate specular colour.
bool HasGL12(const gl_version &v);

// Whether the current OpenGL context lists an extension; 0 when it reports
// no extension string.
int ExtensionSupported(const char *extension);

// The whole pixel where the SDL back-end puts logical x (or y), counted from
// the canvas's left (top) edge, pan excluded: text and pictures start there
// in OpenGL too, so that their texels fall on pixel centres.
double CanvasColumn(float x);
double CanvasRow(float y);

// The gamma sample's bands (F8).
void DrawGammaSample();

// Builds the OpenGL glyph set (display lists and textures) from the open font.
void BuildGlyphsGL();
// The table's TextL.
int TextLGL(float x, float y, const char *text, Uint32 col);

// ---------------------------------------------------------------------------
// Menu widget (menu.cpp)

// The behaviour of one ImageMenu call, apart from its drawing.
struct menu_state {
    int selected = 0;       // highlighted item; outside the array highlights none
    int tracking_mouse = 0; // a button pressed on an item is held
};

enum class menu_action { redraw, wait, choose, quit };

struct menu_outcome {
    menu_action action;
    int code; // the chosen code, for menu_action::choose
};

// Index of the item under pixel (x, y), or -1.
int MenuItem(int num_items, const menuitem *items, int x, int y);

// What the menu does with one event handed back by ImageWaitEvent.
menu_outcome MenuReact(menu_state &m, const SDL_Event &ev, int num_items, const menuitem *items);

// One redraw of ImageMenu before the frame is presented: the page, then the
// items with the selected one flashing.
void DrawMenuFrame(void (*draw_fn)(void *), void *context, int num_items, const menuitem *items,
                   int selected);

// ---------------------------------------------------------------------------
// Picture resampling (resample.cpp)

// How one screen pixel of a unit is made from the unit's 64 source pixels
// along one axis. Weights are in 1/4096 of a screen pixel and add up to
// 0x1000: weight0 for source pixel `offset`, `weight` for each of the `n`
// whole pixels after it, and weight1 for the one partly used pixel after
// those (0 when there is none).
struct _coefficients {
    uint32_t offset;
    uint32_t weight0;
    uint32_t n;
    uint32_t weight;
    uint32_t weight1;
};

// The tables for the screen's scale, filled by ImageInit; entries 0 to
// scale - 1 are used. Left untouched for a scale above 63.
struct resample_state {
    std::array<_coefficients, IMAGE_SCALE> x_coeff{};
    std::array<_coefficients, IMAGE_SCALE> y_coeff{};
};
extern resample_state resample;

// Fills the first `scale` records of p[0..63] for a screen of `scale` pixels
// a unit. Writes nothing for a scale outside 1..63.
void CalculateCoefficients(int scale, _coefficients *p);

// A pixel buffer from malloc, as the resamplers and LoadPNG make it.
using pixels_ptr = malloc_ptr<unsigned char>;

// A decoded picture in LoadPNG's buffer format: `bpp` bytes a pixel (3: R, G,
// B; 4: R, G, B, A), rows of width2 pixels without gaps, height2 rows; the
// picture fills the first `width` pixels of the first `height` rows and every
// other byte is 0. Row order is whatever the buffer holds; resampling keeps it.
struct picture {
    pixels_ptr pixels;
    int width = 0, height = 0;   // the picture, pixels
    int width2 = 0, height2 = 0; // the buffer: pixels a row, rows
    int bpp = 3;
};

// The largest picture the library makes or accepts: at most MAX_PICTURE_SIDE
// pixels a side and MAX_PICTURE_BYTES in one buffer, padding included. A
// 16384 x 4096 RGBA texture is the largest that fits; the game's pictures are
// far smaller. Larger files are refused before anything is allocated.
inline constexpr int MAX_PICTURE_SIDE = 16384;
inline constexpr size_t MAX_PICTURE_BYTES = size_t{256} << 20;
// libpng's limit on one chunk's length, for the PNG readers; libpng 1.6.39
// warns about a longer chunk but reads on (png.cpp says what protects it).
inline constexpr size_t MAX_CHUNK_BYTES = size_t{8} << 20;

// The byte size of a width2 x height2 buffer of `bpp` bytes a pixel, or 0
// when a side is not positive or the buffer would pass the limits above.
size_t PictureBytes(long long width2, long long height2, int bpp);

// The smallest power of two not less than v (v at least 1, at most 2^30).
int NextPowerOfTwo(int v);

// Reduces a picture of exactly width x height units at 64 pixels a unit
// (src.width = 64 * width, src.height = 64 * height) to xscale x yscale
// pixels a unit, as an exact area average, with the coefficient tables of
// those scales (1..63). Returns a picture with null pixels when the buffer
// cannot be allocated.
picture ResampleCells(const picture &src, int width, int height, int xscale,
                      const _coefficients *xc, int yscale, const _coefficients *yc, bool pad2);

// Scales a picture to new_width x new_height pixels in floating point: an
// area average when it reduces in at least one direction, else a linear
// interpolation. Null pixels when the buffer cannot be allocated.
picture ResampleFloat(const picture &src, int new_width, int new_height, bool pad2);

// ---------------------------------------------------------------------------
// PNG loading (png.cpp)

// What a back-end wants of a decoded picture.
struct png_options {
    int width = 0, height = 0;  // the place in canvas units; 0 and 0 keep the file's size
    bool alpha = false;         // R, G, B, A pixels with the transparency, else R, G, B
    bool pad2 = false;          // both sides padded to powers of two
    bool interpolate = false;   // also enlarged to the place (else only reduced)
    bool top_row_first = false; // the top row first in the buffer (else the bottom row)
};

// Reads a PNG file into a picture of 8-bit pixels (see `picture`); with a
// place of width and height both non-zero, brought to that many canvas units
// on this screen. On failure a picture with null pixels and sizes 0, with the
// message recorded.
picture LoadPNG(const char *filename, const png_options &options);

// ---------------------------------------------------------------------------
// Screenshot writer (screenshot.cpp)

// Writes the canvas to "screenshot.png"; 0, or -1 with the message recorded.
int SaveScreenshot();

} // namespace vimage
