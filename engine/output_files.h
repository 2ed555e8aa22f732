// Files the user asked the program to write (a screenshot, a recording, a state dump): where they
// go is checked before the run starts, and a failure to write one ends the run with a failure
// status, naming the file, instead of going unnoticed at the end of a long run.
#pragma once

#include <string>

namespace eng {

// Why `path` cannot become a file, or "" when it may: its folder is missing or is no folder, or
// the path names a folder. Nothing is created.
std::string OutputPathProblem(const std::string& path);

// Says "tessera: MESSAGE" on standard error (the message names the file) and marks the run as
// failed.
void ReportOutputFailure(const std::string& message);
// Whether an output file failed since start (the program then ends with status 1).
bool OutputFailed();

// Back to the state at process start (tests).
void OutputFilesReset();

}  // namespace eng
