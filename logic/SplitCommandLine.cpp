#include "logic/SplitCommandLine.h"

#include <climits>

#include "framework/LongFileName.h"
#include "logic/Letters.h"
#include "logic/RecoveryAmount.h"

namespace {

// The sixteen switches, looked up in this order. A value switch takes values from least
// to most; another value is refused like a missing one, and leaves its field at 0.
struct SwitchField {
  const char* name;
  int SplitCommandLine::*field;
  bool takesValue;
  int least = 0;
  int most = INT_MAX;
};

const SwitchField SWITCHES[] = {
    {"u", &SplitCommandLine::restoreMode, false},     {"s", &SplitCommandLine::splitMode, false},
    {"n14", &SplitCommandLine::floppy144, false},     {"n72", &SplitCommandLine::floppy720, false},
    {"np", &SplitCommandLine::pieceCount, true},      {"nb", &SplitCommandLine::pieceBytes, true},
    {"nk", &SplitCommandLine::pieceKilobytes, true},  {"nm", &SplitCommandLine::pieceMegabytes, true},
    {"op", &SplitCommandLine::copyProgram, false},    {"or", &SplitCommandLine::writeInfoFile, false},
    {"ob", &SplitCommandLine::writeBatchFile, false}, {"of", &SplitCommandLine::writeRepairFile, false},
    {"t", &SplitCommandLine::checkMode, false},       {"nd", &SplitCommandLine::unattended, false},
    {"na", &SplitCommandLine::hideProgress, false},
    {"nf", &SplitCommandLine::recoveryPieces, true, FEWEST_RECOVERY_PIECES, MOST_RECOVERY_PIECES},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The long file-system name of the last component of prefix, or the component
// as written when the file system cannot name it (or when it is a pattern or a
// relative step, which a directory search would resolve to something else).
std::string LongComponentName(const std::string& prefix, const std::string& component) {
  if (component.empty() || component == "." || component == ".." ||
      component.find_first_of("*?") != std::string::npos)
    return component;
  std::string longName;
  return FindLongFileName(prefix, longName) ? longName : component;
}

}  // namespace

int SplitCommandLine::LastPosition() const {
  int last = static_cast<int>(arguments.size()) - 1;
  return last < MAX_POSITIONS - 1 ? last : MAX_POSITIONS - 1;
}

bool SplitCommandLine::Parse() {
  if (arguments.size() <= 1) return true;
  valid = 1;
  // Positions past 99 are not tracked: such a command line is not a clean one.
  if (static_cast<int>(arguments.size()) > MAX_POSITIONS) valid = 0;
  for (const SwitchField& entry : SWITCHES) {
    int position = FindSwitch(entry.name);
    if (position == 0) continue;
    int& field = this->*entry.field;
    if (!entry.takesValue) {
      field = 1;
    } else if (!ReadSwitchValue(position + 1, field) || field < entry.least || field > entry.most) {
      field = 0;
      valid = 0;
    }
  }
  unattendedAsked = unattended;
  NextFreeArgument(fileArgument);
  NextFreeArgument(destinationArgument);
  for (int position = 1; position <= LastPosition(); ++position)
    if (!argumentUsed[position]) valid = 0;
  return Validate();
}

bool SplitCommandLine::IsSwitch(const std::string& argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
  for (const SwitchField& entry : SWITCHES)
    if (argument.compare(1, std::string::npos, entry.name) == 0) return true;
  return false;
}

int SplitCommandLine::FindSwitch(const std::string& name) {
  for (char lead : {'/', '-'}) {
    std::string wanted = lead + name;
    for (int position = 1; position <= LastPosition(); ++position) {
      if (arguments[position] != wanted) continue;
      if (argumentUsed[position]) return 0;
      argumentUsed[position] = true;
      return position;
    }
  }
  return 0;
}

bool SplitCommandLine::ReadSwitchValue(int position, int& value) {
  if (position > LastPosition() || argumentUsed[position]) return false;
  const std::string& text = arguments[position];
  if (text.find_first_of("/-") != std::string::npos) return false;
  size_t index = 0;
  while (index < text.size() && IsBlank(text[index])) ++index;
  if (index < text.size() && text[index] == '+') ++index;
  // Without a digit it is no number but the next argument, a path perhaps, which
  // would be lost as a size of 0.
  if (index == text.size() || text[index] < '0' || text[index] > '9') return false;
  long long number = 0;
  for (; index < text.size() && text[index] >= '0' && text[index] <= '9'; ++index) {
    number = number * 10 + (text[index] - '0');
    if (number > INT_MAX) return false;  // a value that no 32-bit size can hold is a bad value
  }
  value = static_cast<int>(number);
  argumentUsed[position] = true;
  return true;
}

bool SplitCommandLine::NextFreeArgument(std::string& text) {
  int position = 1;
  while (position < MAX_POSITIONS && argumentUsed[position]) ++position;
  if (position > LastPosition()) return false;
  argumentUsed[position] = true;
  if (Utf16Length(arguments[position], codePage) > MAX_PATH_CHARS) {
    // Too long for a path: dropped whole rather than cut into another path.
    text.clear();
    valid = 0;
    return false;
  }
  text = arguments[position];
  return true;
}

bool SplitCommandLine::Validate() {
  // Expanded first, so that the checks below see the file argument the dialogs
  // get: a path that is no drive path expands to nothing, and a mode or an
  // unattended run must not start on nothing.
  if (fileArgument.size() > 3) {
    std::string expanded = ExpandLongPath(fileArgument);
    if (Utf16Length(expanded, codePage) > MAX_PATH_CHARS)
      valid = 0;  // kept as written: the short form still names the same file
    else
      fileArgument = expanded;
  }
  int sizeChoices = floppy144 + floppy720 + (pieceCount != 0) + (pieceBytes != 0) + (pieceKilobytes != 0) +
                    (pieceMegabytes != 0);
  if (sizeChoices > 1) {
    floppy144 = floppy720 = pieceCount = pieceBytes = pieceKilobytes = pieceMegabytes = 0;
    valid = 0;
  }
  if (restoreMode + splitMode + checkMode > 1) {
    restoreMode = splitMode = checkMode = 0;
    valid = 0;
  }
  if ((restoreMode || checkMode) && fileArgument.empty()) {
    restoreMode = checkMode = 0;
    valid = 0;
  }
  if (splitMode && fileArgument.empty()) {
    splitMode = 0;
    valid = 0;
  }
  if (unattended && (!valid || fileArgument.empty())) {
    unattended = 0;
    valid = 0;
  }
  // An amount of recovery data asks for the recovery data and the info file it needs;
  // /of alone asks for one piece's worth.
  if (recoveryPieces)
    writeRepairFile = writeInfoFile = 1;
  else if (writeRepairFile)
    recoveryPieces = DEFAULT_RECOVERY_PIECES;
  if (hideProgress && !unattended) {
    hideProgress = 0;
    valid = 0;
  }
  return valid != 0;
}

std::string SplitCommandLine::ExpandLongPath(const std::string& path) const {
  std::string copy = FirstUnits(path, MAX_PATH_CHARS, codePage);
  if (copy.size() < 3 || copy[1] != ':' || copy[2] != '\\') return std::string();
  std::string result = copy.substr(0, 2);
  size_t start = 3;
  while (true) {
    size_t end = FindLetter(copy, "\\", codePage, start);
    std::string component = copy.substr(start, end == std::string::npos ? std::string::npos : end - start);
    std::string prefix = copy.substr(0, end == std::string::npos ? copy.size() : end);
    result += '\\';
    result += LongComponentName(prefix, component);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return result;
}
