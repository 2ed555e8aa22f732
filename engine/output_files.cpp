// Output files: the early check of where they go, and the failure flag that sets the exit status.
#include "engine/output_files.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace eng {

namespace {

struct OutputFilesState {
  bool failed = false;
};

OutputFilesState g_output;

}  // namespace

std::string OutputPathProblem(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty()) return "cannot write a file without a name";
  std::error_code ec;
  const fs::path file(path);
  if (fs::is_directory(file, ec)) return "cannot write " + path + ": it is a folder";
  fs::path folder = file.parent_path();
  if (folder.empty()) return {};  // the working directory, which exists
  if (!fs::exists(folder, ec)) return "cannot write " + path + ": there is no folder " + folder.string();
  if (!fs::is_directory(folder, ec)) return "cannot write " + path + ": " + folder.string() + " is not a folder";
  return {};
}

void ReportOutputFailure(const std::string& message) {
  std::fprintf(stderr, "tessera: %s\n", message.c_str());
  g_output.failed = true;
}

bool OutputFailed() { return g_output.failed; }

void OutputFilesReset() { g_output = OutputFilesState{}; }

}  // namespace eng
