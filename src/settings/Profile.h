#pragma once
// velm.ini: the station's one settings file. Every settings-bearing object reads its values
// from here when it is created or its dialog opens, and writes them the moment the user
// confirms. The file is read afresh at every access and each write goes to disk at once, so a
// later read (by any object) sees it and nothing is lost if the program stops.
//
// Files copied from a station of the Windows lineage read and write unchanged: CRLF or LF line
// ends, 8-bit text, blank and ";" comment lines, keys and sections in any letter case. A write
// changes only the one line it concerns (or adds one) and keeps every other byte as it was.

#include <string>
#include <string_view>

class CProfile {
  public:
    // Values longer than this are cut when read (the readers' buffers hold 4,096 characters).
    static constexpr size_t kMaxValueLength = 4095;

    explicit CProfile(std::string path);

    const std::string& Path() const { return path; }

    // The integer under the key, or `defaultValue` when the key is missing or its value empty.
    // A value that is not a number reads as 0; the sign is kept.
    int GetProfileInt(std::string_view section, std::string_view key, int defaultValue) const;
    // The value text, or `defaultValue` when the key is missing.
    std::string GetProfileString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue = {}) const;
    // Write the decimal text of `value` / the text. Creates the file, section and key as
    // needed. False when the file could not be written; the user is told once per run.
    bool WriteProfileInt(std::string_view section, std::string_view key, int value);
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value);

    // The line-numbered convention. A formatted line is written with a printf format ...
    bool WriteLine(std::string_view section, std::string_view key, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // ... and read back with the matching scanf format. Scanning stops at the first label or
    // value that does not match: the fields before it take the parsed values and the rest keep
    // what they held. Returns the number of fields assigned (callers rarely need it).
    int ReadLine(std::string_view section, std::string_view key, const char* defaultLine,
                 const char* format, ...) const __attribute__((format(scanf, 5, 6)));

    // True after a write failed (the old file is then still intact).
    bool WriteFailed() const { return writeFailed; }

    // $XDG_CONFIG_HOME/velm/velm.ini, or ~/.config/velm/velm.ini.
    static std::string DefaultPath();

  private:
    bool Replace(std::string_view section, std::string_view key, std::string_view value);
    void ReportWriteFailure(const std::string& reason);

    std::string path;
    bool writeFailed = false;
    bool failureReported = false;
};

// The program's settings file. The desktop program and velm-tool install theirs at start-up;
// tests install a scratch file. With none installed, DefaultPath() is used.
CProfile& Profile();
void SetProfile(CProfile* profile);

class CScopedProfile {
  public:
    explicit CScopedProfile(CProfile* profile);
    ~CScopedProfile();
    CScopedProfile(const CScopedProfile&) = delete;
    CScopedProfile& operator=(const CScopedProfile&) = delete;

  private:
    CProfile* previous;
};
