// The restore info file on disk, as the restore reads it first.
#pragma once
#include <string>

#include "logic/InfoFileFormat.h"

// Reads the info file at path (or, when that does not open, at path + ".split"); true
// when it was read and parsed whole (the three fields, and the name and checksum lines
// when it has them), and only then is info valid. The original name is then in the
// process's code page: the exact name where the file has it and the process can spell
// it, else the first field read in the legacy code page.
bool ReadRestoreInfo(std::string path, RestoreInfo& info);

// Whether a file stands at path or at path + ".split", where the restore looks for the
// info file: a restore or a check that finds neither has nothing to start.
bool InfoFileExists(const std::string& path);
