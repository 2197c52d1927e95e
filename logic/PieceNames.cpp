#include "logic/PieceNames.h"

#include "logic/Letters.h"

std::string FileNameOf(const std::string& path, unsigned codePage) {
  size_t slash = FindLastLetter(path, "\\/:", codePage);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path, unsigned codePage) {
  std::string folder = path.substr(0, path.size() - FileNameOf(path, codePage).size());
  if (EndsWithLetter(folder, '\\', codePage) || EndsWithLetter(folder, '/', codePage)) folder.pop_back();
  return folder;
}

std::string BaseNameOf(const std::string& path, unsigned codePage) {
  std::string name = FileNameOf(path, codePage);
  return name.substr(0, name.size() - ExtensionOf(name, codePage).size());
}

std::string ExtensionOf(const std::string& path, unsigned codePage) {
  std::string name = FileNameOf(path, codePage);
  size_t dot = FindLastLetter(name, ".", codePage);
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string PieceDigits(uint32_t index) {
  return {static_cast<char>('0' + index / 100 % 10), static_cast<char>('0' + index / 10 % 10),
          static_cast<char>('0' + index % 10)};
}

namespace {
std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + '\\' + name;
}
}  // namespace

std::string PiecePath(const std::string& folder, const std::string& baseName, uint32_t index) {
  return InFolder(folder, baseName + '.' + PieceDigits(index));
}

std::string RepairFilePath(const std::string& folder, const std::string& baseName) {
  return InFolder(folder, baseName + ".Fix");
}

std::string NormalizeDestination(std::string destination, unsigned codePage) {
  while (EndsWithLetter(destination, '\\', codePage)) destination.pop_back();
  return destination;
}

bool IsFloppyDestination(const std::string& destination) {
  if (destination.size() < 2 || destination[1] != ':') return false;
  char drive = destination[0];
  return drive == 'a' || drive == 'A' || drive == 'b' || drive == 'B';
}
