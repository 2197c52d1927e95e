#include "support/Par2Client.h"

#include "support/TestFiles.h"
#include "support/UnixScript.h"

Par2Run RunPar2(const std::string& command, const std::string& indexPath) {
  TempFolder output;
  const size_t slash = indexPath.rfind('\\');
  const std::string folder = UnixPathOf(indexPath.substr(0, slash)), index = indexPath.substr(slash + 1);
  Par2Run run;
  run.status = RunUnixScript("cd " + ShellWord(folder) + " && par2 " + command + " -q " + ShellWord(index) + " >" +
                                 ShellWord(UnixPathOf(output / "said.txt")) + " 2>&1",
                             120000);
  if (FileExists(output / "said.txt")) run.said = ReadWholeFile(output / "said.txt");
  return run;
}
