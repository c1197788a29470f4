#pragma once
// Numbers typed into dialog entries. One reading for every dialog: the whole entry must be one
// number in the "C" form (blanks around it allowed), so a typing slip ("0,5", "12a", an empty
// box, "nan") is refused instead of silently becoming a wrong value.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A finite number.
std::optional<double> ParseNumberEntry(std::string_view text);
// A whole number from `low` to `high` ("10" and "10.0" alike; "10.5" is refused).
std::optional<int64_t> ParseWholeEntry(std::string_view text, int64_t low, int64_t high);
// A count typed with digits only (no sign, no fraction, at most nine digits) from `low` to
// `high`.
std::optional<int64_t> ParseDigitsEntry(std::string_view text, int64_t low, int64_t high);
// The shortest text that reads back as exactly `value` ("0.02", "3", "1e-05").
std::string FormatNumberEntry(double value);
