#include "native/FakeLongFileNames.h"

#include <map>

#include "framework/LongFileName.h"

namespace {

std::map<std::string, std::string> longNames;
std::vector<std::string> queries;

}  // namespace

void SetFakeLongFileName(const std::string& path, const std::string& longName) { longNames[path] = longName; }

void ClearFakeLongFileNames() {
  longNames.clear();
  queries.clear();
}

const std::vector<std::string>& FakeLongFileNameQueries() { return queries; }

bool FindLongFileName(const std::string& path, std::string& longName) {
  queries.push_back(path);
  auto found = longNames.find(path);
  if (found == longNames.end()) return false;
  longName = found->second;
  return true;
}
