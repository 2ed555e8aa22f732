// Recorded input: a line-based text file of input events, each stamped with the game tick that
// sees it, so that a whole game run can be recorded and replayed exactly.
//
// Format (one event per line; blank lines are ignored, and a word starting with '#' starts a
// comment that runs to the end of the line, also after an event):
//   TICK key_down CODE [repeat] [sys]   a key went down (CODE: PC scan code, decimal or 0x..);
//                                       repeat = auto-repeat, sys = sent while Alt was held
//   TICK key_up CODE [sys]
//   TICK char CODE                      a typed character (8-bit)
//   TICK mouse_move X Y                 cursor at client pixel X, Y
//   TICK mouse_down BUTTON [X Y]        0 left, 1 middle, 2 right
//   TICK mouse_up BUTTON [X Y]
//   TICK wheel DELTA                    positive = away from the user
//   TICK focus_lost | focus_gained | close
// Ticks count from 1, the first game tick. Events with stamp T reach the window procedure just
// before tick T reads the input, as if they had arrived during the loop pass that fires it.
// Stamps must not decrease.
#pragma once

#include <string>
#include <vector>

#include "engine/platform/platform.h"

namespace eng {

struct StampedEvent {
  long tick = 0;
  platform::Event event;
};

// Parses a recording; false with "LINE: reason" in error.
bool InputStreamParse(const std::string& text, std::vector<StampedEvent>* events, std::string* error);
// One line of the format for an event (no stamp, no newline); empty for non-input events.
std::string InputStreamFormat(const platform::Event& event);

// Replays the events of the file; live input (keys, characters, mouse, focus) is then ignored.
bool InputStreamOpenReplay(const std::string& path, std::string* error);
// Records every input event that reaches the window procedure into the file; false with "cannot
// write PATH: reason" when it cannot be created. A later write that fails is an output failure
// and ends the run.
bool InputStreamOpenRecord(const std::string& path, std::string* error);
// Marks the start of a game tick: delivers the replayed events stamped with it.
void InputStreamTickBegin();
// The number of game ticks begun.
long InputStreamTick();
// Whether a live event from the system should reach the window procedure: not in replay (for
// input events) and never a focus change when headless (nobody sits at a virtual display).
bool InputStreamAcceptsLiveEvent(const platform::Event& event);
// Appends an input event to the recording, stamped with the tick that will see it.
void InputStreamRecord(const platform::Event& event);
void InputStreamClose();

// Back to the state at process start (tests).
void InputStreamReset();

}  // namespace eng
