#include "support/TestFiles.h"

#include <doctest/doctest.h>
#include <windows.h>

#include "framework/Texts.h"

void RemoveFolderTree(const std::string& path) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string inner = path + '\\' + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolderTree(inner);
      } else {
        SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(inner.c_str());
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

TempFolder::TempFolder() {
  static unsigned counter = 0;
  char temp[MAX_PATH];
  DWORD length = GetTempPathA(sizeof(temp), temp);
  REQUIRE((length > 0 && length < sizeof(temp)));
  path = fw::Format("%sparvola-test-%lu-%u", temp, GetCurrentProcessId(), ++counter);
  RemoveFolderTree(path);
  REQUIRE(CreateDirectoryA(path.c_str(), nullptr));
}

TempFolder::~TempFolder() { RemoveFolderTree(path); }

std::string ReadWholeFile(const std::string& path) {
  // Others may still hold the file open for writing (a console that inherited it).
  const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
  REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "cannot open ", path, ", error ", GetLastError());
  std::string content;
  char block[65536];
  DWORD count = 0;
  while (ReadFile(file, block, sizeof(block), &count, nullptr) && count > 0) content.append(block, count);
  CloseHandle(file);
  return content;
}

void WriteWholeFile(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "cannot create ", path);
  DWORD written = 0;
  BOOL wrote = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  REQUIRE((wrote && written == content.size()));
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolder(const std::string& path) { REQUIRE(CreateDirectoryA(path.c_str(), nullptr)); }

void MakeSparseFile(const std::string& path, int64_t length) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "cannot create ", path);
  LARGE_INTEGER end;
  end.QuadPart = length;
  bool made = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  REQUIRE_MESSAGE(made, "cannot make ", path, " ", length, " bytes long");
}

int64_t FileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes)) return -1;
  return static_cast<int64_t>(static_cast<uint64_t>(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow);
}
