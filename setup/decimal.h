// decimal.h - reading one decimal integer from a text, saturating.
//
// For the settings file (settings.cpp), whose numbers must land in range
// whatever it says.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>

// Reads one number as scanf's "%d" would, moving past it: white space, an
// optional sign and decimal digits. A number beyond the range of T takes the
// nearest value in range. False, with `value` untouched, when no digit
// follows the white space and the sign (which are then passed over).
//
// The source gives peek(), the next character as an unsigned char or -1 at
// the end, and next(), which moves past it.
template <class T, class Source>
bool ReadDecimal(Source &src, T &value)
{
    while (std::isspace(src.peek())) src.next();
    bool negative = false;
    if (src.peek() == '+' || src.peek() == '-') {
        negative = src.peek() == '-';
        src.next();
    }
    auto digit = [](int c) { return c >= '0' && c <= '9'; };
    if (!digit(src.peek())) return false;
    // Magnitudes stop growing one past the largest, which still tells a
    // saturated value from one in range.
    static_assert(sizeof(T) < sizeof(int64_t));
    constexpr int64_t lowest = std::numeric_limits<T>::min();
    constexpr int64_t highest = std::numeric_limits<T>::max();
    constexpr int64_t limit = std::max(-lowest, highest) + 1;
    int64_t magnitude = 0;
    for (; digit(src.peek()); src.next())
        magnitude = std::min(limit, magnitude * 10 + (src.peek() - '0'));
    value = static_cast<T>(std::clamp(negative ? -magnitude : magnitude, lowest, highest));
    return true;
}

// A source over a null-terminated text; `at` is the next character.
struct text_cursor {
    const char *at;
    int peek() const { return *at ? static_cast<unsigned char>(*at) : -1; }
    void next() { ++at; }
};
