/**
 * \file image.h
 * \brief The display library's public interface (`#include <vantor/image.h>`).
 */
/**
 * \mainpage The Vantor display library
 *
 * The library opens the display in one of two back-ends (OpenGL or SDL
 * software surfaces), maps a logical canvas of 40 x 25 units onto it, and
 * draws rectangles, text and pictures there. It also runs a menu widget and
 * answers a few keyboard controls of its own (help, frame rate, screenshot,
 * antialiasing switches, quit). Its whole interface is image.h.
 *
 * \section conventions Conventions
 *   - The canvas: x to the right, y downward, (0, 0) at the top-left corner,
 *     40 units wide and 25 high; one unit is one text line high. Whole-unit
 *     operations take ints, fractional ones floats.
 *   - Colour words are 0x00RRGGBB linear intensities; the library applies the
 *     display gamma on the way to the screen.
 *   - Operations return 0 (or a count) on success and -1 on failure; the
 *     message of the last failure is ImageError(). Text operations never fail
 *     while a display is open.
 *   - Call SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) before ImageInit, with
 *     SDL_INIT_JOYSTICK for gamepads (ImageInit opens the pads present; see
 *     ImagePadKeys). The library has no shutdown: what it owns lives until
 *     the process ends.
 *   - ImageInit reads the font `vantor.ttf` from the current folder; pictures
 *     are authored at #IMAGE_SCALE pixels a unit.
 *   - sdl12-compat gives an OpenGL display an accumulation buffer only with
 *     its OpenGL scaling off, and reads that setting when SDL starts; so as
 *     the program is loaded the library sets SDL12COMPAT_OPENGL_SCALING=0 in
 *     the environment, unless the user set it.
 *
 * Usable from C and C++. Link with the shared library (CMake:
 * `find_package(VantorImage CONFIG)` and `Vantor::image`; pkg-config:
 * `vantor-image`) or the static one (`Vantor::image-static`;
 * `pkg-config --static vantor-image`).
 */
#ifndef VANTOR_IMAGE_H
#define VANTOR_IMAGE_H

#include <SDL.h>

/**
 * Marks the library's public names: exported from the shared library, which
 * hides everything else. Users of a static library define
 * VANTOR_IMAGE_STATIC (CMake's Vantor::image-static does), which leaves it
 * empty; that matters on Windows, where a DLL's names are imported.
 */
#if defined(VANTOR_IMAGE_STATIC)
#define VANTOR_IMAGE_API
#elif defined(_WIN32)
#if defined(VANTOR_IMAGE_BUILD)
#define VANTOR_IMAGE_API __declspec(dllexport)
#else
#define VANTOR_IMAGE_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define VANTOR_IMAGE_API __attribute__((visibility("default")))
#else
#define VANTOR_IMAGE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Picture pixels per canvas unit that pictures are authored for; such
   pictures are reduced exactly to the screen's pixels per unit. */
#define IMAGE_SCALE 64

/** The back-ends ImageInit can open. */
typedef enum backend_id {
    BACKEND_GL = 0, /**< OpenGL */
    BACKEND_SDL = 1 /**< SDL software surfaces */
} backend_id;

/** One selectable item of a menu page: a bar one unit high at whole-unit
   column x, row y, `width` units wide, labelled with `text` (printable
   ASCII). ImageMenu returns `return_code` when the item is chosen; by
   convention code 0 is the page's way back and Escape chooses it. */
typedef struct menuitem {
    int x;            /**< column of the bar's left end, in whole units */
    int y;            /**< row of the bar */
    int width;        /**< length of the bar, in units */
    const char *text; /**< label (printable ASCII) */
    int return_code;  /**< what ImageMenu returns when the item is chosen */
} menuitem;

/** A picture loaded by ImageLoad, owned by the caller, released by ImageFree.
   Zero-filled means "not loaded": drawing it draws nothing and fails. */
typedef union image {
    struct {
        int width;         /**< width on the canvas, in units */
        int height;        /**< height on the canvas, in units */
        int alpha;         /**< loaded with its alpha channel: drawn blended */
        float texwidth;    /**< part of the texture's width the picture covers */
        float texheight;   /**< part of the texture's height the picture covers */
        unsigned int name; /**< OpenGL texture name */
    } tex;                 /**< OpenGL back-end */
    SDL_Surface *surfp;    /**< SDL back-end: a surface in the display's format */
} image;

/*
 * The table of back-end operations: bound by ImageInit to the OpenGL or the
 * SDL implementation, null before the first ImageInit. From the start of an
 * ImageInit that fails, every entry fails with the message "No display is
 * open" (TextWidth gives 0) instead of drawing on a display that may be gone.
 */

/** Clears the whole window, margins included, to black. */
extern VANTOR_IMAGE_API int (*ImageClear)(void);
/** Paints black what lies outside the canvas; -1 where the back-end cannot. */
extern VANTOR_IMAGE_API int (*ImageClearBorder)(void);
/** Pans the picture by (x, y) 64ths of a unit; -1 where the back-end cannot. */
extern VANTOR_IMAGE_API int (*ImagePan)(int x, int y);
/** Fills width x height whole units with the top-left corner at (x, y). */
extern VANTOR_IMAGE_API int (*ImageRect)(int x, int y, int width, int height, Uint32 col);
/** The same in fractional units. */
extern VANTOR_IMAGE_API int (*ImageRectFrac)(float x, float y, float width, float height,
                                             Uint32 col);
/** Loads a PNG file for a place of width x height units (0 and 0 keep the
   file's own size); alpha non-zero keeps its transparency. Pictures drawn at
   64 pixels a unit are reduced exactly to the screen's scale. Files larger
   than 16384 pixels a side, or than 256 MiB once decoded, are refused. */
extern VANTOR_IMAGE_API int (*ImageLoad)(image *imgp, const char *filename, int width, int height,
                                         int alpha);
/** Draws a loaded picture with its top-left corner at (x, y). */
extern VANTOR_IMAGE_API int (*ImageDraw)(const image *imgp, float x, float y);
/** Releases a loaded picture; the record itself is left as it is. */
extern VANTOR_IMAGE_API int (*ImageFree)(image *imgp);
/** Presents the frame with the library's overlays (help screen, frame rate,
   status line and, in OpenGL, the gamma sample) and takes a screenshot when
   one was asked for. The SDL back-end puts on the window only the pixels
   that differ from the frame it presented last (nothing when none does), and
   the whole frame after a new video mode or an expose seen by
   ImageWaitEvent, so a caller that draws only through the library always
   sees the whole frame. */
extern VANTOR_IMAGE_API int (*ImageUpdate)(void);
/** Width of a text in units. */
extern VANTOR_IMAGE_API float (*TextWidth)(const char *text);
/** Text starting at x; y is the top of the line. */
extern VANTOR_IMAGE_API int (*TextL)(float x, float y, const char *text, Uint32 col);
/** Text centred on x; y is the top of the line. */
extern VANTOR_IMAGE_API int (*TextC)(float x, float y, const char *text, Uint32 col);
/** Text ending at x; y is the top of the line. */
extern VANTOR_IMAGE_API int (*TextR)(float x, float y, const char *text, Uint32 col);

/*
 * Plain operations.
 */

/* The bits of ImageInit's `flags` (and of the settings file's flags word). */
/** A full-screen display rather than a window. */
#define IMAGE_FULLSCREEN 1
/** Ask OpenGL for an accumulation buffer. */
#define IMAGE_ACCUM 2
/** Correct colours in software and leave the display's gamma ramp alone. */
#define IMAGE_SOFTWARE_GAMMA 4

/** The narrowest display ImageInit opens, in pixels: one pixel a canvas unit. */
#define IMAGE_MIN_WIDTH 40
/** The lowest display ImageInit opens, in pixels: one pixel a canvas unit. */
#define IMAGE_MIN_HEIGHT 25

/** A display to open: the record ImageInitConfig takes. Its fields are in
   the order of the setup program's settings line ("0 800 600 1 0 2 22 22 22"
   are the defaults), so a game that reads that line can fill it in order. */
typedef struct image_config {
    int backend; /**< a backend_id: BACKEND_GL or BACKEND_SDL */
    int width;   /**< display width in pixels, at least IMAGE_MIN_WIDTH */
    int height;  /**< display height in pixels, at least IMAGE_MIN_HEIGHT */
    int flags;   /**< IMAGE_FULLSCREEN, IMAGE_ACCUM, IMAGE_SOFTWARE_GAMMA; other bits are ignored */
    int antialias; /**< non-zero: antialiasing on (OpenGL; see image_gl) */
    int samples;   /**< supersampling samples per pixel, clamped to 2..64 */
    int gamma_r;   /**< red gamma in tenths (22 means 2.2), clamped to 1..50 */
    int gamma_g;   /**< green gamma in tenths */
    int gamma_b;   /**< blue gamma in tenths */
} image_config;

/** Opens the display that `config` describes and binds the table. Returns 0,
   or -1 with ImageError() set (a null `config` included). The display may be
   opened again with another record; after a failure nothing draws until a
   call succeeds. */
VANTOR_IMAGE_API int ImageInitConfig(const image_config *config);

/** ImageInitConfig with the record's fields as arguments, `flags` last: kept
   for the callers written before the record. */
VANTOR_IMAGE_API int ImageInit(int backend_opt, int width, int height, int antialias, int samples,
                               int rgam, int ggam, int bgam, int flags);

/** Writes up to n distinct display sizes (width, height) that the display
   offers for a back-end and screen mode (IMAGE_FULLSCREEN in flags), in the
   display's order; returns how many. 0 when the display offers none or allows any size. */
VANTOR_IMAGE_API int ImageModes(int backend, int flags, int resolutions[][2], int n);

/** Runs a menu page until an item is chosen and returns its code. draw_fn
   draws the whole page under the items (clearing the screen first); it is
   called at every redraw: after input or an expose, and at the ticks when
   ImageFrameDue says a frame is due (so a page that changes with time is
   drawn anew every 64 ms; but see ImageStillPages). `selected` is the item
   highlighted first. Returns -1 when waiting for input fails. A quit request
   ends the process (status 0).
   `items` may be null only with num_items 0: such a page returns 0 on Return,
   Space, Escape or a click. */
VANTOR_IMAGE_API int ImageMenu(void (*draw_fn)(void), int num_items, const menuitem *items,
                               int selected);

/** ImageMenu for a page with state of its own: draw_fn is called with
   `context`, whatever the caller passes (the page's record, say), so that the
   page needs no global variables. */
VANTOR_IMAGE_API int ImageMenuWith(void (*draw_fn)(void *context), void *context, int num_items,
                                   const menuitem *items, int selected);

/** Waits for the next event the library does not answer itself. Ticks of the
   10 ms timer arrive as SDL_USEREVENT. Gamepad input comes as the keys it
   stands for, then as itself (see ImagePadKeys). 1 with an event, 0 when
   waiting fails. */
VANTOR_IMAGE_API int ImageWaitEvent(SDL_Event *eventp);

/** Whether a page that waits for input should draw and present a frame at
   this tick: 1 when the animation clock has entered a new step (one every
   64 ms: ImageFlash's pulse and a cursor blinking at multiples of 64 ms move
   then), when something the library draws over frames changed (the help
   screen or the gamma sample switched, a status message set or run out, a
   screenshot asked for), when ImageWaitEvent saw the window exposed or
   restored, and at every tick while the frame rate is shown; else 0.
   ImageUpdate resets it. ImageMenu draws only then; a page with a loop of
   its own does the same, so that an open page costs almost nothing. */
VANTOR_IMAGE_API int ImageFrameDue(void);

/** Whether the menus' pages are still: their draw_fn draws the same picture
   until input comes. Then, between inputs, ImageMenu and ImageMenuWith draw
   the flashing bar alone at each step of its pulse, without calling draw_fn,
   and compare and present only that bar, so that an open page costs little
   even in a large window. The whole page is drawn as before after input, an
   expose or a restore, and while the help screen, the frame rate, the gamma
   sample or a status message is shown. Only where the display keeps the
   frame last presented (the SDL back-end on a software surface); elsewhere
   every frame is drawn whole. Off from the start: a page whose draw_fn
   changes with time (a countdown, an animation) keeps it off.

   `on`: positive turns it on, 0 off, negative (-1) only asks. Returns the
   setting now in force: 1 or 0. */
VANTOR_IMAGE_API int ImageStillPages(int on);

/** Whether ImageWaitEvent turns gamepad input into keys, as it does from the
   start, so that the menus and a game's own key handling answer a pad:
     - hat 0, and the left stick (axes 0 and 1) pushed past half its travel,
       are the arrow keys; of two directions at once, the vertical one;
     - button 0 (A) and button 7 (Start) are Return, button 1 (B) is Escape;
       other buttons stand for no key.
   Each pad event comes as the SDL_KEYDOWN it stands for (SDL_KEYUP as the
   direction or button is let go; sym set, no modifiers, no unicode), then
   as the joystick event itself. A held direction repeats its SDL_KEYDOWN as
   a held key does (after 500 ms, then every 30 ms). Events count whichever
   pad sent them, one the library opened or not. A game that reads the pads
   itself calls ImagePadKeys(0): from then on their events come alone, as SDL
   gives them, and ImageMenu no longer answers the pad.

   ImageInit opens the pads present when SDL's joystick subsystem runs
   (SDL_INIT_JOYSTICK) and turns their events on; SDL 1.2 sees only the pads
   present when it starts.

   `on`: positive turns the keys on, 0 off, negative (-1) only asks. Returns
   the setting now in force: 1 or 0. */
VANTOR_IMAGE_API int ImagePadKeys(int on);

/** Puts a message (printf-style, at most 127 characters) on the status line,
   shown for about a second near the bottom of the canvas. A message wider
   than the canvas is wrapped at a space onto a second line above. */
VANTOR_IMAGE_API void ImageStatus(const char *msg, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

/** Draws "Please wait..." in the middle of the canvas (does not present). */
VANTOR_IMAGE_API void ImagePleaseWait(void);

/** The message of the last failure; null before any failure. The library
   writes each failure's message as it happens, as the line "Vantor: <message>"
   on the standard error stream. The text lives in the library's own storage,
   which the next failure overwrites. */
VANTOR_IMAGE_API const char *ImageError(void);

/** The colour pulsing over time between itself and three times its brightness. */
VANTOR_IMAGE_API Uint32 ImageFlash(Uint32 col);

/** A canvas x in units to a window column in pixels, pan included. */
VANTOR_IMAGE_API int ImageX(float x);
/** A canvas y in units to a window row in pixels, pan included. */
VANTOR_IMAGE_API int ImageY(float y);
/** A window column in pixels to a canvas x in units, pan ignored. */
VANTOR_IMAGE_API float ImageGetX(int x);
/** A window row in pixels to a canvas y in units, pan ignored. */
VANTOR_IMAGE_API float ImageGetY(int y);

/** A thin line through the middle of a row of `width` cells from (x, y):
   ImageRectFrac's result. */
VANTOR_IMAGE_API int ImageHorizLine(int x, int y, int width, Uint32 col);
/** A thin line through the middle of a column of `height` cells from (x, y):
   ImageRectFrac's result. */
VANTOR_IMAGE_API int ImageVertLine(int x, int y, int height, Uint32 col);

/** Gamma-corrects a float colour (red, green, blue, alpha in 0..1). Returns
   either cols itself or a pointer to storage that the next call overwrites. */
VANTOR_IMAGE_API const float *ImageGamma(const float *cols);

/*
 * The OpenGL back-end's record: what the context was granted, and the
 * antialiasing settings that the library's keys switch (F5 antialias and, without
 * glBlendColor, accum; F6 and Shift F6 samples; F7 accum) for the caller's own
 * antialiasing. The library draws without them.
 */

/** The calling convention of OpenGL entry points on this platform. */
#if defined(_WIN32) && !defined(_WIN64)
#define IMAGE_GLAPIENTRY __stdcall
#else
#define IMAGE_GLAPIENTRY
#endif

/** The OpenGL back-end's record (see ImageGLState). */
typedef struct image_gl {
    int antialias;  /**< antialiasing switched on */
    int accum;      /**< antialias with the accumulation buffer rather than a blend colour */
    int have_accum; /**< the context has an accumulation buffer */
    int samples;    /**< supersampling samples per pixel, 2..64 */
    int rescale;    /**< the capability that rescales normals: GL_RESCALE_NORMAL_EXT
                       (0x803A) where supported, else GL_NORMALIZE (0x0BA1) */
    /** glBlendColor; null without GL_ARB_imaging */
    void(IMAGE_GLAPIENTRY *glBlendColorp)(float red, float green, float blue, float alpha);
    /** glDrawRangeElements; null before OpenGL 1.2 */
    void(IMAGE_GLAPIENTRY *glDrawRangeElementsp)(unsigned int mode, unsigned int start,
                                                 unsigned int end, int count, unsigned int type,
                                                 const void *indices);
} image_gl;

/** The OpenGL back-end's record, kept up to date as the keys switch it; null
   unless ImageInit opened the OpenGL back-end. */
VANTOR_IMAGE_API const image_gl *ImageGLState(void);

#ifdef __cplusplus
}
#endif

#endif /* VANTOR_IMAGE_H */
