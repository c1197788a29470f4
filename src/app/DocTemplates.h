#pragma once
// The five kinds of document, in the order File > New lists them and file dialogs offer them.

#include <array>
#include <string>

enum class EDocType { Observation, Scan, Display, Image, ImageSequence };

struct SDocTemplate {
    EDocType type;
    const char* docClass;
    const char* viewClass;
    int menuSet;              // which menu bar the document's windows show
    const char* baseName;     // name of a new, unsaved document
    const char* newListName;  // entry of the File > New list
    const char* filter;       // file-dialog filter text
    const char* extension;    // with its dot, lower case
    const char* shellTypeId;
    const char* shellTypeName;
    const char* alsoExtension;  // a second extension the type opens (nullptr: none)
};

const std::array<SDocTemplate, 5>& DocTemplates();
const SDocTemplate& DocTemplate(EDocType type);

// The template whose extension the path ends with (letter case ignored, for files copied from
// a Windows station such as DATA.VPO); null when none matches.
const SDocTemplate* FindTemplateForPath(const std::string& path);

// The file-dialog filter of a type for opening: its filter with the second extension added
// ("Image Sequence (*.isq *.vsq)"), since acquired sequences are saved as .vsq.
std::string OpenFilter(const SDocTemplate& type);
