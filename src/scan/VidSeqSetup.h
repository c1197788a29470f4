#pragma once
// "Video Image Sequence Setup": the entries as typed, their checks, and what OK does to the
// document: for a new sequence the date, the number and the sequence folder in the data root
// (asking before it reuses one that exists); for an acquired one only the post-acquisition
// comment.

#include <cstdint>
#include <string>
#include <vector>

class CVidSeqDoc;
class COpticalSystem;

class CVidSeqSetupLogic {
  public:
    static constexpr const char* kTitle = "Video Image Sequence Setup";
    static constexpr const char* kReadOnlyNote =
        "Only post-acquisition comment changes will be saved.";

    // The entries from the document (its folder, when it has one, shown beside `root`).
    CVidSeqSetupLogic(CVidSeqDoc& doc, const std::string& root);

    bool readOnly = false;     // only the post-acquisition comment can change
    std::string targetPath;    // "Target Path:" as shown
    std::string waitText;      // "Wait" ... "sec,"
    std::string averageText;   // "avg"
    std::string refCountText;  // reference "Average" ... "images"
    char tool = 'S';           // "Move:" 'S' Sample, 'P' Probe
    int moveType = 1048;       // "Type:" 1048 "Linear Interp", 1049 "Tracking"
    char refUse = 'I';         // 'B' "Background Subtract", 'R' "Ratio Denominator", 'I' "Ignore"
    std::string reference[4], start[4], end[4], steps[4], probeHome[4], sampleHome[4];
    bool homeProbe = true, homeSample = true;  // "Return here after scan"
    std::string opticalSystem;                 // "Optical System:"
    std::vector<std::string> opticalSystems;   // its list
    std::string preComment, postComment;

    // Checks the entries (a sequence of over 1,000 frames asks first). False with the first
    // problem in `error`, or with "" when the user chose not to go on.
    bool Accept(std::string& error);
    // OK after Accept: the entries into the document. A new document then gets today's date,
    // the next sequence number and its folder; false when that was abandoned (the user said
    // Cancel, or the folder cannot be made; the user has been told). The entries are kept in
    // velm.ini as the next set-up's.
    bool Apply();

  private:
    bool MakeFolder();

    CVidSeqDoc& doc;
    std::string root;
    bool accepted = false;
    double wait = 0;
    int average = 1, refCount = 1;
    double vectors[5][4] = {};
    int stepCounts[4] = {1, 1, 1, 1};
};
