// The name rules fed any path in any of the code pages the program may run in: the
// file name is what follows the last separator letter and holds none, the folder and
// the file name make the path again, the base name and the extension the file name,
// and every cut falls between letters; the path's head and tail that the progress
// window shows are its own first and last letters.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>

#include "fuzz/Require.h"
#include "logic/Letters.h"
#include "logic/PieceNames.h"

namespace {

constexpr unsigned CODE_PAGES[] = {1252, 850, 932, 936, 949, 950, UTF8_CODE_PAGE};

// Whether a letter of the text starts at this position.
bool StartsLetter(const std::string& text, size_t position, unsigned codePage) {
  size_t at = 0;
  while (at < position) at += LetterLength(text, at, codePage);
  return at == position;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const unsigned codePage = input.PickValueInArray(CODE_PAGES);
  const std::string path = input.ConsumeRemainingBytesAsString();

  const std::string name = FileNameOf(path, codePage);
  REQUIRE_PROPERTY(path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0);
  REQUIRE_PROPERTY(StartsLetter(path, path.size() - name.size(), codePage));
  REQUIRE_PROPERTY(FindLetter(name, "\\/:", codePage) == std::string::npos);

  const std::string folder = FolderOf(path, codePage);
  REQUIRE_PROPERTY(path.rfind(folder, 0) == 0);
  const size_t between = path.size() - name.size() - folder.size();
  REQUIRE_PROPERTY(between <= 1);
  if (between == 1) REQUIRE_PROPERTY(path[folder.size()] == '\\' || path[folder.size()] == '/');

  const std::string base = BaseNameOf(path, codePage), extension = ExtensionOf(path, codePage);
  REQUIRE_PROPERTY(base + extension == name);
  REQUIRE_PROPERTY(extension.empty() || (extension[0] == '.' && StartsLetter(name, base.size(), codePage)));
  REQUIRE_PROPERTY(FindLetter(extension.empty() ? std::string() : extension.substr(1), ".", codePage) ==
                   std::string::npos);

  const std::string destination = NormalizeDestination(path, codePage);
  REQUIRE_PROPERTY(path.rfind(destination, 0) == 0 && !EndsWithLetter(destination, '\\', codePage));
  REQUIRE_PROPERTY(path.find_first_not_of('\\', destination.size()) == std::string::npos);

  const size_t units = Utf16Length(path, codePage);
  for (size_t count : {size_t{0}, size_t{1}, size_t{23}, units / 2, units}) {
    const std::string head = FirstUnits(path, count, codePage), tail = LastUnits(path, count, codePage);
    REQUIRE_PROPERTY(path.rfind(head, 0) == 0 && Utf16Length(head, codePage) <= count);
    REQUIRE_PROPERTY(path.size() >= tail.size() && StartsLetter(path, path.size() - tail.size(), codePage));
    REQUIRE_PROPERTY(Utf16Length(tail, codePage) <= count && Utf16Length(tail, codePage) + 1 >= std::min(count, units));
  }
  return 0;
}
