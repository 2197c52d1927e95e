#include "framework/LongFileName.h"

#include <windows.h>

bool FindLongFileName(const std::string& path, std::string& longName) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  longName = found.cFileName;
  return true;
}
