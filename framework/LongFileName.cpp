#include "framework/LongFileName.h"

#include <windows.h>

#include "framework/CodePages.h"

// The wide call, where the system has it (Windows 95, 98 and ME export a stub that
// fails): the file name of the answer's narrow form has room for 259 bytes, which a
// UTF-8 process's long names may exceed.
bool FindLongFileName(const std::string& path, std::string& longName) {
  WIN32_FIND_DATAW wideFound;
  HANDLE search = FindFirstFileW(fw::ToWide(path).c_str(), &wideFound);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    return fw::FromWide(wideFound.cFileName, longName);
  }
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return false;
  WIN32_FIND_DATAA found;
  search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  longName = found.cFileName;
  return true;
}
