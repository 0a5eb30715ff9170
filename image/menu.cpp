// menu.cpp - the menu widget.
//
// ImageMenu is a modal page of selectable bars: the caller draws the page, the
// widget lays its items over it with the highlighted one flashing, and returns
// the code of the item chosen:
//   - Up/Left and Down/Right step the highlight through the array's order;
//   - Return or Space choose the highlighted item;
//   - Escape chooses code 0, the page's way back, when some item has it;
//   - a letter or digit chooses the first item whose label begins with it
//     (lower-case letters also match upper-case initials);
//   - the mouse highlights on press, follows the drag, chooses on release.
// The page is redrawn after input, after an expose, and at the ticks of the
// library's timer when ImageFrameDue says a frame is due (once a step of the
// animation clock, which animates the flash); between them the open page
// costs next to nothing. A still page (ImageStillPages) has its flash drawn
// alone at those ticks, over the frame the display keeps.
//
// MenuReact is the widget's behaviour without drawing, so it can be tested
// event by event; ImageMenu adds the drawing and the waiting.
//
// Depends on: the back-end table, events.cpp, canvas.cpp.

#include "image_internal.h"

#include <cmath>
#include <cstdlib>

namespace vimage {

constexpr Uint32 BAR = 0x19450d;
constexpr Uint32 BAR_SELECTED = 0x290b3e; // flashed
constexpr Uint32 LABEL = 0x000000;
constexpr Uint32 LABEL_SELECTED = 0xffffff;

int MenuItem(int num_items, const menuitem *items, int x, int y)
{
    // Down to whole cells: a point in the margin left of or above the canvas
    // is in column or row -1 or less, never in 0.
    const int column = static_cast<int>(std::floor(ImageGetX(x)));
    const int row = static_cast<int>(std::floor(ImageGetY(y)));
    if (num_items <= 0 || !items) return -1;
    for (int i = 0; i < num_items; ++i) {
        const menuitem &item = items[i];
        if (item.y == row && item.x <= column && column < item.x + item.width) return i;
    }
    return -1;
}

// The first item whose label begins with the key's character, or -1.
static int ItemByInitial(int num_items, const menuitem *items, int sym)
{
    if (sym <= 0 || sym > 255) return -1;
    const int upper = sym >= 'a' && sym <= 'z' ? sym - 'a' + 'A' : sym;
    for (int i = 0; i < num_items; ++i) {
        const char *text = items[i].text;
        if (!text) continue;
        const int first = static_cast<unsigned char>(text[0]);
        if (first != 0 && (first == sym || first == upper)) return i;
    }
    return -1;
}

static menu_outcome Choose(int code)
{
    return {menu_action::choose, code};
}
constexpr menu_outcome REDRAW{menu_action::redraw, 0};
constexpr menu_outcome WAIT{menu_action::wait, 0};

static menu_outcome KeyReact(menu_state &m, SDLKey sym, int num_items, const menuitem *items)
{
    switch (sym) {
    case SDLK_UP:
    case SDLK_LEFT:
        if (m.selected > 0) --m.selected;
        return REDRAW;
    case SDLK_DOWN:
    case SDLK_RIGHT:
        if (m.selected < num_items - 1) ++m.selected;
        return REDRAW;
    case SDLK_ESCAPE:
        if (!items) return Choose(0);
        for (int i = 0; i < num_items; ++i)
            if (items[i].return_code == 0) return Choose(0);
        return REDRAW;
    case SDLK_RETURN:
    case SDLK_SPACE:
        if (!items) return Choose(0);
        // With no item highlighted there is nothing to choose.
        if (m.selected < 0 || m.selected >= num_items) return REDRAW;
        return Choose(items[m.selected].return_code);
    default: {
        if (!items) return REDRAW;
        const int i = ItemByInitial(num_items, items, sym);
        return i < 0 ? REDRAW : Choose(items[i].return_code);
    }
    }
}

menu_outcome MenuReact(menu_state &m, const SDL_Event &ev, int num_items, const menuitem *items)
{
    switch (ev.type) {
    case SDL_KEYDOWN:
        return KeyReact(m, ev.key.keysym.sym, num_items, items);
    case SDL_MOUSEBUTTONDOWN: {
        if (!items) return Choose(0);
        const int i = MenuItem(num_items, items, ev.button.x, ev.button.y);
        if (i < 0) return WAIT;
        m.tracking_mouse = 1;
        m.selected = i;
        return REDRAW;
    }
    case SDL_MOUSEMOTION: {
        if (!m.tracking_mouse) return WAIT;
        const int i = MenuItem(num_items, items, ev.motion.x, ev.motion.y);
        if (i < 0 || i == m.selected) return WAIT;
        m.selected = i;
        return REDRAW;
    }
    case SDL_MOUSEBUTTONUP: {
        if (!m.tracking_mouse) return WAIT;
        m.tracking_mouse = 0;
        const int i = MenuItem(num_items, items, ev.button.x, ev.button.y);
        return i < 0 ? WAIT : Choose(items[i].return_code);
    }
    case SDL_QUIT:
        return {menu_action::quit, 0};
    case SDL_VIDEOEXPOSE:
    case SDL_USEREVENT:
        return REDRAW;
    default:
        return WAIT;
    }
}

static void DrawItem(const menuitem &item, bool sel)
{
    ImageRect(item.x, item.y, item.width, 1, sel ? ImageFlash(BAR_SELECTED) : BAR);
    TextC(static_cast<float>(item.x + (item.width >> 1)), static_cast<float>(item.y),
          item.text ? item.text : "", sel ? LABEL_SELECTED : LABEL);
}

void DrawMenuFrame(void (*draw_fn)(void *), void *context, int num_items, const menuitem *items,
                   int selected)
{
    draw_fn(context);
    for (int i = 0; i < num_items; ++i) DrawItem(items[i], i == selected);
}

static bool still_pages = false; // ImageStillPages

// Whether the frame due now differs from the one on screen by the flash
// alone: a still page, nothing the library draws over frames shown or
// changed, and a display that keeps the frame presented.
static bool FlashAlone()
{
    const overlay_state &o = overlay;
    return still_pages && !pacing.redraw && !pacing.whole && !o.show_help && !o.show_fps &&
           !o.show_gamma && !o.save_screenshot && !o.status[0] && bound->keeps_frame();
}

// The highlighted bar alone, over the frame on screen; the present compares
// that bar alone.
static void DrawFlash(const menuitem &item)
{
    DrawItem(item, true);
    pacing.only = {static_cast<Sint16>(ImageX(static_cast<float>(item.x))),
                   static_cast<Sint16>(ImageY(static_cast<float>(item.y))),
                   static_cast<Uint16>(item.width * canvas.xscale),
                   static_cast<Uint16>(canvas.yscale)};
}

} // namespace vimage

extern "C" int ImageStillPages(int on)
{
    if (on >= 0) vimage::still_pages = on != 0;
    return vimage::still_pages ? 1 : 0;
}

extern "C" int ImageMenu(void (*draw_fn)(void), int num_items, const menuitem *items, int selected)
{
    // The plain draw operation travels as the context of one that takes it.
    using plain_draw = void (*)();
    return ImageMenuWith([](void *fn) { (*static_cast<plain_draw *>(fn))(); }, &draw_fn, num_items,
                         items, selected);
}

extern "C" int ImageMenuWith(void (*draw_fn)(void *), void *context, int num_items,
                             const menuitem *items, int selected)
{
    using namespace vimage;
    if (!items) num_items = 0;
    menu_state m;
    m.selected = selected;
    menu_outcome next = REDRAW;
    bool flash_alone = false; // input, which may move the highlight, redraws the whole page
    for (;;) {
        if (next.action == menu_action::redraw) {
            if (flash_alone)
                DrawFlash(items[m.selected]);
            else
                DrawMenuFrame(draw_fn, context, num_items, items, m.selected);
            ImageUpdate();
        }
        SDL_Event ev;
        if (!ImageWaitEvent(&ev)) return -1;
        next = MenuReact(m, ev, num_items, items);
        flash_alone = false;
        if (ev.type == SDL_USEREVENT) {
            if (!ImageFrameDue()) next = WAIT;
            flash_alone = FlashAlone() && m.selected >= 0 && m.selected < num_items;
        }
        if (next.action == menu_action::choose) return next.code;
        if (next.action == menu_action::quit) std::exit(0);
    }
}
