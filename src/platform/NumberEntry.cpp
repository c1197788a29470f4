#include "platform/NumberEntry.h"

#include <charconv>
#include <cmath>

#include "platform/Format.h"

namespace {
std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}
}  // namespace

std::optional<double> ParseNumberEntry(std::string_view text) {
    std::string_view t = Trimmed(text);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return std::nullopt;
    double value = 0.0;
    // from_chars reads the "C" form whatever the locale, and never accepts "0x", "inf" or "nan".
    const auto result = std::from_chars(t.data(), t.data() + t.size(), value);
    if (result.ec != std::errc() || result.ptr != t.data() + t.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int64_t> ParseWholeEntry(std::string_view text, int64_t low, int64_t high) {
    const std::optional<double> value = ParseNumberEntry(text);
    if (!value || *value != std::floor(*value) || *value < static_cast<double>(low) ||
        *value > static_cast<double>(high))
        return std::nullopt;
    return static_cast<int64_t>(*value);
}

std::optional<int64_t> ParseDigitsEntry(std::string_view text, int64_t low, int64_t high) {
    const std::string_view t = Trimmed(text);
    if (t.empty() || t.size() > 9) return std::nullopt;
    int64_t value = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return std::nullopt;
    return value;
}

std::string FormatNumberEntry(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (result.ec != std::errc()) return StrPrintf("%g", value);
    return std::string(buffer, result.ptr);
}
