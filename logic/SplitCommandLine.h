// The parsed command line: switches, values and the two free arguments.
#pragma once
#include <string>
#include <vector>

class SplitCommandLine {
 public:
  static constexpr int MAX_POSITIONS = 100;  // argument positions 0 to 99
  static constexpr size_t MAX_PATH_CHARS = 259;  // UTF-16 units, as the system counts

  // The code page of the arguments: the process's own.
  unsigned codePage = 1252;

  int restoreMode = 0;
  int splitMode = 0;
  int floppy144 = 0;
  int floppy720 = 0;
  int pieceCount = 0;
  int pieceBytes = 0;
  int pieceKilobytes = 0;
  int pieceMegabytes = 0;
  int copyProgram = 0;
  int writeInfoFile = 0;
  int writeBatchFile = 0;
  int writeRepairFile = 0;
  // Pieces' worth of recovery data (/nf N, 1 to 99; 1 for /of alone); 0 when none is asked for.
  int recoveryPieces = 0;
  int checkMode = 0;  // check the pieces of the info file (the file argument) without restoring
  int unattended = 0;
  int hideProgress = 0;
  // Set when the switch "nd" was given, and kept when the checks clear `unattended`:
  // the run was asked to go without the user and did not.
  int unattendedAsked = 0;
  std::string fileArgument;
  std::string destinationArgument;
  int valid = 0;
  bool argumentUsed[MAX_POSITIONS] = {};

  // The process arguments; element 0 is the program and is never examined.
  void SetArguments(std::vector<std::string> values) { arguments = std::move(values); }

  bool Parse();
  // True when the argument is one of the sixteen switches, led by "/" or "-".
  static bool IsSwitch(const std::string& argument);
  int FindSwitch(const std::string& name);
  bool ReadSwitchValue(int position, int& value);
  bool NextFreeArgument(std::string& text);
  bool Validate();
  // Replaces short (8.3) components of a drive path by their long names.
  std::string ExpandLongPath(const std::string& path) const;

 private:
  int LastPosition() const;
  std::vector<std::string> arguments;
};
