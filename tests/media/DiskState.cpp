#include "DiskState.h"

#include <algorithm>
#include <cstdint>
#include <windows.h>

#include "framework/Texts.h"

namespace {

// 64-bit FNV-1a over the bytes, continued from hash.
uint64_t Hash(const char* bytes, size_t count, uint64_t hash = 14695981039346656037ull) {
  for (size_t index = 0; index < count; ++index)
    hash = (hash ^ static_cast<unsigned char>(bytes[index])) * 1099511628211ull;
  return hash;
}

std::string Entry(const std::string& name, uint64_t length, const std::string& checksum) {
  return fw::Format("%s %llu %s", name.c_str(), static_cast<unsigned long long>(length), checksum.c_str());
}

void AddState(const std::string& folder, const std::string& prefix, std::vector<std::string>& state) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      state.push_back(prefix + name + '\\');
      AddState(folder + '\\' + name, prefix + name + '\\', state);
    } else {
      uint64_t length = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
      state.push_back(Entry(prefix + name, length, Checksum(folder + '\\' + name)));
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
}

}  // namespace

std::string Checksum(const std::string& path) {
  // Others may hold the file open for writing (the job that wrote it, not yet ended).
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "unreadable";
  uint64_t hash = Hash(nullptr, 0);
  std::vector<char> block(65536);
  DWORD count = 0;
  while (ReadFile(file, block.data(), 65536, &count, nullptr) && count > 0)
    hash = Hash(block.data(), count, hash);
  CloseHandle(file);
  return fw::Format("%016llx", static_cast<unsigned long long>(hash));
}

std::vector<std::string> FolderState(const std::string& folder) {
  std::vector<std::string> state;
  AddState(folder, "", state);
  std::sort(state.begin(), state.end());
  return state;
}

std::string StateEntry(const std::string& name, const std::string& content) {
  return Entry(name, content.size(),
               fw::Format("%016llx", static_cast<unsigned long long>(Hash(content.data(), content.size()))));
}
