// The batch-script builder fed any file name, base name and piece count, in one of the
// code pages a console reads (single-byte, double-byte, UTF-8). Names hold what a Windows
// file name can hold: any byte but control bytes, the double quote and the backslash.
// The script must keep its shape, and no name may turn into a command, an operator or a
// variable of the command interpreter; only whole letters are operators.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/Require.h"
#include "logic/BatchScript.h"
#include "logic/Letters.h"
#include "logic/PieceNames.h"

namespace {

// A name as the system gives it: whole letters. A double-byte code page's lead byte is
// always followed by a second byte of 0x40 or above: never by the end of the name (it
// would take the next byte of the script along), nor by a byte below (which the system
// would not read as part of the letter).
std::string FileNameBytes(FuzzedDataProvider& input, unsigned codePage) {
  std::string name = input.ConsumeRandomLengthString(300);
  for (char& letter : name)
    if (static_cast<unsigned char>(letter) < 32 || letter == '"' || letter == '\\') letter = '_';
  for (size_t at = 0; at < name.size(); at += LetterLength(name, at, codePage)) {
    const bool leadAlone = at + 1 == name.size() && LetterLength(name + '@', at, codePage) == 2;
    const bool lowSecond = codePage != UTF8_CODE_PAGE && LetterLength(name, at, codePage) == 2 &&
                           static_cast<unsigned char>(name[at + 1]) < 0x40;
    if (leadAlone || lowSecond) name[at] = '_';
  }
  return name;
}

std::vector<std::string> Lines(const std::string& script) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(script.substr(start, end - start));
  lines.push_back(script.substr(start));
  return lines;
}

// Every percent sign is doubled or belongs to the script's own arguments (%1, %2, the
// script's name %~n0) and variables (the base name also without its last letter, and
// the piece's name as the insert prompt shows it).
bool PercentsAreOwn(std::string_view line) {
  static const std::string_view VARIABLES[] = {"source", "dest", "file", "cont", "parvola",
                                               "base", "base:~0,-1", "shown", "OS"};
  for (size_t at = 0; at < line.size(); ++at) {
    if (line[at] != '%') continue;
    if (at + 1 < line.size() && (line[at + 1] == '%' || line[at + 1] == '1' || line[at + 1] == '2')) {
      ++at;
      continue;
    }
    if (line.substr(at, 4) == "%~n0" || line.substr(at, 6) == "%~dpn0") {
      at += line.substr(at, 4) == "%~n0" ? 3 : 5;
      continue;
    }
    size_t close = line.find('%', at + 1);
    if (close == std::string_view::npos) return false;
    std::string_view name = line.substr(at + 1, close - at - 1);
    if (std::find(std::begin(VARIABLES), std::end(VARIABLES), name) == std::end(VARIABLES)) return false;
    at = close;
  }
  return true;
}

// The script's own search for the long form of its name, whose parentheses are its own.
constexpr std::string_view LONG_NAME_SEARCH = "for %%f in (\"%~dpn0.ba?\") do set \"base=%%~nf\"";

// Outside double quotes, no operator letter stands bare: in an echo line each is
// escaped with a caret; in a command there is none but the script's own "> nul".
bool OperatorsAreQuotedOrEscaped(std::string line, unsigned codePage) {
  if (line == LONG_NAME_SEARCH) return true;
  const bool echo = line.rfind("@echo", 0) == 0;
  const std::string redirect = " > nul";
  if (!echo && line.size() >= redirect.size() && line.compare(line.size() - redirect.size(), redirect.size(),
                                                              redirect) == 0)
    line.resize(line.size() - redirect.size());
  bool quoted = false;
  for (size_t at = 0; at < line.size(); at += LetterLength(line, at, codePage)) {
    if (LetterLength(line, at, codePage) > 1) continue;
    const char letter = line[at];
    if (letter == '"') {
      quoted = !quoted;
    } else if (!quoted && echo && letter == '^') {
      if (++at == line.size()) break;  // the escaped letter stands for itself
    } else if (!quoted && std::string_view("&|<>^()").find(letter) != std::string_view::npos) {
      return false;
    }
  }
  return !quoted;
}

// The value given to the variable that an echo line shows: it is echo text there, so
// each operator character in it is escaped.
bool ShownValueIsEscaped(const std::string& line, unsigned codePage) {
  const std::string start = "set \"shown=";
  if (line.rfind(start, 0) != 0) return true;
  if (line.size() < start.size() + 1 || line.back() != '"') return false;
  return OperatorsAreQuotedOrEscaped("@echo " + line.substr(start.size(), line.size() - start.size() - 1),
                                     codePage);
}

constexpr unsigned CODE_PAGES[] = {850, 437, 1252, 932, 936, 949, 950, UTF8_CODE_PAGE};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const unsigned codePage = input.PickValueInArray(CODE_PAGES);
  const std::string name = FileNameBytes(input, codePage);
  const std::string baseName = input.ConsumeBool() ? BaseNameOf(name, codePage) : FileNameBytes(input, codePage);
  // Any count, kept to a size a script can have (the split makes at most 1000 pieces).
  int32_t pieceCount = input.ConsumeIntegral<int32_t>();
  if (pieceCount > 1100) pieceCount %= 1101;
  const BaseNameSpelling spelling =
      input.ConsumeBool() ? BaseNameSpelling::FROM_SCRIPT_NAME : BaseNameSpelling::AS_WRITTEN;
  static const BatchTexts TEXTS = LoadBatchTexts();

  const std::string script = BuildRestoreBatch(name, baseName, pieceCount, TEXTS, codePage, spelling);
  const std::vector<std::string> lines = Lines(script);
  REQUIRE_PROPERTY(lines.back() == ":end");
  int32_t sections = 0;
  for (const std::string& line : lines) {
    REQUIRE_PROPERTY(line.find_first_of("\r\n") == std::string::npos);
    if (line.rfind(":file", 0) == 0) {
      REQUIRE_PROPERTY(line == ":file" + std::to_string(sections));
      ++sections;
    }
    if (line.empty() || line[0] == ':') continue;
    REQUIRE_PROPERTY(PercentsAreOwn(line));
    REQUIRE_PROPERTY(OperatorsAreQuotedOrEscaped(line, codePage));
    REQUIRE_PROPERTY(ShownValueIsEscaped(line, codePage));
  }
  REQUIRE_PROPERTY(sections == std::max<int32_t>(pieceCount, 0));
  return 0;
}
