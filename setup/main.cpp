// main.cpp - the setup program's entry, start-up and end.
//
// Start-up: SDL, the program's own 600 x 375 window (software gamma 2.2), the
// please-wait notice while the settings file and the logo are read, then the
// main page. A first run (no settings file at all) writes the defaults at
// once; when that fails (a read-only folder, a file-size limit) the program
// goes on with them. A file that is there but cannot be read is no first run:
// the program says so on the status line and goes on with the defaults,
// writing nothing until "Save and exit". The logo is optional: without the file the pages go
// without it, silently; a file that cannot be read is reported, and left out too. Every normal end
// returns 0; the quit key and closing the window end the process from inside the library, also with
// 0; a failure the program cannot go on after ends it through Die with status 1. SDL_Quit runs at
// every exit.
//
// The command line (command_line.h) is read before SDL starts: --help,
// --version, --reset and a command-line error end the program there, without
// a window; --config chooses the settings file. Then, before anything else is
// read or written, the program ends when there is no display to open
// (RequireDisplay). The settings read at start-up are the display settings
// known to be good, which "Test display" reverts to.

#include "command_line.h"
#include "pages.h"

#include "platform.h"
#include "runtime.h"
#include "window_scale.h"

#include <cstdio>
#include <cstdlib>

extern "C" int SDL_main(int argc, char *argv[])
{
    const command_line cl = ParseCommandLine(program_id::setup, argc, argv);
    if (const auto status = FollowCommandLine(program_id::setup, cl)) return *status;
    RequireDisplay();
    platform::IgnoreFileSizeLimitSignal(); // a write past the limit fails, it does not kill
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) < 0) Die(SDL_GetError());
    SDL_InitSubSystem(SDL_INIT_JOYSTICK); // gamepads; without them the keys still work
    std::atexit(SDL_Quit);
    SDL_WM_SetCaption("Vantor Setup", "Vantor Setup");

    // BACKEND_SDL, 600 x 375 windowed times the scale (or full screen under
    // gamescope), no antialiasing, gamma 2.2, colours corrected in software.
    const SDL_VideoInfo *desktop = SDL_GetVideoInfo(); // before a window: the desktop's size
    const window_size size = ChooseWindow(
        ScaleInputs(cl.scale, desktop ? desktop->current_w : 0, desktop ? desktop->current_h : 0));
    if (!size.warning.empty()) std::fprintf(stderr, "%s\n", size.warning.c_str());
    const image_config window{
        .backend = BACKEND_SDL,
        .width = size.width,
        .height = size.height,
        .flags = IMAGE_SOFTWARE_GAMMA | (size.fullscreen ? IMAGE_FULLSCREEN : 0),
        .antialias = 0,
        .samples = 2,
        .gamma_r = 22,
        .gamma_g = 22,
        .gamma_b = 22,
    };
    {
        // The window shows the page's pixels as they are: on sdl12-compat, SDL 2's
        // software path copies them to the window, where its default renderer draws
        // every frame with OpenGL (a tenth of a core while the page rests, where the
        // driver renders in software). For this window only: the display test, started
        // later, opens the display as the game does.
        const platform::environment_default software{"SDL_RENDER_DRIVER", "software"};
        const platform::environment_default copied{"SDL_FRAMEBUFFER_ACCELERATION", "0"};
        if (ImageInitConfig(&window) < 0) Die(ImageError());
    }
    ImageStillPages(1); // every page draws the same picture until input comes
    ImageClear();
    ImagePleaseWait();
    ImageUpdate();

    session ses;
    ses.file = LoadSettings(ses.rec);
    using found = platform::file_read::status;
    if (ses.file.state == found::absent && SaveSettings(ses.rec)) { // a first run
        settings written;
        ses.file = LoadSettings(written);
    } else if (ses.file.state == found::refused) { // the defaults, and nothing written
        ImageStatus("%s: %s", status::READ_FAILED, ses.file.reason.c_str());
        std::fprintf(stderr, "Vantor: %s: %s\n", status::READ_FAILED, ses.file.reason.c_str());
    }
    ses.kept = ses.rec;
    ses.logo_loaded =
        !platform::Absent("logo.png") && ImageLoad(&ses.logo, "logo.png", 8, 4, 0) == 0;

    MainMenu(ses);
    return 0;
}
