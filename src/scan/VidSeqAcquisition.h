#pragma once
// The acquisition of a video image sequence: the optional reference frame, then one frame per
// grid position (w outermost, x innermost), each after a move of the chosen stage and a wait,
// grabbed through the frame grabber (averaged when asked) and written as a BMP file into the
// sequence folder; then the stages go home and the document is saved, read-only, as
// "vMMDDNNN.vsq" beside its frames.
//
// A failed grab, move or write, or Esc answered with OK, ends the sequence early: the frames
// taken so far are kept, and the document is still saved.

#include <functional>
#include <string>
#include <vector>

class CBitmapImage;
class CDevices;
class CFgBoard;
class CVidSeqDoc;

class CVidSeqAcquisition {
  public:
    static constexpr const char* kTerminateQuestion = "Terminate image sequence acquisition?";

    // `root` is the data root the sequence folder (doc.seqDir) lies in.
    CVidSeqAcquisition(CVidSeqDoc& doc, CDevices& devices, std::string root);

    // Asked between frames whether Esc was pressed (empty: never).
    std::function<bool()> escapePressed;
    // Progress for the status line ("Acquiring 'Before' image to file ... ").
    std::function<void(const std::string&)> showProgress;
    // The wait cursor for the length of the acquisition.
    std::function<void(bool)> showBusy;

    // Acquires and saves. False when nothing was acquired (a read-only or loaded document, no
    // sequence folder) or the document could not be saved; the user has been told.
    bool Run();
    // The frames ended before the grid did (a failure or Esc).
    bool EndedEarly() const { return endedEarly; }
    // The full path of the saved document and of every image written, in order.
    const std::string& DocumentPath() const { return documentPath; }
    const std::vector<std::string>& FilesWritten() const { return written; }

    // Grabs `count` frames and averages them pixel by pixel into `image` (palette and size of
    // the first). False when a grab failed (the grabber has shown why).
    static bool GrabAveraged(CFgBoard& grabber, int count, CBitmapImage& image);

  private:
    bool MoveTool(const class CDVector4& position);
    bool TakeFrame(const std::string& name, int count);
    void Progress(const std::string& text);

    CVidSeqDoc& doc;
    CDevices& devices;
    std::string root;
    std::string folder;
    std::string documentPath;
    std::vector<std::string> written;
    bool moveTool = true;
    bool endedEarly = false;
};
