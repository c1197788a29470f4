#pragma once
// Handing a document to the program that is already running: a second start with a document
// path sends the path to the first and ends. The message is the absolute path in one line; the
// receiver takes nothing else, because anyone on the machine who can reach the channel could
// write to it.

#include <string>
#include <string_view>

inline constexpr size_t kMaxHandOverPath = 4096;

// The message for `absolutePath`.
std::string HandOverMessage(const std::string& absolutePath);

// The path of a message: one line (ended by "\n"), an absolute path of at most
// kMaxHandOverPath bytes without control characters. False for anything else.
bool ParseHandOverMessage(std::string_view bytes, std::string& path);
