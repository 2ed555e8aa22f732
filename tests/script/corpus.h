// The script test corpus: programs under tests/script/programs/<group>/, each NAME.pas with
// NAME.out (expected standard output) and, when the run does not succeed, NAME.status (1: does
// not compile, 2: run-time error) and NAME.err (the first line of standard error).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corpus {

inline std::filesystem::path ProgramsDir() {
  return std::filesystem::path(TESSERA_SOURCE_DIR) / "tests" / "script" / "programs";
}

// Relative names ("strings/copy_edges") of every program, sorted.
std::vector<std::string> AllPrograms();
// Expected exit status of a program (0 when it has no .status file).
int ExpectedStatus(const std::string& name);
// True when the program's first line says it uses what Free Pascal lacks ("nofpc").
bool SkipsFreePascal(const std::string& name);
// gtest-safe test name ("strings_copy_edges").
std::string TestName(const std::string& name);

}  // namespace corpus
