#include "hw/fg/FileGrabber.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "hw/Bmp.h"
#include "hw/FgBoard.h"
#include "platform/AtomicFile.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/RootDirectory.h"

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

void Copy(const CBitmapImage& image, int bytesPerPixel, uint8_t* buffer) {
    const size_t pixels = static_cast<size_t>(image.width) * image.height;
    const uint8_t* in = image.pixels.data();
    if (bytesPerPixel == 1) {
        if (image.bitsPerPixel == 8) {
            std::memcpy(buffer, in, pixels);
        } else {
            for (size_t i = 0; i < pixels; ++i, in += 3)
                buffer[i] = static_cast<uint8_t>((in[0] + in[1] + in[2]) / 3);
        }
    } else if (image.bitsPerPixel == 8) {
        for (size_t i = 0; i < pixels; ++i, buffer += 3)
            buffer[0] = buffer[1] = buffer[2] = in[i];
    } else {
        std::memcpy(buffer, in, pixels * 3);
    }
}

}  // namespace

bool GrabFromTransferFolder(const std::string& folder, int width, int height, int bytesPerPixel,
                            uint8_t* buffer) {
    const std::string imagePath = JoinPath(folder, "velmimg.bmp");
    const std::string requestPath = JoinPath(folder, "velmresp.txt");

    // An old image left in place would be taken for the answer to this request.
    if (::unlink(imagePath.c_str()) != 0 && errno != ENOENT) {
        Prompt().Message(StrPrintf("CFgBoard::GetImage() - Couldn't delete the old image file %s "
                                   "(%s); no image was requested.",
                                   imagePath.c_str(), strerror(errno)),
                         EPromptIcon::Stop);
        return false;
    }
    std::string error;
    if (!WriteFileAtomic(requestPath, "Get Image", &error)) {
        // Nobody can answer a request that was never written: say so now, not after 30 s.
        Prompt().Message(StrPrintf("CFgBoard::GetImage() - Couldn't write the image request %s "
                                   "(%s).\n\nThe file-based frame grabber needs the folder %s.",
                                   requestPath.c_str(), error.c_str(), folder.c_str()),
                         EPromptIcon::Stop);
        return false;
    }

    const uint64_t deadline = Clock().Ticks() + CFgBoard::kFileWaitMs;
    CBitmapImage image;
    for (;;) {
        if (Exists(imagePath)) {
            SBmpStatus status = ReadBmpFile(imagePath, image);
            if (status.Ok()) break;
            // The outside program may still be writing the file: wait for the rest of it.
            if (status.error != EBmpError::Truncated || Clock().Ticks() >= deadline) {
                const bool fileFailed =
                    status.error == EBmpError::Open || status.error == EBmpError::Read;
                Prompt().Message(fileFailed ? "CFgBoard::GetImage() - Error opening file"
                                            : "CFgBoard::GetImage() - Couldn't load DIB",
                                 EPromptIcon::Stop);
                return false;
            }
        } else if (Clock().Ticks() >= deadline) {
            Prompt().Message("CFgBoard::GetImage() timeout error waiting for file " + imagePath,
                             EPromptIcon::Stop);
            return false;
        }
        Clock().WaitTicks(CFgBoard::kFilePollMs);
    }

    if (image.width != width || image.height != height) {
        Prompt().Message(StrPrintf("Frame Grabber image size (%d x %d) is different from image "
                                   "file size (%d,%d).",
                                   width, height, image.width, image.height),
                         EPromptIcon::Exclamation);
        return false;
    }
    Copy(image, bytesPerPixel, buffer);
    return true;
}
