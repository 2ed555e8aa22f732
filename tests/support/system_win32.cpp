// Test helpers that differ by system: the Windows side (copies for links, child processes through
// CreateProcess, program paths with ".exe").
#define NOMINMAX
#undef APIENTRY
#undef WINGDIAPI
#undef CALLBACK
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/test_support.h"

namespace testsupport {

namespace {

// Quotes one argument the way the C runtime splits a command line back into arguments.
std::string Quote(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) return arg;
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') out.append(backslashes * 2 + 1, '\\');
    else out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

void Drain(HANDLE pipe, std::string* into) {
  char buffer[4096];
  DWORD n = 0;
  while (::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) into->append(buffer, n);
}

// Console programs write CR LF for every line break on Windows; the expectations are written
// with LF alone.
std::string WithoutCarriageReturns(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

}  // namespace

// Symbolic links need a privilege that test accounts rarely have: the folders are copied.
void LinkGameContent(const std::filesystem::path& dir, std::initializer_list<const char*> folders) {
  const std::filesystem::path game(TESSERA_GAME_DIR);
  for (const char* folder : folders) {
    std::error_code ec;
    std::filesystem::copy(game / folder, dir / folder, std::filesystem::copy_options::recursive, ec);
    EXPECT_FALSE(ec) << "cannot copy " << (game / folder) << ": " << ec.message();
  }
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::filesystem::path& cwd,
                         int timeoutSeconds) {
  ProcessResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
  if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0))
    return result;
  SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

  std::string commandLine;
  for (const std::string& a : argv) commandLine += (commandLine.empty() ? "" : " ") + Quote(a);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = outWrite;
  startup.hStdError = errWrite;
  PROCESS_INFORMATION process{};
  std::string dir = cwd.string();
  BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                dir.c_str(), &startup, &process);
  CloseHandle(outWrite);
  CloseHandle(errWrite);
  if (!started) {
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
  }
  std::thread outReader(Drain, outRead, &result.out);
  std::thread errReader(Drain, errRead, &result.err);
  DWORD waited = WaitForSingleObject(process.hProcess, static_cast<DWORD>(timeoutSeconds) * 1000);
  if (waited == WAIT_TIMEOUT) {
    result.timedOut = true;
    TerminateProcess(process.hProcess, 137);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  outReader.join();
  errReader.join();
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  result.status = static_cast<int>(code);
  result.out = WithoutCarriageReturns(result.out);
  result.err = WithoutCarriageReturns(result.err);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  CloseHandle(outRead);
  CloseHandle(errRead);
  return result;
}

std::filesystem::path BinPath(const std::string& name) {
  return std::filesystem::path(TESSERA_BIN_DIR) / (name + ".exe");
}

}  // namespace testsupport
