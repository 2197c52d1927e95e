// The restore batch file run as a user runs it: under the command interpreter, with
// the folder of the pieces and the folder of the rebuilt file as its arguments.
#pragma once
#include <string>
#include <windows.h>

// Runs the batch file with cmd /c, standard input empty, and waits up to timeoutMs
// (the test fails and the script is ended when it takes longer); returns what the
// script printed, which it writes to outputPath on the way.
std::string RunBatch(const std::string& batch, const std::string& source, const std::string& destination,
                     const std::string& outputPath, DWORD timeoutMs = 60000);
