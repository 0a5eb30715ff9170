/*
 * example.c - a first program on the Vantor display library.
 *
 * Build it against the installed library with either
 *     cc example.c $(pkg-config --cflags --libs vantor-image)
 * or, in CMake, find_package(VantorImage CONFIG) and Vantor::image.
 *
 * Run it in a folder that holds the game's data: vantor.ttf, the font that
 * ImageInit reads, and logo.png, a picture drawn at 64 pixels a canvas unit
 * (IMAGE_SCALE). Its one argument is the display's settings line, the nine
 * numbers that the setup program saves, in its order:
 *     backend width height flags antialias samples red-gamma green-gamma blue-gamma
 * which are also the fields of ImageInitConfig's record, in order.
 * The environment variable VANTOR_EXAMPLE_FRAMES, when set, ends it after that
 * many frames (the tests use it); otherwise Escape or closing the window does.
 */
#include <vantor/image.h>

#include <stdio.h>
#include <stdlib.h>

enum { MENU_QUIT = 0, MENU_PLAY = 1 };

static image logo;      /* the picture, loaded once */
static long frames;     /* frames drawn so far */
static long max_frames; /* 0: no limit */

/* Counts a frame; with a limit, asks the program to end once it is reached. */
static void CountFrame(void)
{
    if (++frames == max_frames) {
        SDL_Event quit;
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
}

/* The menu page. ImageMenu calls this at every redraw (each timer tick) and
   lays its items over what it draws, so it draws the whole page from a clear
   screen. Colours are 0x00RRGGBB words; the library applies the gamma. */
static void DrawTitlePage(void)
{
    ImageClear();
    ImageRect(0, 0, 40, 25, 0x101830);
    ImageDraw(&logo, 16, 2); /* its top-left corner, in canvas units */
    TextC(20, 7, "Vantor example", 0xffffff);
    TextC(20, 22, "F1 shows the library's own keys", 0x808080);
    CountFrame();
}

/* The "game": a bar sliding across the canvas, one frame per timer tick,
   until Escape goes back to the menu. Returns 0 to go back, -1 to end. */
static int Play(void)
{
    float x = 0;
    SDL_Event event;
    for (;;) {
        ImageClear();
        ImageRectFrac(x, 12, 4, 1, 0xc08020);
        TextL(1, 1, "Escape: back to the menu", 0xffffff);
        ImageUpdate(); /* presents the frame with the library's overlays */
        CountFrame();
        /* ImageWaitEvent answers the library's keys itself (F1 help, F11
           screenshot, the antialiasing keys...) and hands on the rest. */
        for (;;) {
            if (!ImageWaitEvent(&event)) return -1;
            if (event.type == SDL_QUIT) return -1;
            if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) return 0;
            if (event.type == SDL_USEREVENT) break; /* the 10 ms tick: next frame */
        }
        x = x >= 36 ? 0 : x + 0.25f;
    }
}

int main(int argc, char **argv)
{
    /* The settings line: back-end 1 (SDL), a 640 x 400 window, no flags,
       no antialiasing, 4 samples, gamma 2.2 on each channel. */
    const char *settings = argc > 1 ? argv[1] : "1 640 400 0 0 4 22 22 22";
    image_config config;
    const char *limit = getenv("VANTOR_EXAMPLE_FRAMES");
    static const menuitem items[] = {
        {16, 12, 8, "Play", MENU_PLAY},
        {16, 14, 8, "Quit", MENU_QUIT},
    };

    /* The record's fields are in the settings line's order. */
    if (sscanf(settings, "%d %d %d %d %d %d %d %d %d", &config.backend, &config.width,
               &config.height, &config.flags, &config.antialias, &config.samples, &config.gamma_r,
               &config.gamma_g, &config.gamma_b) != 9) {
        fprintf(stderr, "usage: %s 'backend width height flags antialias samples r g b'\n",
                argv[0]);
        return 2;
    }
    max_frames = limit ? atol(limit) : 0;

    /* The library needs SDL's video and timer; it has no shutdown of its own. */
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    /* With the joystick subsystem started, ImageInit opens the gamepads present
       and ImageWaitEvent turns them into keys: the menu works with a pad alone.
       Without it the program still runs, on the keyboard. */
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    atexit(SDL_Quit);
    /* Failures return -1; ImageError() tells why (and it is on stderr too). */
    if (ImageInitConfig(&config) < 0) return 1;
    /* Width and height 0 keep the file's own size: 512 x 256 pixels is 8 x 4
       units. The last argument keeps its transparency. */
    if (ImageLoad(&logo, "logo.png", 0, 0, 1) < 0) return 1;

    /* ImageMenu runs the page until an item is chosen; a quit request (the
       window closed, or the frame limit above) ends the process there. */
    while (ImageMenu(DrawTitlePage, 2, items, 0) == MENU_PLAY) {
        if (Play() < 0) break;
    }
    ImageFree(&logo);
    printf("%ld frames\n", frames);
    return 0;
}
