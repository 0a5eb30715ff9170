// questions.cpp - the pages that ask for one setting each.
//
// A list question offers a few named values and "Cancel"; a numeric entry
// takes a typed number; the display-size choice lists the sizes the display
// offers for the configured back-end and screen mode, with "Other..." leading
// to the width and height entries.
//
// Every question changes only what the user chose: "Cancel", Escape and a
// failed wait leave the record as it was, so values the pages cannot produce
// (from a hand-edited file) survive untouched.

#include "setup.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

const char *menu_title = "";
const char *menu_question = "";

namespace {

// Room for the choices of a list question, and "Cancel".
constexpr int MAX_ITEMS = 20;

// The entry box with the value right-aligned in it and the blinking cursor
// (512 ms on, 512 ms off).
void DrawEntry(int n)
{
    char text[40];
    std::snprintf(text, sizeof text, "%d", n);
    ImageRect(15, 9, 10, 3, palette::BOX);
    TextR(21, 10, text, palette::INK);
    if (SDL_GetTicks() & 512) ImageRectFrac(21, 10.125f, 0.75f, 0.75f, palette::INK);
}

// Replaces bit `bit` (an IMAGE_* flag) of the flags with the answer's:
// answers are 1 for off and 1 + bit for on.
void SetFlag(settings &rec, int bit, int answer)
{
    rec.flags = (rec.flags & ~bit) | ((answer - 1) & bit);
}

} // namespace

const list_question backend_question{"Vantor Back-end",
                                     "Please select a graphics driver:",
                                     {{{"OpenGL", 1}, {"SDL", 2}}},
                                     [](settings &rec, int answer) { rec.backend = answer - 1; }};

const list_question mode_question{
    "Vantor Screen Mode",
    "Please select a screen mode:",
    {{{"Full screen", 1 + IMAGE_FULLSCREEN}, {"Windowed", 1}}},
    [](settings &rec, int answer) { SetFlag(rec, IMAGE_FULLSCREEN, answer); }};

const list_question antialias_question{
    "Vantor Antialiasing",
    "Should antialiasing be turned on?",
    {{{"Yes", 2}, {"No", 1}}},
    [](settings &rec, int answer) { rec.antialias = answer - 1; }};

const list_question accum_question{
    "Vantor Accumulation Buffer",
    "Should Vantor request an accumulation buffer?",
    {{{"Yes", 1 + IMAGE_ACCUM}, {"No", 1}}},
    [](settings &rec, int answer) { SetFlag(rec, IMAGE_ACCUM, answer); }};

void DrawMenu()
{
    DrawPageTop(menu_title);
    TextC(20, 5, menu_question, palette::TEXT);
}

void Menu(const char *title, const char *question, int *np, std::initializer_list<choice> choices)
{
    menu_title = title;
    menu_question = question;
    std::array<menuitem, MAX_ITEMS> items{};
    int count = 0;
    for (const choice &c : choices) {
        if (count == MAX_ITEMS - 1) break;
        items[static_cast<size_t>(count)] = {10, 7 + 2 * count, 20, c.text, c.value};
        ++count;
    }
    items[static_cast<size_t>(count++)] = {10, 23, 20, "Cancel", 0};
    const int result = ImageMenu(DrawMenu, count, items.data(), 0);
    // 0 is "Cancel" or Escape; -1 is a failed wait, never an answer.
    if (result != 0 && result != -1) *np = result;
}

void Ask(const list_question &q)
{
    int answer = 0;
    Menu(q.title, q.question, &answer, {q.choices[0], q.choices[1]});
    if (answer != 0) q.apply(s, answer);
}

entry_step EntryKey(int value, int max, int sym)
{
    switch (sym) {
    case SDLK_RETURN:
        return {entry_state::accepted, value};
    case SDLK_ESCAPE:
        return {entry_state::cancelled, value};
    case SDLK_BACKSPACE:
        return {entry_state::typing, value / 10};
    case SDLK_UP: // a pad's way to a number: steps within 0..max, held they repeat
    case SDLK_DOWN: {
        const long long step = value + (sym == SDLK_UP ? 1LL : -1LL);
        return {entry_state::typing, static_cast<int>(std::clamp(step, 0LL, 0LL + max))};
    }
    default:
        break;
    }
    if (sym < SDLK_0 || sym > SDLK_9) return {entry_state::typing, value};
    // In 64 bits, so that a value near the int limits (from a hand-edited
    // file) followed by a digit cannot overflow.
    const long long candidate = static_cast<long long>(value) * 10 + (sym - SDLK_0);
    if (candidate > max || candidate < std::numeric_limits<int>::min())
        return {entry_state::typing, value};
    return {entry_state::typing, static_cast<int>(candidate)};
}

std::optional<int> ReadNumber(number_draw f, int n, int max, void *p)
{
    f(n, p);
    for (;;) {
        SDL_Event ev;
        if (!ImageWaitEvent(&ev)) Die(ImageError());
        switch (ev.type) {
        case SDL_QUIT:
            std::exit(0);
        case SDL_KEYDOWN: {
            const entry_step step = EntryKey(n, max, ev.key.keysym.sym);
            if (step.state == entry_state::accepted) return step.value;
            if (step.state == entry_state::cancelled) return std::nullopt;
            n = step.value;
            f(n, p);
            break;
        }
        case SDL_VIDEOEXPOSE:
        case SDL_USEREVENT: // the tick: this is what makes the cursor blink
            f(n, p);
            break;
        default:
            break;
        }
    }
}

void ReadResolution(int n, void *p)
{
    const bool height = *static_cast<const int *>(p) != 0;
    DrawPageTop("Vantor Resolution");
    TextC(20, 7, height ? "Please enter the display height:" : "Please enter the display width:",
          palette::TEXT);
    DrawEntry(n);
    ImageUpdate();
}

void ReadSamples(int n, void *)
{
    DrawPageTop("Vantor Supersampling");
    TextC(20, 7, "Please enter the number of samples per pixel (2-64):", palette::TEXT);
    DrawEntry(n);
    ImageUpdate();
}

void ChooseResolution()
{
    // A size the game could not open is stored as the smallest it can.
    constexpr int least[2] = {IMAGE_MIN_WIDTH, IMAGE_MIN_HEIGHT};
    for (int i = 0; i < 2; ++i) {
        int &field = i == 0 ? s.width : s.height;
        if (const std::optional<int> n = ReadNumber(ReadResolution, field, 9999, &i))
            field = std::max(*n, least[i]);
    }
}

void SamplesEntry()
{
    if (const std::optional<int> n = ReadNumber(ReadSamples, s.samples, 64, nullptr))
        s.samples = std::max(*n, 2);
}

size_page::size_page(const int sizes[][2], int n) : count(std::clamp(n, 0, MAX_SIZES))
{
    for (int k = 0; k < count; ++k) {
        const auto at = static_cast<size_t>(k);
        std::snprintf(texts[at].data(), texts[at].size(), "%dx%d", sizes[k][0], sizes[k][1]);
        items[at] = {10, 7 + k, 20, texts[at].data(), k + 1};
    }
    items[static_cast<size_t>(count)] = {10, 7 + count, 20, "Other...", -1};
    items[static_cast<size_t>(count) + 1] = {10, 23, 20, "Cancel", 0};
}

void ResolutionMenu()
{
    int sizes[size_page::MAX_SIZES][2];
    const int count = ImageModes(s.backend, s.flags, sizes, size_page::MAX_SIZES);
    if (count == 0) { // any size will do, or none is listed
        ChooseResolution();
        return;
    }
    const size_page page(sizes, count);
    menu_question = "Please choose a display size:";
    menu_title = "Vantor Resolution";
    const int result = ImageMenu(DrawMenu, page.count + 2, page.items.data(), 0);
    if (result == -1) { // "Other...", or a failed wait, which the entry then reports
        ChooseResolution();
    } else if (result > 0 && result <= page.count) {
        s.width = sizes[result - 1][0];
        s.height = sizes[result - 1][1];
    }
}
