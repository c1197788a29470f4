#pragma once
// Numbers typed into dialog fields. Every edit box of the measurement dialogs goes through
// these, so a typing slip ("0,5", "12a", an empty box) gets a message naming the field instead
// of a silently wrong value.

#include <cstdint>
#include <string>

// The shortest text that reads back as exactly `value` ("0.02", "3", "1e-05").
std::string FormatNumber(double value);
// `text` without the blanks around it, as a refused entry is quoted back.
std::string TrimmedEntry(const std::string& text);

// A finite number, with blanks around it allowed. False with `error` set otherwise.
bool ParseNumberField(const std::string& text, const char* label, double& value,
                      std::string& error);
// A whole number from `min` to `max`.
bool ParseIntegerField(const std::string& text, const char* label, int64_t min, int64_t max,
                       int64_t& value, std::string& error);
