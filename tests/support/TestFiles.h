// Real files for tests: a fresh folder in the temporary folder, removed with all
// its content at the end, and whole-file read and write.
#pragma once
#include <cstdint>
#include <string>

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's path, without a trailing backslash.
  const std::string& Path() const { return path; }
  // The path of name inside the folder.
  std::string operator/(const std::string& name) const { return path + '\\' + name; }

 private:
  std::string path;
};

// The whole content of a file; fails the running test when the file cannot be read.
std::string ReadWholeFile(const std::string& path);
// Creates or replaces a file with this content; fails the running test on an error.
void WriteWholeFile(const std::string& path, const std::string& content);
bool FileExists(const std::string& path);
// Creates or replaces a file of this length whose bytes are never written (the file
// system keeps it sparse); fails the running test on an error.
void MakeSparseFile(const std::string& path, int64_t length);
// The length of a file in bytes, -1 when it cannot be found.
int64_t FileLength(const std::string& path);
// Creates a folder; fails the running test on an error.
void MakeFolder(const std::string& path);
// Removes a folder with all its content, read-only files too; nothing when it is not there.
void RemoveFolderTree(const std::string& path);
