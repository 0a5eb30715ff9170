// The menu widget's behaviour, event by event, and a whole ImageMenu call
// driven through SDL's queue.

#include "display.h"

#include <array>

using vimage::menu_action;
using vimage::menu_state;
using vimage::MenuReact;

namespace {

constexpr std::array<menuitem, 7> gamma_items{{
    {7, 16, 6, "Red", 1},
    {17, 16, 6, "Green", 2},
    {27, 16, 6, "Blue", 3},
    {17, 19, 6, "All", 4},
    {12, 21, 6, "Darker", 5},
    {22, 21, 6, "Lighter", 6},
    {10, 23, 20, "Return", 0},
}};

constexpr std::array<menuitem, 3> no_way_back{{
    {10, 7, 20, "640x480", 1},
    {10, 8, 20, "800x600", 2},
    {10, 9, 20, "Other...", -1},
}};

SDL_Event Key(SDLKey sym)
{
    SDL_Event ev{};
    ev.type = SDL_KEYDOWN;
    ev.key.keysym.sym = sym;
    return ev;
}

// A button event at the pixel centre of canvas cell (column, row), at 15
// pixels a unit.
SDL_Event Button(Uint8 type, int column, int row)
{
    SDL_Event ev{};
    ev.type = type;
    ev.button.type = type;
    ev.button.button = SDL_BUTTON_LEFT;
    ev.button.x = static_cast<Uint16>(column * 15 + 7);
    ev.button.y = static_cast<Uint16>(row * 15 + 7);
    return ev;
}

SDL_Event Motion(int column, int row)
{
    SDL_Event ev{};
    ev.type = SDL_MOUSEMOTION;
    ev.motion.x = static_cast<Uint16>(column * 15 + 7);
    ev.motion.y = static_cast<Uint16>(row * 15 + 7);
    return ev;
}

class Menu : public ::testing::Test {
  protected:
    void SetUp() override { vimage::canvas = vimage::CanvasFor(600, 375); }

    vimage::menu_outcome React(const SDL_Event &ev)
    {
        return MenuReact(m, ev, static_cast<int>(gamma_items.size()), gamma_items.data());
    }
    menu_state m;
};

} // namespace

TEST_F(Menu, ArrowsStepThroughTheArrayAndStopAtItsEnds)
{
    EXPECT_EQ(React(Key(SDLK_UP)).action, menu_action::redraw);
    EXPECT_EQ(m.selected, 0);
    React(Key(SDLK_DOWN));
    React(Key(SDLK_RIGHT));
    EXPECT_EQ(m.selected, 2);
    React(Key(SDLK_LEFT));
    EXPECT_EQ(m.selected, 1);
    m.selected = 6;
    EXPECT_EQ(React(Key(SDLK_DOWN)).action, menu_action::redraw);
    EXPECT_EQ(m.selected, 6);
    m.selected = -2; // nothing highlighted: Down reaches -1, then the first item
    React(Key(SDLK_DOWN));
    EXPECT_EQ(m.selected, -1);
    React(Key(SDLK_DOWN));
    EXPECT_EQ(m.selected, 0);
}

TEST_F(Menu, ReturnAndSpaceChooseTheHighlightedItem)
{
    m.selected = 4;
    auto out = React(Key(SDLK_RETURN));
    EXPECT_EQ(out.action, menu_action::choose);
    EXPECT_EQ(out.code, 5);
    m.selected = 6;
    EXPECT_EQ(React(Key(SDLK_SPACE)).code, 0);
    // With no item highlighted there is nothing to choose.
    m.selected = -2;
    EXPECT_EQ(React(Key(SDLK_RETURN)).action, menu_action::redraw);
    m.selected = 7;
    EXPECT_EQ(React(Key(SDLK_SPACE)).action, menu_action::redraw);
}

TEST_F(Menu, InitialsChooseTheFirstMatchWithoutMovingTheHighlight)
{
    m.selected = 3;
    auto out = React(Key(SDLK_r));
    EXPECT_EQ(out.action, menu_action::choose);
    EXPECT_EQ(out.code, 1); // "Red", never "Return"
    EXPECT_EQ(React(Key(SDLK_l)).code, 6);
    EXPECT_EQ(React(Key(SDLK_d)).code, 5);
    EXPECT_EQ(m.selected, 3);
    EXPECT_EQ(React(Key(SDLK_x)).action, menu_action::redraw);
    EXPECT_EQ(React(Key(SDLK_F2)).action, menu_action::redraw);
    // Digits match labels that begin with them.
    menu_state sizes;
    out = MenuReact(sizes, Key(SDLK_8), 3, no_way_back.data());
    EXPECT_EQ(out.code, 2);
}

TEST_F(Menu, EscapeChoosesTheWayBackWhereThereIsOne)
{
    m.selected = 2;
    auto out = React(Key(SDLK_ESCAPE));
    EXPECT_EQ(out.action, menu_action::choose);
    EXPECT_EQ(out.code, 0);
    menu_state other;
    EXPECT_EQ(MenuReact(other, Key(SDLK_ESCAPE), 3, no_way_back.data()).action,
              menu_action::redraw);
}

TEST_F(Menu, PressDragAndRelease)
{
    // Press on "Blue" highlights it, a drag onto "All" follows, release chooses.
    EXPECT_EQ(React(Button(SDL_MOUSEBUTTONDOWN, 28, 16)).action, menu_action::redraw);
    EXPECT_EQ(m.selected, 2);
    EXPECT_EQ(React(Motion(29, 16)).action, menu_action::wait); // same item
    EXPECT_EQ(React(Motion(18, 19)).action, menu_action::redraw);
    EXPECT_EQ(m.selected, 3);
    EXPECT_EQ(React(Motion(0, 0)).action, menu_action::wait); // beside every item
    EXPECT_EQ(m.selected, 3);
    auto out = React(Button(SDL_MOUSEBUTTONUP, 18, 19));
    EXPECT_EQ(out.action, menu_action::choose);
    EXPECT_EQ(out.code, 4);
    EXPECT_EQ(m.tracking_mouse, 0);
}

TEST_F(Menu, ReleasingBesideTheItemsChoosesNothing)
{
    React(Button(SDL_MOUSEBUTTONDOWN, 8, 16));
    EXPECT_EQ(React(Button(SDL_MOUSEBUTTONUP, 0, 0)).action, menu_action::wait);
    EXPECT_EQ(m.tracking_mouse, 0);
    EXPECT_EQ(m.selected, 0);
    // Without a pressed button, motion and release change nothing.
    EXPECT_EQ(React(Motion(18, 19)).action, menu_action::wait);
    EXPECT_EQ(React(Button(SDL_MOUSEBUTTONUP, 18, 19)).action, menu_action::wait);
    EXPECT_EQ(m.selected, 0);
    // A press beside every item waits without tracking.
    EXPECT_EQ(React(Button(SDL_MOUSEBUTTONDOWN, 0, 0)).action, menu_action::wait);
    EXPECT_EQ(m.tracking_mouse, 0);
}

TEST_F(Menu, APageWithoutItemsWaitsForAnyChoice)
{
    menu_state page;
    for (SDLKey sym : {SDLK_RETURN, SDLK_SPACE, SDLK_ESCAPE})
        EXPECT_EQ(MenuReact(page, Key(sym), 0, nullptr).action, menu_action::choose);
    EXPECT_EQ(MenuReact(page, Button(SDL_MOUSEBUTTONDOWN, 1, 1), 0, nullptr).code, 0);
    EXPECT_EQ(MenuReact(page, Key(SDLK_a), 0, nullptr).action, menu_action::redraw);
}

TEST(MenuHitTest, CellsTruncateTowardZeroAndEarlierItemsWin)
{
    vimage::canvas = vimage::CanvasFor(800, 600); // 50-pixel bands above and below
    const menuitem overlapping[] = {{0, 0, 5, "A", 1}, {2, 0, 5, "B", 2}};
    EXPECT_EQ(vimage::MenuItem(2, overlapping, 50, 50), 0);
    EXPECT_EQ(vimage::MenuItem(2, overlapping, 110, 50), 1);
    EXPECT_EQ(vimage::MenuItem(2, overlapping, 50, 49), 0);  // -0.05 units counts as row 0
    EXPECT_EQ(vimage::MenuItem(2, overlapping, 50, 31), 0);  // and -0.95 units
    EXPECT_EQ(vimage::MenuItem(2, overlapping, 50, 30), -1); // -1.0 units is row -1
    EXPECT_EQ(vimage::MenuItem(2, overlapping, 50, 70), -1); // row 1
    EXPECT_EQ(vimage::MenuItem(0, overlapping, 50, 50), -1);
    EXPECT_EQ(vimage::MenuItem(2, nullptr, 50, 50), -1);
}

// A whole ImageMenu call, with its input pushed into SDL's queue.
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
    SDL_Event ev = Key(SDLK_DOWN);
    SDL_PushEvent(&ev);
    ev = Key(SDLK_DOWN);
    SDL_PushEvent(&ev);
    ev = Key(SDLK_RETURN);
    SDL_PushEvent(&ev);
    EXPECT_EQ(ImageMenu(CountDraws, 7, gamma_items.data(), 0), 3);
    EXPECT_GE(draws, 3); // drawn first and after each arrow
    // The last frame has "Blue" highlighted in its flashing colour; the others
    // keep the plain bar colour.
    EXPECT_EQ(PixelAt(7 * 15, 16 * 15), Corrected(0x19450d));
    EXPECT_NE(PixelAt(27 * 15, 16 * 15), Corrected(0x19450d));
    EXPECT_NE(PixelAt(27 * 15, 16 * 15), 0u);
}

TEST(ImageMenu, AQuitRequestEndsTheProcess)
{
    OpenDisplay();
    EXPECT_EXIT(
        {
            SDL_Event ev{};
            ev.type = SDL_QUIT;
            SDL_PushEvent(&ev);
            ImageMenu(CountDraws, 7, gamma_items.data(), 0);
        },
        ::testing::ExitedWithCode(0), "");
}
