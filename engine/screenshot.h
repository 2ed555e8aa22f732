// Saving the picture of a frame as PNG (the --screenshot option and tests).
#pragma once

#include <string>

namespace eng {

// Asks for the final frame of the run to be written to `path` at shut-down (every path asked for
// gets the same frame).
void ScreenshotRequest(const std::string& path);
// Asks for the next frame drawn to be written to `path` (a moment of the run); a capture that the
// run ends before is written with the final frame.
void ScreenshotCaptureNext(const std::string& path);
// Whether a capture waits for the next frame (so that a frame that would be skipped is drawn).
bool ScreenshotPending();
// Called by ScreenFlush before presenting: writes the back buffer for the captures waiting. A
// capture that cannot be written is reported as an output failure and ends the loop (EngineExit).
void ScreenshotCaptureFrame();
// At shut-down, while the context still exists: draws one more frame of the final state and
// writes it for the final requests and the captures still waiting. Returns false when writing
// failed, which is reported as an output failure (the message names the file; the program's
// status is then 1).
bool ScreenshotWriteFinal();
// Reads the back buffer (RGBA, bottom row first) and writes it to `path` now; false with
// "cannot write PATH: reason".
bool ScreenshotSaveBackBuffer(const std::string& path, std::string* error);

// Back to the state at process start (tests).
void ScreenshotReset();

}  // namespace eng
