#pragma once
// The file-based grabber: an outside program supplies each image through the transfer folder.
// The request deletes the old "velmimg.bmp", writes "Get Image" into "velmresp.txt" and waits
// (through Clock()) up to 30 s for a new "velmimg.bmp" of the grabber's size.

#include <cstdint>
#include <string>

// Fills `buffer` (width x height, bottom row first, 1 or 3 bytes per pixel). False after a
// message that says why.
bool GrabFromTransferFolder(const std::string& folder, int width, int height, int bytesPerPixel,
                            uint8_t* buffer);
