// par2cmdline (Debian's par2), the outside judge of the recovery sets the split writes, run
// on the Linux side of Wine in the folder of a set.
#pragma once
#include <string>

struct Par2Run {
  int status = -1;   // par2's exit status: 0 all correct or repaired; -1 not run
  std::string said;  // what it printed, for the test's message
};

// Runs `par2 COMMAND INDEX` (verify or repair) in the folder that holds the index file
// (a Windows path) and the files it names.
Par2Run RunPar2(const std::string& command, const std::string& indexPath);
