// questions.cpp - the pages that ask for one setting each (questions.h).
//
// A list question offers a few named values and "Cancel"; a numeric entry
// takes a typed number; the display-size choice lists the sizes the display
// offers for the configured back-end and screen mode, with "Other..." leading
// to the width and height entries.

#include "questions.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

// Replaces bit `bit` (an IMAGE_* flag) of the flags with the answer's:
// answers are 1 for off and 1 + bit for on.
void SetFlag(settings &rec, int bit, int answer)
{
    rec.flags = (rec.flags & ~bit) | ((answer - 1) & bit);
}

constexpr int CANCEL = 0;
constexpr int QUESTION_ROW = 5, FIRST_CHOICE_ROW = 7, LAST_ROW = 23;

// A list question's page: the question under the title. Its state is the
// answer chosen, 0 until one is.
struct asked {
    const char *question;
    int answer = CANCEL;
};

void DrawQuestion(const session &, asked &state)
{
    TextC(20, QUESTION_ROW, state.question, palette::TEXT);
}

outcome Answer(session &, asked &state, int code)
{
    state.answer = code;
    return LEAVE;
}

// The entry box with the value right-aligned in it and the blinking cursor
// (512 ms on, 512 ms off).
void DrawEntry(int n)
{
    constexpr Uint32 BLINK = 512;
    char text[sizeof "-2147483648"];
    std::snprintf(text, sizeof text, "%d", n);
    ImageRect(15, 9, 10, 3, palette::BOX);
    TextR(21, 10, text, palette::INK);
    if (SDL_GetTicks() & BLINK) ImageRectFrac(21, 10.125f, 0.75f, 0.75f, palette::INK);
}

// A numeric field's entry: a value accepted below the field's least is
// stored as that.
void Enter(session &ses, const entry_page &entry, int settings::*member, int least)
{
    int &field = ses.rec.*member;
    if (const std::optional<int> n = ReadNumber(ses, entry, field)) field = std::max(*n, least);
}

} // namespace

const list_question backend_question{"Vantor Back-end",
                                     "Please select a graphics driver:",
                                     {{{"OpenGL", 1 + BACKEND_GL}, {"SDL", 1 + BACKEND_SDL}}},
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

int Choose(session &ses, const char *title, const char *question, std::span<const choice> choices)
{
    constexpr size_t MAX_CHOICES = (LAST_ROW - FIRST_CHOICE_ROW) / 2;
    std::array<menuitem, MAX_CHOICES + 1> items{};
    const size_t count = std::min(choices.size(), MAX_CHOICES);
    for (size_t i = 0; i < count; ++i)
        items[i] = {10, FIRST_CHOICE_ROW + 2 * static_cast<int>(i), 20, choices[i].text,
                    choices[i].value};
    items[count] = {10, LAST_ROW, 20, "Cancel", CANCEL};
    const page<asked> shown{title, std::span(items.data(), count + 1), DrawQuestion, Answer};
    asked state{question};
    RunPage(shown, ses, state, items[0].return_code);
    return state.answer;
}

void Ask(session &ses, const list_question &q)
{
    if (const int answer = Choose(ses, q.title, q.question, q.choices)) q.apply(ses.rec, answer);
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

const entry_page width_entry{"Vantor Resolution", "Please enter the display width:", MAX_SIZE};
const entry_page height_entry{"Vantor Resolution", "Please enter the display height:", MAX_SIZE};
const entry_page samples_entry{"Vantor Supersampling",
                               "Please enter the number of samples per pixel (2-64):", MAX_SAMPLES};

void DrawEntryPage(const session &ses, const entry_page &entry, int n)
{
    DrawPageTop(ses, entry.title);
    TextC(20, 7, entry.prompt, palette::TEXT);
    DrawEntry(n);
    ImageUpdate();
}

std::optional<int> ReadNumber(const session &ses, const entry_page &entry, int n)
{
    DrawEntryPage(ses, entry, n);
    for (;;) {
        SDL_Event ev;
        if (!ImageWaitEvent(&ev)) Die(ImageError());
        switch (ev.type) {
        case SDL_QUIT:
            std::exit(0);
        case SDL_KEYDOWN: {
            const entry_step step = EntryKey(n, entry.max, ev.key.keysym.sym);
            if (step.state == entry_state::accepted) return step.value;
            if (step.state == entry_state::cancelled) return std::nullopt;
            n = step.value;
            DrawEntryPage(ses, entry, n);
            break;
        }
        case SDL_VIDEOEXPOSE:
            DrawEntryPage(ses, entry, n);
            break;
        case SDL_USEREVENT: // the tick: the cursor blinks at steps of the library's clock
            if (ImageFrameDue()) DrawEntryPage(ses, entry, n);
            break;
        default:
            break;
        }
    }
}

void ChooseResolution(session &ses)
{
    Enter(ses, width_entry, &settings::width, IMAGE_MIN_WIDTH);
    Enter(ses, height_entry, &settings::height, IMAGE_MIN_HEIGHT);
}

void SamplesEntry(session &ses)
{
    Enter(ses, samples_entry, &settings::samples, MIN_SAMPLES);
}

size_page::size_page(const int listed[][2], int n) : count(std::clamp(n, 0, MAX_SIZES))
{
    for (int k = 0; k < count; ++k) {
        const auto at = static_cast<size_t>(k);
        sizes[at] = {listed[k][0], listed[k][1]};
        std::snprintf(texts[at].data(), texts[at].size(), "%dx%d", listed[k][0], listed[k][1]);
        items[at] = {10, FIRST_CHOICE_ROW + k, 20, texts[at].data(), k + 1};
    }
    items[static_cast<size_t>(count)] = {10, FIRST_CHOICE_ROW + count, 20, "Other...", OTHER};
    items[static_cast<size_t>(count) + 1] = {10, LAST_ROW, 20, "Cancel", CANCEL};
}

void ResolutionMenu(session &ses)
{
    int listed[size_page::MAX_SIZES][2];
    const int count = ImageModes(ses.rec.backend, ses.rec.flags, listed, size_page::MAX_SIZES);
    if (count == 0) { // any size will do, or none is listed
        ChooseResolution(ses);
        return;
    }
    const size_page sizes(listed, count);
    const page<asked> question{"Vantor Resolution",
                               std::span(sizes.items.data(), static_cast<size_t>(count) + 2),
                               DrawQuestion, Answer};
    asked state{"Please choose a display size:"};
    RunPage(question, ses, state, sizes.items[0].return_code);
    if (state.answer == size_page::OTHER) {
        ChooseResolution(ses);
    } else if (state.answer > 0 && state.answer <= sizes.count) {
        const auto &[width, height] = sizes.sizes[static_cast<size_t>(state.answer - 1)];
        ses.rec.width = width;
        ses.rec.height = height;
    }
}
