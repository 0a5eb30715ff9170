// run_display_test.h - "Test display": the record being edited tried by
// vantor-display-test, kept or reverted (run_display_test.cpp says how).
#pragma once

#include "setup.h"

#include <string>

enum class test_outcome { kept, reverted, failed };
struct test_verdict {
    test_outcome outcome;
    std::string reason; // failed only: why, for the user
};

// Runs the display test on the session's record, with `waiting` drawing the
// page shown meanwhile (not presenting it), and acts on the verdict
// (ApplyVerdict); the status line and standard output say what happened.
void TestDisplay(session &ses, void (*waiting)(const session &ses));

// Runs vantor-display-test on the session's record and waits for its verdict,
// `waiting` drawing the page meanwhile.
test_verdict RunDisplayTest(const session &ses, void (*waiting)(const session &ses));

// What the display test's end means: status 0 kept, 3 reverted; anything
// else failed, for the reason on its last "Vantor: " line, else its status
// (-1: ended by a signal).
test_verdict JudgeDisplayTest(int exit_status, const std::string &output);

// Kept: the record becomes the display settings known to be good. Reverted
// or failed: the tried fields go back to them (RestoreDisplayFields).
void ApplyVerdict(session &ses, const test_verdict &verdict);

// The status line for a verdict, at most 127 characters: "Settings kept.",
// "Settings reverted." or "Display test failed: <reason>", cut with "...".
std::string StatusLine(const test_verdict &verdict);
