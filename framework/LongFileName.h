// The file system's own name for the last component of a path: the long name
// that Explorer shows for a short (8.3) one. Kept apart from the command-line
// parser, which is plain text work, because it asks the file system.
#pragma once
#include <string>

// True and the name when the file or folder that path names exists; false when
// the file system cannot name it.
bool FindLongFileName(const std::string& path, std::string& longName);
