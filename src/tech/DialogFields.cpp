#include "tech/DialogFields.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/Format.h"
#include "platform/NumberEntry.h"

std::string TrimmedEntry(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string FormatNumber(double value) {
    return FormatNumberEntry(value);
}

bool ParseNumberField(const std::string& text, const char* label, double& value,
                      std::string& error) {
    const std::optional<double> v = ParseNumberEntry(text);
    if (!v) {
        error = StrPrintf("Please enter a number for \"%s\" (not \"%s\").", label,
                          TrimmedEntry(text).c_str());
        return false;
    }
    value = *v;
    return true;
}

bool ParseIntegerField(const std::string& text, const char* label, int64_t min, int64_t max,
                       int64_t& value, std::string& error) {
    const std::string t = TrimmedEntry(text);
    // A whole number as written: "10.0" is not taken for 10 here.
    const bool integral = t.find_first_of(".eE") == std::string::npos;
    const std::optional<int64_t> v = integral ? ParseWholeEntry(t, min, max) : std::nullopt;
    if (!v) {
        error =
            StrPrintf("Please enter a whole number from %lld to %lld for \"%s\" (not \"%s\").",
                      static_cast<long long>(min), static_cast<long long>(max), label, t.c_str());
        return false;
    }
    value = *v;
    return true;
}
