#pragma once
// Image, scan and video observations store the full path of their file. When a document and
// its files have moved together (or come from a Windows station, with "\" separators and a
// drive letter), the file is looked for by name next to the document.

#include <string>

// The path to use for `storedPath`, held by the document at `documentPath`: the stored path
// when that file exists, else the stored file name in the document's folder. "" when neither
// exists; the user is told when a path cannot be taken apart.
std::string ResolveLinkedFile(const std::string& storedPath, const std::string& documentPath);

// The part of `path` after its last "\" or "/" (npos-safe: the whole path when there is none).
std::string LinkedFileName(const std::string& path);
