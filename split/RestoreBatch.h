// The restore batch file on disk: destination\base.Bat, which joins the pieces
// again without the program.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <windows.h>

#include "logic/BatchScript.h"

// What became of the batch file.
enum class BatchFileResult {
  WRITTEN,  // created, written and closed
  FAILED,   // refused or failed; a refused or failed creation was told to the user
  // Not written, as a script that fails would be: the command interpreter reads batch
  // files in the system's OEM code page, which lacks a letter of the name's extension.
  NAME_UNREADABLE,
};

// The batch file's bytes for the pieces of sourcePath (its base name baseName), in the OEM
// code page, in which the command interpreter reads it; none when that code page cannot
// spell the name's extension (NAME_UNREADABLE).
std::optional<std::string> RestoreBatchScript(const std::string& sourcePath, const std::string& baseName,
                                              int32_t pieceCount);

// Writes the batch file's bytes (RestoreBatchScript; none: NAME_UNREADABLE) as
// destination\baseName.Bat (destination without a trailing backslash); owner is passed on
// to the guarded creation.
BatchFileResult WriteRestoreBatch(const std::optional<std::string>& script, const std::string& destination,
                                  const std::string& baseName, HWND owner);
