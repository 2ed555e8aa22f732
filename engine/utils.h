// Modal error and warning boxes; each also writes a log line.
#pragma once

#include <string>

namespace eng {

// Box captioned "ERROR!", then the log line "ERROR: " + text.
void ErrorBox(const std::string& text);
// Box captioned "WARNING!", then the log line "WARNING: " + text.
void WarningBox(const std::string& text);

}  // namespace eng
