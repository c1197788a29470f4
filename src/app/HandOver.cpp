#include "app/HandOver.h"

std::string HandOverMessage(const std::string& absolutePath) {
    return absolutePath + "\n";
}

bool ParseHandOverMessage(std::string_view bytes, std::string& path) {
    if (bytes.empty() || bytes.back() != '\n') return false;
    std::string_view text = bytes.substr(0, bytes.size() - 1);
    if (text.empty() || text.size() > kMaxHandOverPath || text.front() != '/') return false;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) return false;
    }
    path.assign(text);
    return true;
}
