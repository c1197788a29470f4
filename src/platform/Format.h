#pragma once
// printf-style formatting into std::string. Settings lines, descriptions and exports are
// printf formats because the formats are part of the files; they are produced in the "C"
// locale (the program never changes LC_NUMERIC, so "." is always the decimal point).

#include <string>

std::string StrPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends to `out`.
void StrAppendf(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

// The first `maxCharacters` characters of `text`. Valid UTF-8 is counted and cut by whole
// characters, never inside one; other text (8-bit text from an older station) byte by byte.
std::string CutToCharacters(const std::string& text, size_t maxCharacters);
