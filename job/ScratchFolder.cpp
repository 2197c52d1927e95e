#include "job/ScratchFolder.h"

#include <windows.h>

#include "framework/Texts.h"

bool ScratchFolder::Make() {
  if (!path.empty()) return true;
  char temp[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return false;
  // The process and the clock name it: two jobs of one process start at different ticks.
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = fw::Format("%sParvola95-%lu-%lu", temp, GetCurrentProcessId(), GetTickCount() + attempt);
    if (CreateDirectoryA(candidate.c_str(), nullptr)) {
      path = candidate;
      return true;
    }
  }
  return false;
}

ScratchFolder::~ScratchFolder() {
  if (path.empty()) return;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileA((path + '\\' + entry.cFileName).c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}
