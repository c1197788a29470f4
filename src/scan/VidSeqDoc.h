#pragma once
// CVidSeqDoc: a video image sequence, a data document whose observations are the frames
// (CDibObs, full paths of BMP files) taken while a stage moved through a grid of positions,
// with an optional reference frame first. The acquisition writes it as "vMMDDNNN.vsq" beside
// its frames in the sequence folder "VMMDDNNN" of the data root; the document type also opens
// ".isq" files.
//
// The record, after the data-document part and its observation list (as a .vpo writes them):
//
//   string   seqDir          the folder name, e.g. "V0314007" (the frames lie in it)
//   WORD     readOnly        1 once acquired
//   WORD     day, month      date of the set-up
//   WORD     seqNumber       the sequence number in the folder and file names
//   double   wait            seconds between a move and its grab
//   WORD     average         frames averaged into each stored frame
//   WORD     refCount        frames averaged into the reference frame
//   BYTE     tool            'S' sample stage, 'P' probe stage
//   WORD     moveType        1048 linear, 1049 tracking
//   BYTE     refUse          'B' background subtract, 'R' ratio denominator, 'I' ignore
//   4 double reference       where the reference frame is taken
//   4 double start, end      the corners of the grid
//   4 WORD   steps           positions along X, Y, Z, W
//   4 double probeHome, sampleHome
//   WORD     homeProbe, homeSample   return there after the last frame
//   COpticalSystem record    (embedded, no tag) the optical system in use
//   string   preComment, postComment
//
// Words come back zero-extended; nothing in the record is trusted to name a frame: the list
// does that.

#include <cstdint>
#include <string>

#include "obs/DataDocument.h"
#include "obs/OpticalSystem.h"
#include "platform/Vector4.h"

inline constexpr const char* kVidSeqDocSection = "Video Sequence Document";
// The export options of sequence documents ("DataDoc Line 0" to "DataDoc Line 4").
inline constexpr const char* kVidSeqDocViewSection = "Video Sequence Document View";

class CVidSeqDoc : public CDataDocument {
  public:
    // Steps per axis, frames per sequence, and the count above which the set-up asks first.
    static constexpr int kMaxSteps = 1000;
    static constexpr int64_t kMaxFrames = 10000;
    static constexpr int64_t kAskFrames = 1000;
    static constexpr int kMaxAverage = 256;
    // Longest wait between a move and its grab: an hour.
    static constexpr double kMaxWait = 3600.0;

    // Today's day and month; everything else at its default.
    CVidSeqDoc();
    ~CVidSeqDoc() override;

    void Serialize(CArchive& ar) override;

    std::string seqDir;
    int readOnly = 0;
    int day = 1, month = 1;
    int seqNumber = 0;
    double wait = 0.5;
    int average = 1;
    int refCount = 1;
    char tool = 'S';
    int moveType = 1048;
    char refUse = 'I';
    CDVector4 reference;
    CDVector4 start, end;
    CIVector4 steps{1, 1, 1, 1};
    CDVector4 probeHome, sampleHome;
    int homeProbe = 1, homeSample = 1;
    COpticalSystem opticalSystem;
    std::string preComment, postComment;

    // Read from a file: never acquired into again, whatever its read-only word says (its
    // folder may be anywhere, and its frames are the record of an experiment).
    bool IsLoaded() const { return loaded; }
    bool IsReadOnly() const { return readOnly != 0 || loaded; }

    // "V%02d%02d%03d" and "v%02d%02d%03d.vsq" of month, day and number.
    std::string FolderName() const;
    std::string FileName() const;
    // Frames of the grid (the product of the steps; 0 when a step count is below 1).
    int64_t FrameCount() const;
    // Where the frame at grid index (x, y, z, w) is taken: start + (end - start) * i / (n - 1)
    // per axis, an axis with fewer than two steps at its start.
    CDVector4 FramePosition(const CIVector4& index) const;
    // The frame's file name: "%03d%03d%01d%01d.bmp" of w, z, y, x while X and Y have at most
    // ten steps, else "%03d%03d%03d%03d.bmp" for the whole sequence, so no two frames of a
    // sequence share a name.
    std::string FrameName(const CIVector4& index) const;
    static constexpr const char* kReferenceName = "ref.bmp";

    // The last values used, as the set-up dialog starts with them ("Line 0" to "Line 8" of
    // "Video Sequence Document"). Values out of range keep the document's; lines present but
    // unusable are added to `problems`.
    void LoadSettings(std::string& problems);
    void SaveSettings() const;

  private:
    bool loaded = false;
};
