#pragma once
// Text helpers for the system's fixed-width, space-padded text fields.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace vornel::platform {

// The text without trailing blanks (spaces and NULs, as fixed fields may hold either).
std::string_view Clip(std::string_view text);
// The text without leading and trailing blanks.
std::string_view Trim(std::string_view text);

// Case changes touch ASCII letters only, so results never depend on the
// process locale.
char UpperChar(char c);
char LowerChar(char c);
std::string Upper(std::string_view text);
std::string Lower(std::string_view text);

// Text comparison as the system does it: trailing blanks do not count.
int CompareClipped(std::string_view a, std::string_view b);
bool EqualClipped(std::string_view a, std::string_view b);
bool EqualNoCase(std::string_view a, std::string_view b);
// Exactly the same characters apart from letter case (blanks count).
bool SameNoCase(std::string_view a, std::string_view b);
// Compares without regard to case, ignoring trailing blanks.
int CompareNoCase(std::string_view a, std::string_view b);

// Reads a fixed-width field as text, clipped.
std::string_view ReadField(std::span<const char> field);

// Writes text into a fixed-width field, padded with spaces. Returns false and
// leaves the field unchanged when the clipped text is longer than the field:
// stored data is never silently cut.
bool AssignPadded(std::span<char> field, std::string_view text);
// As AssignPadded, but cuts text that is too long (for display-only copies).
void AssignCut(std::span<char> field, std::string_view text);

// Position (1-based) of the first occurrence of `needle` in `haystack`,
// looking at positions start, start + step, ...; 0 when not found. With step
// equal to the needle's length the search moves in whole needle-sized cells.
std::size_t Instring(std::string_view needle, std::string_view haystack, std::size_t step = 1,
                     std::size_t start = 1);

// The text cut to at most `max` bytes.
std::string_view Cut(std::string_view text, std::size_t max);

}  // namespace vornel::platform
