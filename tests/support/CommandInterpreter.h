// Runs the system's command interpreter as a user's console would, for the tests of
// the restore batch file, and converts between the code pages it deals in.
#pragma once
#include <string>
#include <windows.h>

// Runs cmd.exe /c with the command (quoted as a whole once more, as cmd wants it) in
// currentFolder (the test's own when empty), with empty input and its output and
// errors going to outputPath; waits up to timeoutMs (a minute) for it to end and
// returns what it printed, in the console's code page. The test fails when it does
// not end.
std::string RunCommandInterpreter(const std::string& command, const std::string& outputPath,
                                  const std::string& currentFolder = std::string(), DWORD timeoutMs = 60000);

// UTF-8 text in another code page (CP_ACP, the console's, ...), and back.
std::string FromUtf8(const std::string& utf8, unsigned codePage);
std::string ToUtf8(const std::string& text, unsigned codePage);
