#pragma once
// The documents a data layer can draw from, by file extension (letter case ignored): one
// table, so that a new kind of data document is one line in SourceDocuments.cpp.

#include <memory>
#include <string>

class CDataDocument;

// An empty data document of the kind `path` names, or null when the extension is not one a
// data layer can draw from (display documents and images are not).
std::unique_ptr<CDataDocument> NewSourceDocumentFor(const std::string& path);
// Whether `path` is a data document a layer can draw from.
bool IsSourceDocumentPath(const std::string& path);
// Whether `path` is an image an image layer can show (.bmp).
bool IsLayerImagePath(const std::string& path);
// Reads a data document for a layer: null with `message` when the kind is not one a layer
// takes or the file cannot be read.
std::unique_ptr<CDataDocument> OpenSourceDocument(const std::string& path, std::string& message);
