#include "tech/DialogFields.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/Format.h"

namespace {
std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}
}  // namespace

std::string FormatNumber(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (result.ec != std::errc()) return StrPrintf("%g", value);
    return std::string(buffer, result.ptr);
}

bool ParseNumberField(const std::string& text, const char* label, double& value,
                      std::string& error) {
    const std::string t = Trimmed(text);
    double v = 0.0;
    // from_chars reads the "C" form whatever the locale, and never accepts "0x" or "nan".
    auto result = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || result.ec != std::errc() || result.ptr != t.data() + t.size() ||
        !std::isfinite(v)) {
        error = StrPrintf("Please enter a number for \"%s\" (not \"%s\").", label, t.c_str());
        return false;
    }
    value = v;
    return true;
}

bool ParseIntegerField(const std::string& text, const char* label, int64_t min, int64_t max,
                       int64_t& value, std::string& error) {
    const std::string t = Trimmed(text);
    int64_t v = 0;
    const char* begin = t.data();
    if (!t.empty() && *begin == '+') ++begin;
    auto result = std::from_chars(begin, t.data() + t.size(), v);
    if (t.empty() || result.ec != std::errc() || result.ptr != t.data() + t.size() || v < min ||
        v > max) {
        error =
            StrPrintf("Please enter a whole number from %lld to %lld for \"%s\" (not \"%s\").",
                      static_cast<long long>(min), static_cast<long long>(max), label, t.c_str());
        return false;
    }
    value = v;
    return true;
}
