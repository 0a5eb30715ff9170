// The menu widget event by event, on the gamma page's items at 15 pixels a unit.

#include "display.h"

#include <cstring>

using vimage::menu_action;

namespace {

const menuitem items[] = {{7, 16, 6, "Red", 1},     {17, 16, 6, "Green", 2},
                          {27, 16, 6, "Blue", 3},   {17, 19, 6, "All", 4},
                          {12, 21, 6, "Darker", 5}, {22, 21, 6, "Lighter", 6},
                          {10, 23, 20, "Return", 0}};
// A page of one bar; where it flashes, highlighted, at 600 x 375.
const menuitem bar[] = {{10, 6, 20, "Bar", 1}};
constexpr SDL_Rect FLASH{150, 90, 300, 15};
const auto XYWH = [](SDL_Rect r) { return std::vector<int>({r.x, r.y, r.w, r.h}); };

// A mouse event at the pixel centre of canvas cell (column, row).
SDL_Event Mouse(Uint8 type, int column, int row)
{
    SDL_Event ev = Event(type);
    const auto x = static_cast<Uint16>(column * 15 + 7), y = static_cast<Uint16>(row * 15 + 7);
    if (type == SDL_MOUSEMOTION) ev.motion.x = x, ev.motion.y = y;
    if (type != SDL_MOUSEMOTION)
        ev.button.button = SDL_BUTTON_LEFT, ev.button.x = x, ev.button.y = y;
    return ev;
}

} // namespace

TEST(Menu, EventsStepChooseAndTrack)
{
    vimage::canvas = vimage::CanvasFor(600, 375);
    constexpr auto REDRAW = menu_action::redraw, WAIT = menu_action::wait,
                   CHOOSE = menu_action::choose;
    constexpr Uint8 DOWN = SDL_MOUSEBUTTONDOWN, UP = SDL_MOUSEBUTTONUP, MOVE = SDL_MOUSEMOTION;
    auto key = [](SDLKey sym) { return Event(SDL_KEYDOWN, sym); };
    // Highlight, events; what the last does, the code chosen, the highlight.
    const std::tuple<int, std::vector<SDL_Event>, menu_action, int, int> cases[] = {
        // Down stops at the last item; from outside, it steps toward the first.
        {6, {key(SDLK_DOWN)}, REDRAW, 0, 6},
        {-2, {key(SDLK_DOWN), key(SDLK_DOWN)}, REDRAW, 0, 0},
        // Return and Space choose nothing with no item highlighted.
        {-1, {key(SDLK_RETURN)}, REDRAW, 0, -1},
        {7, {key(SDLK_SPACE)}, REDRAW, 0, 7},
        // The mouse highlights on press, follows the drag, chooses on release.
        {0, {Mouse(DOWN, 28, 16), Mouse(MOVE, 18, 19)}, REDRAW, 0, 3},
        {0, {Mouse(DOWN, 28, 16), Mouse(MOVE, 18, 19), Mouse(MOVE, 0, 0)}, WAIT, 0, 3},
        {0, {Mouse(DOWN, 28, 16), Mouse(MOVE, 18, 19), Mouse(UP, 18, 19)}, CHOOSE, 4, 3},
        {0, {Mouse(DOWN, 8, 16), Mouse(UP, 0, 0), Mouse(UP, 18, 19)}, WAIT, 0, 0},
        {0, {Mouse(MOVE, 18, 19)}, WAIT, 0, 0},
    };
    for (const auto &c : cases) {
        const auto &[selected, events, action, code, selected_after] = c;
        vimage::menu_state m{.selected = selected};
        vimage::menu_outcome out{};
        for (const SDL_Event &ev : events) out = vimage::MenuReact(m, ev, 7, items);
        EXPECT_EQ(std::tuple(out.action, out.action == CHOOSE ? out.code : 0, m.selected),
                  std::tuple(action, code, selected_after))
            << "row " << &c - cases;
    }
    // Without an item of code 0 Escape chooses nothing.
    vimage::menu_state m;
    const menuitem sizes[] = {{10, 7, 20, "640x480", 1}, {10, 8, 20, "800x600", 2}};
    EXPECT_EQ(vimage::MenuReact(m, key(SDLK_ESCAPE), 2, sizes).action, REDRAW);
    // A page without items waits for any choice.
    for (SDL_Event ev : {key(SDLK_RETURN), key(SDLK_SPACE), key(SDLK_ESCAPE), Mouse(DOWN, 1, 1)})
        EXPECT_EQ(vimage::MenuReact(m, ev, 0, nullptr).action, CHOOSE);
    EXPECT_EQ(vimage::MenuReact(m, key(SDLK_a), 0, nullptr).action, REDRAW);
    // Whole cells from the canvas's corner; the earlier of overlapping items wins.
    vimage::canvas = vimage::CanvasFor(800, 600); // 50-pixel bands above and below
    const menuitem overlapping[] = {{0, 0, 5, "A", 1}, {2, 0, 5, "B", 2}};
    // clang-format off
    for (auto [x, y, item] : {std::tuple{50, 50, 0}, {110, 50, 1}, {139, 69, 1}, {140, 50, -1},
             {50, 70, -1}, {50, 49, -1}}) // a pixel into the top margin is row -1
        EXPECT_EQ(vimage::MenuItem(2, overlapping, x, y), item) << x << "," << y;
    // clang-format on
}

// What the window shows of an open menu page: the flash moves once a step, each step puts only
// the bar on the window, and an expose or a restore puts the whole frame there. A still page has
// its flash drawn alone at the steps, the rest of the frame left as presented and the same as the
// whole page drawn anew; not where the page may change, nor under the help.
TEST(Menu, FlashMovesOnceAStepAnExposeShowsTheWholeFrameAStillPageDrawsItsFlashAlone)
{
    Open();
    struct watched {
        Uint8 back = 0;              // the event that shows the window again, at the 5th draw
        std::vector<Uint32> colours; // the bar's centre on the window after each present
        std::vector<SDL_Rect> puts;  // what each present put on the window
        Uint32 start = SDL_GetTicks();
    } w;
    auto draw = [](void *context) {
        auto &ws = *static_cast<watched *>(context);
        const vimage::sdl_shown_frame &shown = vimage::sdl_shown;
        const SDL_Surface *s = SDL_GetVideoSurface();
        if (!shown.pixels.empty()) { // the present before this draw
            Uint32 pixel = 0;
            std::memcpy(&pixel, &shown.pixels[static_cast<size_t>(97 * s->pitch + 160 * 4)], 4);
            ws.colours.push_back(pixel);
            ws.puts.push_back(shown.updated);
        }
        ImageClear();
        SDL_Event back = Event(ws.back), choose = Event(SDL_KEYDOWN, SDLK_RETURN);
        back.active.gain = 1, back.active.state = SDL_APPACTIVE;
        if (ws.puts.size() == 4) SDL_PushEvent(&back);
        if (ws.puts.size() == 6) SDL_PushEvent(&choose);
    };
    for (Uint8 back : {Uint8{SDL_VIDEOEXPOSE}, Uint8{SDL_ACTIVEEVENT}}) {
        w = watched{};
        w.back = back;
        vimage::sdl_shown = {}; // as after a new video mode
        ASSERT_EQ(ImageMenuWith(draw, &w, 1, bar, 0), 1);
        // The first draw, one a step, and the expose's at once.
        const Uint32 steps = (SDL_GetTicks() - w.start) / vimage::ANIMATION_STEP_MS + 3;
        EXPECT_LE(w.puts.size() + 1, steps) << "drawn at ticks within a step";
        for (size_t i = 0; i < w.puts.size(); ++i) {
            const bool whole = i == 0 || i == 5;
            EXPECT_EQ(XYWH(w.puts[i]), whole ? std::vector({0, 0, 600, 375}) : XYWH(FLASH)) << i;
            EXPECT_TRUE(whole || w.colours[i] != w.colours[i - 1]) << i << " " << +back;
        }
    }
    auto still_draw = [](void *draws) {
        ++*static_cast<int *>(draws);
        ImageClear();
        ImageRect(0, 0, 40, 25, 0x406080); // under the label's edges: drawn twice, they would show
    };
    auto choose = [](Uint32, void *) -> Uint32 {
        SDL_Event ev = Event(SDL_KEYDOWN, SDLK_RETURN);
        SDL_PushEvent(&ev);
        return 0;
    };
    for (const auto &[still, help] : {std::pair{1, 0}, {0, 0}, {1, 1}}) {
        EXPECT_EQ(ImageStillPages(still), still);
        vimage::overlay.show_help = help;
        int draws = 0;
        SDL_TimerID timer = SDL_AddTimer(400, choose, nullptr);
        ASSERT_EQ(ImageMenuWith(still_draw, &draws, 1, bar, 0), 1);
        SDL_RemoveTimer(timer);
        EXPECT_EQ(draws == 1, still && !help) << draws << " draws, still " << still;
        if (draws != 1) continue;
        EXPECT_EQ(XYWH(vimage::sdl_shown.updated), XYWH(FLASH));
        auto outside = [](frame f) { // the frame with the bar blanked
            for (int y = FLASH.y; y < FLASH.y + FLASH.h; ++y)
                std::fill_n(f.pixels.begin() + y * f.width + FLASH.x, FLASH.w, 0u);
            return f.pixels;
        };
        const std::vector<Uint32> kept = outside(Frame());
        vimage::DrawMenuFrame(still_draw, &draws, 1, bar, 0);
        EXPECT_TRUE(kept == outside(Frame())) << "outside the bar";
    }
    vimage::overlay.show_help = 0;
    EXPECT_EQ(ImageStillPages(-1), 1);
    ImageStillPages(0);
}

// The rectangle a present puts on the window: the bounding box of the changed pixels.
TEST(Menu, ChangedRectBoundsEveryChangedPixel)
{
    constexpr int W = 5, H = 4, BPP = 3, PITCH = 16; // rows padded past their 15 bytes
    // Changed bytes (row, byte); the rectangle x, y, w, h.
    const std::tuple<std::vector<std::pair<int, int>>, std::vector<int>> cases[] = {
        {{}, {0, 0, 0, 0}},
        {{{0, 0}}, {0, 0, 1, 1}},
        {{{3, 14}}, {4, 3, 1, 1}},
        {{{1, 5}, {2, 7}}, {1, 1, 2, 2}}, // pixel 1's last byte, pixel 2's second
        {{{0, 13}, {3, 1}}, {0, 0, 5, 4}},
    };
    for (const auto &[changed, rect] : cases) {
        std::vector<Uint8> before(size_t{PITCH} * H, 7), now = before;
        for (auto [row, byte] : changed) now[static_cast<size_t>(row * PITCH + byte)] ^= 1;
        now[PITCH - 1] ^= 1; // the padding never counts
        const SDL_Rect r = vimage::ChangedRect(now.data(), before.data(), W, H, PITCH, BPP);
        EXPECT_EQ(XYWH(r), rect) << changed.size();
    }
}
