// Recorded input.
#include "engine/input_stream.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <sstream>

#include "engine/application.h"
#include "engine/data_file.h"
#include "engine/main.h"
#include "engine/output_files.h"

namespace eng {

namespace {

struct InputStreamState {
  bool replaying = false;
  std::vector<StampedEvent> events;
  size_t next = 0;
  std::FILE* record = nullptr;
  std::string recordPath;
  long tick = 0;  // game ticks begun
  bool delivering = false;  // replayed events of the current tick are reaching the window procedure
};

InputStreamState g_stream;

bool IsInputEvent(platform::EventType type) {
  using platform::EventType;
  switch (type) {
    case EventType::KeyDown:
    case EventType::KeyUp:
    case EventType::Char:
    case EventType::MouseDown:
    case EventType::MouseUp:
    case EventType::MouseWheel:
    case EventType::MouseMove:
    case EventType::FocusLost:
    case EventType::FocusGained:
      return true;
    default:
      return false;
  }
}

bool ParseInt(const std::string& word, long* value) {
  if (word.empty()) return false;
  try {
    size_t used = 0;
    *value = std::stol(word, &used, 0);
    return used == word.size();
  } catch (...) {
    return false;
  }
}

std::string Hex(int code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%02X", code & 0xFF);
  return buffer;
}

}  // namespace

bool InputStreamParse(const std::string& text, std::vector<StampedEvent>* events, std::string* error) {
  using platform::EventType;
  events->clear();
  std::istringstream in(text);
  std::string line;
  long lineNo = 0;
  long lastTick = 0;
  auto fail = [&](const std::string& why) {
    *error = std::to_string(lineNo) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::vector<std::string> w;
    // A word that starts with '#' starts a comment, on a line of its own or after an event.
    for (std::string word; words >> word && word[0] != '#';) w.push_back(word);
    if (w.empty()) continue;
    StampedEvent se;
    if (!ParseInt(w[0], &se.tick) || se.tick < 1) return fail("a tick number from 1 up expected");
    if (se.tick < lastTick) return fail("ticks must not decrease");
    lastTick = se.tick;
    if (w.size() < 2) return fail("an event name expected");
    const std::string& name = w[1];
    platform::Event& ev = se.event;
    long a = 0, b = 0;
    size_t flagsFrom = 0;
    if (name == "key_down" || name == "key_up") {
      ev.type = name == "key_down" ? EventType::KeyDown : EventType::KeyUp;
      if (w.size() < 3 || !ParseInt(w[2], &a) || a < 1 || a > 255) return fail("a key code 1..255 expected");
      ev.code = static_cast<int>(a);
      flagsFrom = 3;
    } else if (name == "char") {
      ev.type = EventType::Char;
      if (w.size() != 3 || !ParseInt(w[2], &a) || a < 0 || a > 255) return fail("a character code 0..255 expected");
      ev.code = static_cast<int>(a);
    } else if (name == "mouse_move") {
      ev.type = EventType::MouseMove;
      if (w.size() != 4 || !ParseInt(w[2], &a) || !ParseInt(w[3], &b)) return fail("mouse_move X Y expected");
      ev.x = static_cast<int>(a);
      ev.y = static_cast<int>(b);
    } else if (name == "mouse_down" || name == "mouse_up") {
      ev.type = name == "mouse_down" ? EventType::MouseDown : EventType::MouseUp;
      if ((w.size() != 3 && w.size() != 5) || !ParseInt(w[2], &a) || a < 0 || a > 2)
        return fail("a button 0..2 (and optionally X Y) expected");
      ev.code = static_cast<int>(a);
      ev.x = -1;  // keep the cursor where it is unless a position is given
      ev.y = -1;
      if (w.size() == 5) {
        if (!ParseInt(w[3], &a) || !ParseInt(w[4], &b)) return fail("X Y expected");
        ev.x = static_cast<int>(a);
        ev.y = static_cast<int>(b);
      }
    } else if (name == "wheel") {
      ev.type = EventType::MouseWheel;
      if (w.size() != 3 || !ParseInt(w[2], &a) || a == 0) return fail("a non-zero wheel delta expected");
      ev.wheel = static_cast<int>(a);
    } else if (name == "focus_lost" || name == "focus_gained" || name == "close") {
      ev.type = name == "focus_lost"     ? EventType::FocusLost
                : name == "focus_gained" ? EventType::FocusGained
                                         : EventType::Close;
      if (w.size() != 2) return fail("no arguments expected after " + name);
    } else {
      return fail("unknown event '" + name + "'");
    }
    if (flagsFrom) {
      for (size_t i = flagsFrom; i < w.size(); ++i) {
        if (w[i] == "repeat" && ev.type == EventType::KeyDown)
          ev.repeat = true;
        else if (w[i] == "sys")
          ev.system = true;
        else
          return fail("unknown key flag '" + w[i] + "'");
      }
    }
    events->push_back(se);
  }
  return true;
}

std::string InputStreamFormat(const platform::Event& ev) {
  using platform::EventType;
  switch (ev.type) {
    case EventType::KeyDown:
      return "key_down " + Hex(ev.code) + (ev.repeat ? " repeat" : "") + (ev.system ? " sys" : "");
    case EventType::KeyUp:
      return "key_up " + Hex(ev.code) + (ev.system ? " sys" : "");
    case EventType::Char:
      return "char " + Hex(ev.code);
    case EventType::MouseMove:
      return "mouse_move " + std::to_string(ev.x) + " " + std::to_string(ev.y);
    case EventType::MouseDown:
    case EventType::MouseUp:
      return std::string(ev.type == EventType::MouseDown ? "mouse_down " : "mouse_up ") +
             std::to_string(ev.code) + " " + std::to_string(ev.x) + " " + std::to_string(ev.y);
    case EventType::MouseWheel:
      return "wheel " + std::to_string(ev.wheel);
    case EventType::FocusLost:
      return "focus_lost";
    case EventType::FocusGained:
      return "focus_gained";
    default:
      return {};
  }
}

bool InputStreamOpenReplay(const std::string& path, std::string* error) {
  std::string text;
  DataFileResult read = ReadDataFile(path, MaxMapFileBytes, &text);
  if (read.Status != DataFileStatus::Ok) {
    *error = "cannot read " + path + ": " + read.Reason;
    return false;
  }
  std::string why;
  bool parsed = false;
  try {
    parsed = InputStreamParse(text, &g_stream.events, &why);
  } catch (const std::bad_alloc&) {
    why = "not enough memory for the events of this recording";
  }
  if (!parsed) {
    // The words quoted from a binary or garbled file must not garble the terminal in turn.
    bool binary = text.find('\0') != std::string::npos;
    *error = path + ":" + PrintableText(why, 200) + (binary ? " (this file holds binary data, not a recording)" : "");
    g_stream.events.clear();
    return false;
  }
  g_stream.replaying = true;
  g_stream.next = 0;
  return true;
}

bool InputStreamOpenRecord(const std::string& path, std::string* error) {
  // Opening a FIFO for writing waits for a reader that may never come.
  std::error_code ec;
  std::filesystem::file_type type = std::filesystem::status(path, ec).type();
  if (type == std::filesystem::file_type::fifo || type == std::filesystem::file_type::socket) {
    *error = "cannot write " + path + ": it is a FIFO or a socket, not a file";
    return false;
  }
  g_stream.record = std::fopen(path.c_str(), "wb");
  if (!g_stream.record) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  g_stream.recordPath = path;
  // Written through at once, so that a device that takes nothing is found before the run.
  if (std::fputs("# Tessera input recording: TICK EVENT [ARGUMENTS]\n", g_stream.record) < 0 ||
      std::fflush(g_stream.record) != 0) {
    *error = "cannot write " + path + ": " + std::strerror(errno);
    std::fclose(g_stream.record);
    g_stream.record = nullptr;
    return false;
  }
  return true;
}

void InputStreamTickBegin() {
  ++g_stream.tick;
  g_stream.delivering = true;
  while (g_stream.replaying && g_stream.next < g_stream.events.size() &&
         g_stream.events[g_stream.next].tick <= g_stream.tick) {
    WindowProc(g_stream.events[g_stream.next++].event);
  }
  g_stream.delivering = false;
}

long InputStreamTick() { return g_stream.tick; }

bool InputStreamAcceptsLiveEvent(const platform::Event& event) {
  using platform::EventType;
  // Headless runs have no one to switch focus or to uncover the window; a repaint request would
  // draw a frame outside the loop's own passes, at a moment the display server chooses, and make
  // fixed-clock runs differ from one another.
  if (platform::IsHeadless() && (event.type == EventType::FocusLost || event.type == EventType::FocusGained ||
                                 event.type == EventType::Paint))
    return false;
  return !(g_stream.replaying && IsInputEvent(event.type));
}

void InputStreamRecord(const platform::Event& event) {
  if (!g_stream.record || !IsInputEvent(event.type)) return;
  // Live events are seen by the next tick; replayed ones by the tick that is starting.
  long stamp = g_stream.delivering ? g_stream.tick : g_stream.tick + 1;
  std::string line = std::to_string(stamp) + " " + InputStreamFormat(event) + "\n";
  if (std::fputs(line.c_str(), g_stream.record) < 0 || std::fflush(g_stream.record) != 0) {
    // A recording with a hole in it replays something else: the run ends here.
    ReportOutputFailure("cannot write " + g_stream.recordPath + ": " + std::strerror(errno));
    std::fclose(g_stream.record);
    g_stream.record = nullptr;
    EngineExit();
  }
}

void InputStreamClose() {
  if (g_stream.record && std::fclose(g_stream.record) != 0)
    ReportOutputFailure("cannot write " + g_stream.recordPath + ": " + std::strerror(errno));
  g_stream.record = nullptr;
}

void InputStreamReset() {
  InputStreamClose();
  g_stream = InputStreamState{};
}

}  // namespace eng
