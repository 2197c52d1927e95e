// The restore batch file on disk: destination\base.Bat, which joins the pieces
// again without the program.
#pragma once
#include <cstdint>
#include <string>
#include <windows.h>

#include "logic/BatchScript.h"

// Writes the batch file for the pieces of sourcePath in destination (no trailing
// backslash); owner is passed on to the guarded creation. True when the file was
// created, written and closed.
bool WriteRestoreBatch(std::string sourcePath, std::string destination, std::string baseName,
                       int32_t pieceCount, HWND owner);
