// Saving the picture of a frame as PNG (the --screenshot option and tests).
#pragma once

#include <string>

namespace eng {

// Asks for the final frame of the run to be written to `path` at shut-down.
void ScreenshotRequest(const std::string& path);
// Called by ScreenFlush before presenting: reads the back buffer when a capture is armed.
void ScreenshotCaptureFrame();
// At shut-down, while the context still exists: draws one more frame of the final state and
// writes it. Returns false when writing failed, which is reported as an output failure (the
// message names the file; the program's status is then 1).
bool ScreenshotWriteFinal();
// Reads the back buffer (RGBA, bottom row first) and writes it to `path` now; false with
// "cannot write PATH: reason".
bool ScreenshotSaveBackBuffer(const std::string& path, std::string* error);

}  // namespace eng
