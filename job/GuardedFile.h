// Creation of every output file of the workers, with the overwrite question.
#pragma once
#include <string>
#include <windows.h>

#include "framework/File.h"

// Opens path for writing, created new or cut to length 0, in the mode given (with no
// sharing unless the caller reads it back while writing it). An existing
// file is overwritten only after the user said Yes to text 144; every failure is told
// to the user (text 145) here, so a caller needs only the result. The owner (the progress
// dialog) is sent WM_ANIMATION_STOP before each box and WM_ANIMATION_PLAY after a Yes.
// Returns true when file is open for writing.
bool CreateFileGuarded(std::string path, fw::File& file, HWND owner,
                       fw::File::Mode mode = fw::File::CREATE_EXCLUSIVE);
