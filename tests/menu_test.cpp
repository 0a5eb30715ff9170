// The menu widget event by event, on the gamma page's items at 15 pixels a unit.

#include "display.h"

using vimage::menu_action;

namespace {

// clang-format off
const menuitem items[] = {
    {7, 16, 6, "Red", 1}, {17, 16, 6, "Green", 2}, {27, 16, 6, "Blue", 3}, {17, 19, 6, "All", 4},
    {12, 21, 6, "Darker", 5}, {22, 21, 6, "Lighter", 6}, {10, 23, 20, "Return", 0}};
// clang-format on

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
        vimage::menu_state m;
        m.selected = selected;
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
