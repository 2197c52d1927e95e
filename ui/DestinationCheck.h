// The check of a destination folder that the Files page and the restore dialog make.
#pragma once
#include <string>

#include "framework/File.h"

// Whether a destination folder can be used. One trailing backslash is removed
// from the text (A:\ becomes A:); then "\dummy.dmy" inside it is opened for
// reading, creating nothing. Only a bad path (a folder or drive that does not
// exist, a malformed name, a file in place of a folder) counts against it: a
// drive without a disk or a denied access does not.
bool IsUsableDestination(std::string& folder, fw::File::Mode probeMode);
