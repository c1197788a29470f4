#pragma once
// "Open Observations With ...": the program that opens exported files, kept in velm.ini
// section "Open Observations With ...", key "Exports".

#include <string>

inline constexpr const char* kOpenWithSection = "Open Observations With ...";
inline constexpr const char* kOpenWithKey = "Exports";
inline constexpr const char* kOpenWithDefault = "Write";

class COpenWithLogic {
  public:
    static constexpr const char* kTitle = "Open Observations With ...";

    // Starts with the stored command line.
    COpenWithLogic();

    std::string command;

    // OK: stores the command line. False (after a message) for an empty one or one whose
    // quotes do not close, which could never be started.
    bool Ok();
};
