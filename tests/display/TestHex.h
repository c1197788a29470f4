#pragma once
// Bytes written as hex pairs, and back, for byte-for-byte file tests.

#include <cstdio>
#include <sstream>
#include <string>

inline std::string BytesOfHex(const std::string& hex) {
    std::string bytes;
    std::istringstream in(hex);
    std::string pair;
    while (in >> pair)
        bytes.push_back(static_cast<char>(std::stoi(pair, nullptr, 16)));
    return bytes;
}

inline std::string HexOf(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02x", c);
        if (!out.empty()) out += ' ';
        out += buf;
    }
    return out;
}
