// The text of the restore batch file: a DOS script that joins the pieces again
// with the command interpreter's own copy command. Window-free.
#pragma once
#include <cstdint>
#include <string>

// The script's texts in the user's language, as the string table holds them: each
// holds one %s for a name, except the insert prompt, which is used unchanged.
struct BatchTexts {
  std::string usage;         // "@echo Please start with: %s ...", ending in the example's start
  std::string exists;        // two echo lines, each with its own line end
  std::string restoring;     // a line end, then one echo line without a line end
  std::string insertPrompt;  // one echo line using %file% and %source%, with its line end
  std::string restored;      // an echo line, an empty line and ":end"
  std::string needsNt;       // an echo line with its line end: the script needs cmd
};

// The script's texts from the string table, in the chosen language.
BatchTexts LoadBatchTexts();

// How the script's commands name the pieces, the script itself and the restored file.
enum class BaseNameSpelling {
  // The base name stands in the commands as it is written.
  AS_WRITTEN,
  // The script takes the base name from its own file name (base.Bat) when it runs, for
  // a base name that the script's code page cannot spell: the commands then name the
  // restored file as that base name followed by the extension of name, and the names
  // passed in serve the echo lines alone. The long form of its name is looked up, so
  // that a script started by its short name (PREIS~1.BAT) finds its pieces.
  FROM_SCRIPT_NAME,
};

// The script that restores the file name (extension included) from pieceCount pieces
// named baseName.000, baseName.001, ... Lines end in CR LF; the last line, ":end",
// has no line end. Names that the command interpreter would split or take for an
// operator are quoted in file names and escaped, letter by letter, in echo lines; other
// names are inserted as they are. The script is in the code page of the names and texts
// given. A script that needs what only cmd knows (escapes, quoted assignments, the
// script's own name) first checks that cmd runs it: COMMAND.COM (Windows 95, 98, ME)
// is told so in one line, and the script ends.
std::string BuildRestoreBatch(const std::string& name, const std::string& baseName, int32_t pieceCount,
                              const BatchTexts& texts, unsigned codePage,
                              BaseNameSpelling spelling = BaseNameSpelling::AS_WRITTEN);
