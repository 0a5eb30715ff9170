// The menu widget's behaviour, event by event, and a whole ImageMenu call
// driven through SDL's queue.

#include "display.h"

#include <array>

using vimage::menu_action;

namespace {

// clang-format off
constexpr std::array<menuitem, 7> gamma_items{{
    {7, 16, 6, "Red", 1}, {17, 16, 6, "Green", 2}, {27, 16, 6, "Blue", 3}, {17, 19, 6, "All", 4},
    {12, 21, 6, "Darker", 5}, {22, 21, 6, "Lighter", 6}, {10, 23, 20, "Return", 0}}};
constexpr std::array<menuitem, 3> no_way_back{
    {{10, 7, 20, "640x480", 1}, {10, 8, 20, "800x600", 2}, {10, 9, 20, "Other...", -1}}};
// clang-format on

// A mouse event at the pixel centre of canvas cell (column, row), at 15
// pixels a unit.
SDL_Event Mouse(Uint8 type, int column, int row)
{
    SDL_Event ev = OfType(type);
    if (type == SDL_MOUSEMOTION) {
        ev.motion.x = static_cast<Uint16>(column * 15 + 7);
        ev.motion.y = static_cast<Uint16>(row * 15 + 7);
    } else {
        ev.button.button = SDL_BUTTON_LEFT;
        ev.button.x = static_cast<Uint16>(column * 15 + 7);
        ev.button.y = static_cast<Uint16>(row * 15 + 7);
    }
    return ev;
}

constexpr Uint8 DOWN = SDL_MOUSEBUTTONDOWN, UP = SDL_MOUSEBUTTONUP, MOVE = SDL_MOUSEMOTION;

class Menu : public ::testing::Test {
  protected:
    void SetUp() override { vimage::canvas = vimage::CanvasFor(600, 375); }
    vimage::menu_outcome React(const SDL_Event &ev)
    {
        return vimage::MenuReact(m, ev, static_cast<int>(gamma_items.size()), gamma_items.data());
    }
    menu_action Act(const SDL_Event &ev) { return React(ev).action; }
    int Chosen(const SDL_Event &ev)
    {
        const auto out = React(ev);
        return out.action == menu_action::choose ? out.code : -99;
    }
    vimage::menu_state m;
};

} // namespace

TEST_F(Menu, ArrowsStepThroughTheArrayAndStopAtItsEnds)
{
    EXPECT_EQ(Act(KeyEvent(SDLK_UP)), menu_action::redraw);
    EXPECT_EQ(m.selected, 0);
    React(KeyEvent(SDLK_DOWN));
    React(KeyEvent(SDLK_RIGHT));
    EXPECT_EQ(m.selected, 2);
    React(KeyEvent(SDLK_LEFT));
    EXPECT_EQ(m.selected, 1);
    m.selected = 6;
    React(KeyEvent(SDLK_DOWN));
    EXPECT_EQ(m.selected, 6);
    m.selected = -2; // nothing highlighted: Down reaches -1, then the first item
    React(KeyEvent(SDLK_DOWN));
    EXPECT_EQ(m.selected, -1);
    React(KeyEvent(SDLK_DOWN));
    EXPECT_EQ(m.selected, 0);
}

TEST_F(Menu, KeysThatChoose)
{
    m.selected = 4;
    EXPECT_EQ(Chosen(KeyEvent(SDLK_RETURN)), 5);
    m.selected = 6;
    EXPECT_EQ(Chosen(KeyEvent(SDLK_SPACE)), 0);
    // With no item highlighted there is nothing to choose.
    for (int outside : {-2, 7}) {
        m.selected = outside;
        EXPECT_EQ(Act(KeyEvent(SDLK_RETURN)), menu_action::redraw);
        EXPECT_EQ(Act(KeyEvent(SDLK_SPACE)), menu_action::redraw);
    }
    // Initials choose the first match and leave the highlight.
    m.selected = 3;
    EXPECT_EQ(Chosen(KeyEvent(SDLK_r)), 1); // "Red", never "Return"
    EXPECT_EQ(Chosen(KeyEvent(SDLK_l)), 6);
    EXPECT_EQ(m.selected, 3);
    EXPECT_EQ(Act(KeyEvent(SDLK_x)), menu_action::redraw);
    EXPECT_EQ(Act(KeyEvent(SDLK_F2)), menu_action::redraw);
    vimage::menu_state sizes;
    EXPECT_EQ(vimage::MenuReact(sizes, KeyEvent(SDLK_8), 3, no_way_back.data()).code, 2);
    // Escape chooses the item of code 0, where there is one.
    m.selected = 2;
    EXPECT_EQ(Chosen(KeyEvent(SDLK_ESCAPE)), 0);
    EXPECT_EQ(vimage::MenuReact(sizes, KeyEvent(SDLK_ESCAPE), 3, no_way_back.data()).action,
              menu_action::redraw);
}

TEST_F(Menu, PressDragAndRelease)
{
    EXPECT_EQ(Act(Mouse(DOWN, 28, 16)), menu_action::redraw); // "Blue"
    EXPECT_EQ(m.selected, 2);
    EXPECT_EQ(Act(Mouse(MOVE, 29, 16)), menu_action::wait); // the same item
    EXPECT_EQ(Act(Mouse(MOVE, 18, 19)), menu_action::redraw);
    EXPECT_EQ(Act(Mouse(MOVE, 0, 0)), menu_action::wait); // beside every item
    EXPECT_EQ(m.selected, 3);
    EXPECT_EQ(Chosen(Mouse(UP, 18, 19)), 4);
    EXPECT_EQ(m.tracking_mouse, 0);
    // Released beside the items: nothing chosen.
    React(Mouse(DOWN, 8, 16));
    EXPECT_EQ(Act(Mouse(UP, 0, 0)), menu_action::wait);
    EXPECT_EQ(m.tracking_mouse, 0);
    // Without a pressed button, motion and release change nothing.
    EXPECT_EQ(Act(Mouse(MOVE, 18, 19)), menu_action::wait);
    EXPECT_EQ(Act(Mouse(UP, 18, 19)), menu_action::wait);
    EXPECT_EQ(m.selected, 0);
    // A press beside every item waits without tracking.
    EXPECT_EQ(Act(Mouse(DOWN, 0, 0)), menu_action::wait);
    EXPECT_EQ(m.tracking_mouse, 0);
}

TEST_F(Menu, APageWithoutItemsWaitsForAnyChoice)
{
    for (SDL_Event ev :
         {KeyEvent(SDLK_RETURN), KeyEvent(SDLK_SPACE), KeyEvent(SDLK_ESCAPE), Mouse(DOWN, 1, 1)}) {
        const auto out = vimage::MenuReact(m, ev, 0, nullptr);
        EXPECT_EQ(out.action, menu_action::choose);
        EXPECT_EQ(out.code, 0);
    }
    EXPECT_EQ(vimage::MenuReact(m, KeyEvent(SDLK_a), 0, nullptr).action, menu_action::redraw);
}

TEST(MenuHitTest, CellsRoundDownAndEarlierItemsWin)
{
    vimage::canvas = vimage::CanvasFor(800, 600); // 50-pixel bands above and below
    const menuitem items[] = {{0, 0, 5, "A", 1}, {2, 0, 5, "B", 2}};
    EXPECT_EQ(vimage::MenuItem(2, items, 50, 50), 0);
    EXPECT_EQ(vimage::MenuItem(2, items, 110, 50), 1);
    EXPECT_EQ(vimage::MenuItem(2, items, 50, 49), -1); // -0.05 units is row -1
    EXPECT_EQ(vimage::MenuItem(2, items, 50, 30), -1); // -1.0 units is row -1
    EXPECT_EQ(vimage::MenuItem(2, items, 50, 70), -1); // row 1
    EXPECT_EQ(vimage::MenuItem(0, items, 50, 50), -1);
    EXPECT_EQ(vimage::MenuItem(2, nullptr, 50, 50), -1);
}

namespace {
int draws = 0;
void CountDraws()
{
    ++draws;
    ImageClear();
}
} // namespace

TEST(ImageMenu, RunsUntilAnItemIsChosen)
{
    OpenDisplay();
    for (SDLKey sym : {SDLK_DOWN, SDLK_DOWN, SDLK_RETURN}) {
        SDL_Event ev = KeyEvent(sym);
        SDL_PushEvent(&ev);
    }
    EXPECT_EQ(ImageMenu(CountDraws, 7, gamma_items.data(), 0), 3);
    EXPECT_GE(draws, 3); // drawn first and after each arrow
    // "Blue" highlighted in its flashing colour; the others in the bar colour.
    EXPECT_EQ(PixelAt(7 * 15, 16 * 15), Corrected(0x19450d));
    EXPECT_NE(PixelAt(27 * 15, 16 * 15), Corrected(0x19450d));
    EXPECT_NE(PixelAt(27 * 15, 16 * 15), 0u);
    // A quit request ends the process.
    EXPECT_EXIT(
        {
            SDL_Event ev = OfType(SDL_QUIT);
            SDL_PushEvent(&ev);
            ImageMenu(CountDraws, 7, gamma_items.data(), 0);
        },
        ::testing::ExitedWithCode(0), "");
}
