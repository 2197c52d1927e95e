#include "support/CommandInterpreter.h"

#include <doctest/doctest.h>
#include <windows.h>

#include "support/TestFiles.h"

namespace {

std::string Converted(const std::string& text, unsigned from, unsigned to) {
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(from, 0, text.data(), length, wide.data(), wideLength);
  const int convertedLength =
      WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  std::string converted(static_cast<size_t>(convertedLength), '\0');
  WideCharToMultiByte(to, 0, wide.data(), wideLength, converted.data(), convertedLength, nullptr, nullptr);
  return converted;
}

}  // namespace

std::string RunCommandInterpreter(const std::string& command, const std::string& outputPath,
                                  const std::string& currentFolder, DWORD timeoutMs) {
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
  std::string commandLine = "cmd.exe /c \"" + command + "\"";
  PROCESS_INFORMATION process = {};
  // A console of its own that nobody sees, as cmd has under Windows: it prints in the
  // console's code page.
  const char* folder = currentFolder.empty() ? nullptr : currentFolder.c_str();
  BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, folder, &startup, &process);
  CloseHandle(input);
  CloseHandle(output);
  REQUIRE_MESSAGE(started, "cannot run ", commandLine);
  bool ended = WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  CHECK_MESSAGE(ended, "the command did not end: ", commandLine);
  return ReadWholeFile(outputPath);
}

std::string FromUtf8(const std::string& utf8, unsigned codePage) {
  return Converted(utf8, CP_UTF8, codePage);
}

std::string ToUtf8(const std::string& text, unsigned codePage) { return Converted(text, codePage, CP_UTF8); }
