// The batch-script builder fed any file name, base name and piece count. Names
// hold what a Windows file name can hold: any byte but control bytes, the
// double quote and the backslash. The script must keep its shape, and no name
// may turn into a command, an operator or a variable of the command interpreter.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/Require.h"
#include "logic/BatchScript.h"
#include "logic/PieceNames.h"

namespace {

std::string FileNameBytes(FuzzedDataProvider& input) {
  std::string name = input.ConsumeRandomLengthString(300);
  for (char& letter : name)
    if (static_cast<unsigned char>(letter) < 32 || letter == '"' || letter == '\\') letter = '_';
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
  static const std::string_view VARIABLES[] = {"source", "dest", "file", "cont",
                                               "parvola", "base", "base:~0,-1", "shown"};
  for (size_t at = 0; at < line.size(); ++at) {
    if (line[at] != '%') continue;
    if (at + 1 < line.size() && (line[at + 1] == '%' || line[at + 1] == '1' || line[at + 1] == '2')) {
      ++at;
      continue;
    }
    if (line.substr(at, 4) == "%~n0") {
      at += 3;
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

// Outside double quotes, no operator character stands bare: in an echo line each
// is escaped with a caret; in a command there is none but the script's own "> nul".
bool OperatorsAreQuotedOrEscaped(std::string line) {
  const bool echo = line.rfind("@echo", 0) == 0;
  const std::string redirect = " > nul";
  if (!echo && line.size() >= redirect.size() && line.compare(line.size() - redirect.size(), redirect.size(),
                                                              redirect) == 0)
    line.resize(line.size() - redirect.size());
  bool quoted = false;
  for (size_t at = 0; at < line.size(); ++at) {
    const char letter = line[at];
    if (letter == '"') {
      quoted = !quoted;
    } else if (!quoted && echo && letter == '^') {
      ++at;  // the escaped character stands for itself
    } else if (!quoted && std::string_view("&|<>^()").find(letter) != std::string_view::npos) {
      return false;
    }
  }
  return !quoted;
}

// The value given to the variable that an echo line shows: it is echo text there, so
// each operator character in it is escaped.
bool ShownValueIsEscaped(const std::string& line) {
  const std::string start = "set \"shown=";
  if (line.rfind(start, 0) != 0) return true;
  if (line.size() < start.size() + 1 || line.back() != '"') return false;
  return OperatorsAreQuotedOrEscaped("@echo " + line.substr(start.size(), line.size() - start.size() - 1));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string name = FileNameBytes(input);
  const std::string baseName = input.ConsumeBool() ? BaseNameOf(name) : FileNameBytes(input);
  // Any count, kept to a size a script can have (the split makes at most 1000 pieces).
  int32_t pieceCount = input.ConsumeIntegral<int32_t>();
  if (pieceCount > 1100) pieceCount %= 1101;
  const BaseNameSpelling spelling =
      input.ConsumeBool() ? BaseNameSpelling::FROM_SCRIPT_NAME : BaseNameSpelling::AS_WRITTEN;
  static const BatchTexts TEXTS = LoadBatchTexts();

  const std::string script = BuildRestoreBatch(name, baseName, pieceCount, TEXTS, spelling);
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
    REQUIRE_PROPERTY(OperatorsAreQuotedOrEscaped(line));
    REQUIRE_PROPERTY(ShownValueIsEscaped(line));
  }
  REQUIRE_PROPERTY(sections == std::max<int32_t>(pieceCount, 0));
  return 0;
}
