// questions.h - the pages that ask for one setting each: list questions, the
// numeric entries and the display-size list.
//
// Every question changes only what the user chose: "Cancel" and Escape leave
// the record as it was, so values the pages cannot produce (from a
// hand-edited file) survive untouched.
#pragma once

#include "setup.h"

#include <array>
#include <optional>

// One choice of a list question: its text and the non-zero answer it gives.
struct choice {
    const char *text;
    int value;
};

// A list question: its choices at column 10 on every second row from row 7,
// then "Cancel" on row 23; with how its answer changes the record.
struct list_question {
    const char *title;
    const char *question;
    std::array<choice, 2> choices;
    void (*apply)(settings &rec, int answer);
};
extern const list_question backend_question;
extern const list_question mode_question;
extern const list_question antialias_question;
extern const list_question accum_question;

// Asks the question about the session's record and applies the answer.
void Ask(session &ses, const list_question &q);

// Shows a list question's page with these choices and "Cancel"; returns the
// value of the choice made, 0 for "Cancel" and Escape.
int Choose(session &ses, const char *title, const char *question, std::span<const choice> choices);

// What one key does to a numeric entry: the value to go on with while
// typing, the value accepted, or cancelled. Typing appends a digit while the
// value stays within `max`; Backspace drops the last digit; Up and Down (a
// gamepad's way to a number, held they repeat) step by one within 0..max.
enum class entry_state { typing, accepted, cancelled };
struct entry_step {
    entry_state state;
    int value;
};
entry_step EntryKey(int value, int max, int sym);

// A numeric entry's page: its title, the prompt and the largest value.
struct entry_page {
    const char *title;
    const char *prompt;
    int max;
};
extern const entry_page width_entry, height_entry, samples_entry;

// Draws an entry's page for the value `n` and presents it.
void DrawEntryPage(const session &ses, const entry_page &entry, int n);

// Runs a numeric entry starting at n. Returns the value accepted, or nothing
// after Escape: the caller then keeps what it had, whatever the entry showed.
std::optional<int> ReadNumber(const session &ses, const entry_page &entry, int n);

// Width, then height, typed in; a size below IMAGE_MIN_WIDTH x
// IMAGE_MIN_HEIGHT is stored as that.
void ChooseResolution(session &ses);

// The samples entry: a value below MIN_SAMPLES is accepted as that, and
// Escape leaves the record as it was (even below it, from a hand-edited
// file).
void SamplesEntry(session &ses);

// The items of the display-size list: the first MAX_SIZES sizes, one a row
// from row 7 (code k + 1 for the k-th), "Other..." on the row after them and
// "Cancel" on row 23, so that every item has a row of its own.
struct size_page {
    static constexpr int MAX_SIZES = 15;
    static constexpr int OTHER = MAX_SIZES + 1; // "Other...": the width and height typed
    static constexpr int CANCEL = 0;
    int count; // sizes listed
    std::array<std::array<int, 2>, MAX_SIZES> sizes{};
    std::array<std::array<char, sizeof "-2147483648x-2147483648">, MAX_SIZES> texts{};
    std::array<menuitem, MAX_SIZES + 2> items{};

    size_page(const int sizes[][2], int n);
    size_page(const size_page &) = delete; // the items point into texts
    size_page &operator=(const size_page &) = delete;
};

// The display-size list for the record's back-end and mode, with "Other..."
// leading to ChooseResolution; the entries alone when the display lists no
// sizes (any size will do).
void ResolutionMenu(session &ses);
