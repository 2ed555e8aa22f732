// The one error that leaves the game's start-up: a data file that cannot be used at all (a number
// that does not convert, a missing map, an MD2 file with a wrong identifier). Loaders throw it; the
// program entry catches it, shows the message with the file and line, and exits non-zero.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace game {

class FatalError : public std::runtime_error {
 public:
  // `line` counts from 1; 0 means the error belongs to the file as a whole.
  FatalError(const std::string& message, std::string file, int line)
      : std::runtime_error(message), file_(std::move(file)), line_(line) {}

  const std::string& File() const { return file_; }
  int Line() const { return line_; }
  // "FILE(LINE): MESSAGE", or "FILE: MESSAGE" without a line: what the user is shown.
  std::string Describe() const {
    std::string where = file_;
    if (line_ > 0) where += "(" + std::to_string(line_) + ")";
    return where.empty() ? std::string(what()) : where + ": " + what();
  }

 private:
  std::string file_;
  int line_;
};

}  // namespace game
