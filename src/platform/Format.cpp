#include "platform/Format.h"

#include <cstdarg>
#include <cstdio>

namespace {
// The length of the UTF-8 sequence starting at `text[i]` (0 when it is not one).
size_t Utf8SequenceLength(const std::string& text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    if (lead < 0x80)
        return 1;
    else if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return length;
}

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

std::string CutToCharacters(const std::string& text, size_t maxCharacters) {
    size_t end = 0;
    size_t characters = 0;
    while (end < text.size() && characters < maxCharacters) {
        const size_t length = Utf8SequenceLength(text, end);
        if (length == 0) return text.substr(0, maxCharacters);  // not UTF-8: bytes are characters
        end += length;
        ++characters;
    }
    // The rest must be UTF-8 too for the cut above to have counted characters.
    for (size_t i = end; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) return text.substr(0, maxCharacters);
        i += length;
    }
    return text.substr(0, end);
}
