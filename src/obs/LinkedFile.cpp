#include "obs/LinkedFile.h"

#include <strings.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/Services.h"

namespace {
size_t LastSeparator(const std::string& path) {
    return path.find_last_of("\\/");
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// Windows names ignore letter case, so a file copied from a station may be named
// "scan001.scn" where the document says "SCAN001.SCN".
std::string FindIgnoringCase(const std::string& dir, const std::string& name) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (::strcasecmp(candidate.c_str(), name.c_str()) == 0) {
            std::string path = dir + "/" + candidate;
            if (IsFile(path)) return path;
        }
    }
    return std::string();
}
}  // namespace

std::string LinkedFileName(const std::string& path) {
    size_t sep = LastSeparator(path);
    return sep == std::string::npos ? path : path.substr(sep + 1);
}

std::string ResolveLinkedFile(const std::string& storedPath, const std::string& documentPath) {
    if (IsFile(storedPath)) return storedPath;
    const size_t sep = LastSeparator(storedPath);
    if (sep == std::string::npos) {
        Prompt().Message("File " + storedPath + " not found.\n", EPromptIcon::Exclamation);
        return std::string();
    }
    const size_t docSep = LastSeparator(documentPath);
    if (docSep == std::string::npos) {
        Prompt().Message("File " + storedPath + " parse error.\n", EPromptIcon::Exclamation);
        return std::string();
    }
    const std::string dir = documentPath.substr(0, docSep);
    const std::string name = storedPath.substr(sep + 1);
    if (name.empty()) return std::string();
    const std::string candidate = dir + "/" + name;
    if (IsFile(candidate)) return candidate;
    return FindIgnoringCase(dir, name);
}
