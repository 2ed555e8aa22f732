// The one error that ends the program at start-up: a data file the game cannot go on without
// (an unconvertible number, a missing map). Thrown by the loaders, caught once by the game entry,
// which shows the message and ends with a non-zero status.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace game {

class FatalError : public std::runtime_error {
 public:
  // `message` is the text the user sees; `file` and `line` say where it was found (line 0: the
  // file as a whole).
  FatalError(const std::string& message, std::string file = {}, int line = 0)
      : std::runtime_error(message), file_(std::move(file)), line_(line) {}

  const std::string& file() const { return file_; }
  int line() const { return line_; }

 private:
  std::string file_;
  int line_ = 0;
};

}  // namespace game
