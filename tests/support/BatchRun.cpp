#include "support/BatchRun.h"

#include <doctest/doctest.h>

#include "support/TestFiles.h"

std::string RunBatch(const std::string& batch, const std::string& source, const std::string& destination,
                     const std::string& outputPath, DWORD timeoutMs) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE input = CreateFileA("NUL", GENERIC_READ, sharing, &inherit, OPEN_EXISTING, 0, nullptr);
  HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0,
                              nullptr);
  REQUIRE(input != INVALID_HANDLE_VALUE);
  REQUIRE(output != INVALID_HANDLE_VALUE);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = output;
  std::string command = "cmd.exe /c \"\"" + batch + "\" " + source + "\\ " + destination + "\\\"";
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                nullptr, &startup, &process);
  CloseHandle(input);
  CloseHandle(output);
  REQUIRE_MESSAGE(started, "cannot run ", command);
  bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CHECK_MESSAGE(ended, "the script did not end: ", command);
  return ReadWholeFile(outputPath);
}
