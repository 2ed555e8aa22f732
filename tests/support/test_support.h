// Helpers shared by the test executables: files, scratch folders and child processes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

namespace testsupport {

std::string ReadFile(const std::filesystem::path& path);
std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& text);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// A fresh, empty folder under the build tree's scratch area, named after the running test.
std::filesystem::path ScratchDir();

struct ProcessResult {
  int status = -1;        // exit status; 128 + signal when killed by a signal; -1 not started
  bool timedOut = false;
  std::string out;
  std::string err;
};

// Makes `dir` a working directory for whole-game runs: the folders (Data/ and maps/ unless told
// otherwise) link to the game content the build generated (TESSERA_GAME_DIR).
void LinkGameContent(const std::filesystem::path& dir,
                     std::initializer_list<const char*> folders = {"Data", "maps"});

// Runs a program with arguments in a working directory and waits (up to timeoutSeconds).
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                         int timeoutSeconds = 120);

// Path of an executable of the build (build/bin/NAME).
std::filesystem::path BinPath(const std::string& name);

}  // namespace testsupport
