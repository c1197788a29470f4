#include "platform/Format.h"

#include <cstdarg>
#include <cstdio>

namespace {
void AppendV(std::string& out, const char* format, va_list args) {
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return;
    if (static_cast<size_t>(n) < sizeof small) {
        out.append(small, static_cast<size_t>(n));
        return;
    }
    size_t start = out.size();
    out.resize(start + static_cast<size_t>(n) + 1);
    std::vsnprintf(out.data() + start, static_cast<size_t>(n) + 1, format, args);
    out.resize(start + static_cast<size_t>(n));
}
}  // namespace

std::string StrPrintf(const char* format, ...) {
    std::string out;
    va_list args;
    va_start(args, format);
    AppendV(out, format, args);
    va_end(args);
    return out;
}

void StrAppendf(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendV(out, format, args);
    va_end(args);
}
