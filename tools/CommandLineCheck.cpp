// run.sh's look at a command line before it starts the program, made with the
// program's own command-line rules, built for Linux:
//   command-line-check ARGUMENT...      (the arguments as given to run.sh)
// It prints the positions (from 1) of the arguments that are Unix paths: every
// argument that starts with "/" and is no switch. run.sh hands those over in their
// Windows form.
// When the command line asks for an unattended run (/nd), nobody is expected to
// answer the program, so the check also makes sure that the run would start by
// itself: the program would take this command line as an unattended one, the file
// exists (for a restore, the info file or the same name with ".split"), and so does
// the destination folder when one is given. Otherwise the program would open its
// window and wait for the user; the check then prints one line on standard error
// saying what is missing, prints no positions, and exits with status 2.
// A file or folder given in Windows form is the program's to judge: only Unix paths
// are looked at here.
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "framework/LongFileName.h"
#include "logic/Letters.h"
#include "logic/SplitCommandLine.h"

// Linux names have no short forms: every component already is its long name, and
// answering "cannot name it" keeps each component as written.
bool FindLongFileName(const std::string&, std::string&) { return false; }

namespace {

constexpr int REFUSED = 2;

bool IsUnixPath(const std::string& argument) {
  return argument.starts_with('/') && !SplitCommandLine::IsSwitch(argument);
}

// The form the program is given a Unix path in: Wine's drive Z: is the Unix root.
// The rules care only for its shape, a drive path of the same length.
std::string WindowsForm(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// The entry of folder that Wine opens for name: the name itself, or else the first
// entry that differs from it in case alone (Windows names ignore case). Empty when
// there is none.
std::string EntryNamed(const std::string& folder, const std::string& name) {
  std::string exact = folder + "/" + name;
  struct stat status;
  if (stat(exact.c_str(), &status) == 0) return exact;
  DIR* listing = opendir(folder.empty() ? "/" : folder.c_str());
  if (!listing) return {};
  std::string found;
  while (dirent* entry = readdir(listing)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = folder + "/" + entry->d_name;
      break;
    }
  }
  closedir(listing);
  return found;
}

// The Unix path of what Wine opens for the absolute path, each component matched
// as Wine does; empty when nothing is there.
std::string Resolve(const std::string& path) {
  std::string resolved;
  size_t start = 1;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(start, end - start);
    if (!component.empty()) {
      resolved = EntryNamed(resolved, component);
      if (resolved.empty()) return {};
    }
    start = end + 1;
  }
  return resolved.empty() ? "/" : resolved;
}

bool Exists(const std::string& path) { return !Resolve(path).empty(); }

bool IsFolder(const std::string& path) {
  std::string resolved = Resolve(path);
  struct stat status;
  return !resolved.empty() && stat(resolved.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool IsFile(const std::string& path) { return Exists(path) && !IsFolder(path); }

// Why an unattended run of these arguments would stop and wait for the user, or
// nothing when it would start by itself or is not asked for. unixPaths tells the
// Unix path that each Windows form in the arguments stands for.
std::string WhyItWouldWait(const std::vector<std::string>& arguments,
                           const std::map<std::string, std::string>& unixPaths) {
  // The arguments come from a Linux shell, in UTF-8, as the program under Wine gets them.
  SplitCommandLine asked;
  asked.codePage = UTF8_CODE_PAGE;
  asked.SetArguments(arguments);
  if (asked.FindSwitch("nd") == 0) return {};

  SplitCommandLine parsed;
  parsed.codePage = UTF8_CODE_PAGE;
  parsed.SetArguments(arguments);
  parsed.Parse();
  if (parsed.fileArgument.empty())
    return "an unattended run (/nd) needs the file to split, restore or check, as an absolute path of at most 259 "
           "characters";
  if (!parsed.unattended)
    return "the program would not run this command line unattended but wait for the user; look for a value "
           "switch without its number, an amount of recovery data (/nf) outside 1 to 99, two size switches, two "
           "of /s, /u and /t, or a third free argument";

  auto file = unixPaths.find(parsed.fileArgument);
  if (file != unixPaths.end()) {
    const std::string& path = file->second;
    if (parsed.restoreMode || parsed.checkMode) {
      if (!IsFile(path) && !IsFile(path + ".split"))
        return std::string("the info file to ") + (parsed.checkMode ? "check" : "restore from") +
               " does not exist, neither as " + path + " nor as " + path + ".split";
    } else if (!Exists(path)) {
      return "the file to split does not exist: " + path;
    } else if (IsFolder(path)) {
      return "the file to split is a folder: " + path;
    }
  }

  auto destination = unixPaths.find(parsed.destinationArgument);
  if (destination != unixPaths.end()) {
    const std::string& path = destination->second;
    if (!Exists(path)) return "the destination folder does not exist (create it first): " + path;
    if (!IsFolder(path)) return "the destination is not a folder: " + path;
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  // Position 0 is the program itself, which the rules never examine.
  std::vector<std::string> arguments{"Parvola95.exe"};
  std::map<std::string, std::string> unixPaths;
  std::vector<int> unixPathPositions;
  for (int position = 1; position < argc; ++position) {
    std::string argument = argv[position];
    if (IsUnixPath(argument)) {
      std::string windowsForm = WindowsForm(argument);
      unixPaths[windowsForm] = argument;
      unixPathPositions.push_back(position);
      argument = windowsForm;
    }
    arguments.push_back(argument);
  }

  std::string reason = WhyItWouldWait(arguments, unixPaths);
  if (!reason.empty()) {
    std::fprintf(stderr, "Not started: %s\n", reason.c_str());
    return REFUSED;
  }
  for (int position : unixPathPositions) std::printf("%d\n", position);
  return 0;
}
