// Modal error and warning boxes.
#include "engine/utils.h"

#include "engine/log.h"
#include "engine/platform/platform.h"

namespace eng {

void ErrorBox(const std::string& text) {
  platform::MessageBox("ERROR!", text, true);
  LogAdd("ERROR: " + text);
}

void WarningBox(const std::string& text) {
  platform::MessageBox("WARNING!", text, false);
  LogAdd("WARNING: " + text);
}

}  // namespace eng
