#include "ToolDocument.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "obs/ObsDoc.h"
#include "obs/ObsDocSettings.h"

bool OpenOrNewObsDoc(const std::string& path, CObsDoc& doc, const char* command) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT) {
        LoadNewObsDocSettings(doc);
        return true;
    }
    std::string message;
    if (doc.LoadFile(path, message)) return true;
    if (!message.empty()) std::fprintf(stderr, "velm-tool %s: %s\n", command, message.c_str());
    return false;
}
