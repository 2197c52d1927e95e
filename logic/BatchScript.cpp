#include "logic/BatchScript.h"

#include <string_view>

#include "logic/Letters.h"
#include "logic/PieceNames.h"

namespace {

// Characters that end or split a file name in a command, or act as operators.
constexpr const char* COMMAND_SPECIAL = " &|<>^(),;=+%";

// The names and the texts are in this code page: only whole letters are looked at, since
// the second byte of a double-byte letter may look like an operator.
class Spelling {
 public:
  explicit Spelling(unsigned codePage) : codePage(codePage) {}

  bool NeedsQuotes(const std::string& name) const {
    return FindLetter(name, COMMAND_SPECIAL, codePage) != std::string::npos;
  }

  // A percent sign stands for itself in a batch file only when doubled, even in quotes.
  std::string DoublePercents(const std::string& text) const { return Escaped(text, "%", '%'); }

  // A name as literal text of an echo line.
  std::string EchoText(const std::string& name) const {
    return Escaped(Escaped(name, "%", '%'), "&|<>^()", '^');
  }

  // The name without its last letter.
  std::string WithoutLastLetter(const std::string& name) const {
    return FirstUnits(name, Utf16Length(name, codePage) - (name.empty() ? 0 : 1), codePage);
  }

  std::string ExtensionOf(const std::string& name) const { return ::ExtensionOf(name, codePage); }

 private:
  // The text with the escape before each of the letters.
  std::string Escaped(const std::string& text, std::string_view letters, char escape) const {
    std::string escaped;
    for (size_t at = 0, length; at < text.size(); at += length) {
      length = LetterLength(text, at, codePage);
      if (length == 1 && letters.find(text[at]) != std::string_view::npos) escaped += escape;
      escaped.append(text, at, length);
    }
    return escaped;
  }

  unsigned codePage;
};

// A file name as one argument of a command, where it follows %source% or %dest%,
// which the user gives as a folder prefix: how the command spells it (percent signs
// doubled, or references to the script's variables) and whether it stands in quotes.
struct FileArgument {
  std::string spelling;
  bool quoted;

  // The name followed by text that needs no quotes of its own (".bat", ".000").
  FileArgument operator+(const std::string& suffix) const { return {spelling + suffix, quoted}; }
  std::string Text() const { return quoted ? '"' + spelling + '"' : spelling; }
};

// A name written out in the command.
FileArgument Literal(const std::string& name, const Spelling& spelling) {
  return {spelling.DoublePercents(name), spelling.NeedsQuotes(name)};
}

// A name that the script's variables hold when it runs: their value may hold any
// letter, so the name always stands in quotes.
FileArgument FromVariables(const std::string& references) { return {references, true}; }

// The text with every reference to one variable replaced by a reference to another.
std::string ReplaceVariable(std::string text, const std::string& from, const std::string& to) {
  for (size_t found = text.find(from); found != std::string::npos; found = text.find(from, found + to.size()))
    text.replace(found, from.size(), to);
  return text;
}

// The text with its %s replaced by the value.
std::string FillIn(const std::string& text, const std::string& value) {
  std::string filled = text;
  size_t placeholder = filled.find("%s");
  if (placeholder != std::string::npos) filled.replace(placeholder, 2, value);
  return filled;
}

class Script {
 public:
  // Appends text as it is.
  Script& operator<<(const std::string& text) {
    content += text;
    return *this;
  }
  // Appends one line and its line end.
  void Line(const std::string& text = std::string()) { content += text + "\r\n"; }
  std::string Text() const { return content; }

 private:
  std::string content;
};

}  // namespace

std::string BuildRestoreBatch(const std::string& name, const std::string& baseName, int32_t pieceCount,
                              const BatchTexts& texts, unsigned codePage, BaseNameSpelling spelling) {
  const Spelling letters(codePage);
  const auto EchoText = [&](const std::string& text) { return letters.EchoText(text); };
  // The variable "base" holds the base name when the script takes it from its own file name.
  const bool fromScriptName = spelling == BaseNameSpelling::FROM_SCRIPT_NAME;
  const FileArgument base = fromScriptName ? FromVariables("%base%") : Literal(baseName, letters);
  const FileArgument restored = fromScriptName
                                    ? FromVariables("%base%" + letters.DoublePercents(letters.ExtensionOf(name)))
                                    : Literal(name, letters);
  const std::string target = "%dest%" + restored.Text();
  // The piece in hand, kept in %file%, is quoted when the base name is.
  const std::string piece = base.quoted ? "%source%\"%file%\"" : "%source%%file%";
  // The insert prompt shows %file% as it stands. A name that an echo line would take for
  // operators (a piece named "a & del *.doc" would run del) is shown through a variable
  // of its own instead, which holds it escaped for the echo line.
  const bool promptShowsEscaped = EchoText(baseName) != baseName;
  // Quoted assignments, escapes and the script's own name are cmd's alone.
  const bool needsCmd = fromScriptName || base.quoted || promptShowsEscaped || EchoText(name) != name;
  // The script runs a copy of itself, named after the base name without its last letter.
  // cmd's call reads its line twice, expanding percent signs again and doubling carets
  // even inside quotes: a script for a name that needs cmd names its copy plainly instead.
  const FileArgument copy =
      needsCmd ? FileArgument{"~PARVOLA.BAT", false}
               : Literal("~" + letters.WithoutLastLetter(baseName), letters) + ".bat";

  Script script;
  script.Line("@echo off");
  if (needsCmd) script.Line("if not \"%OS%\" == \"Windows_NT\" goto nt");
  script.Line();
  script.Line("if \"%1\" == \"\" goto start");
  script.Line("if not \"%2\" == \"\" goto param");
  script << FillIn(texts.usage, EchoText(baseName));
  script.Line(EchoText(baseName) + " A:\\ C:\\TEMP\\");
  script.Line("goto end");
  script.Line();
  script.Line(":param");
  script.Line("set source=%1");
  script.Line("set dest=%2");
  script.Line();
  script.Line(":start");
  script.Line("if \"%parvola%\" == \"running\" goto run");
  script.Line("set parvola=running");
  if (fromScriptName) {
    // The name as typed, then the long form of it: the search for the script's own file
    // finds it by its short name too and gives the long one.
    script.Line("set \"base=%~n0\"");
    script.Line("for %%f in (\"%~dpn0.ba?\") do set \"base=%%~nf\"");
  }
  script.Line("copy %source%" + (base + ".bat").Text() + " %dest%" + copy.Text() + " > nul");
  script.Line("call %dest%" + copy.Text());
  script.Line("del %dest%" + copy.Text());
  script.Line("goto cleanup");
  script.Line();
  script.Line(":run");
  script.Line("set parvola=");
  script.Line("if not exist " + target + " goto file0");
  script << FillIn(texts.exists, EchoText(name));
  script.Line("goto end");
  script.Line();

  for (int32_t index = 0; index < pieceCount; ++index) {
    script << ":file" + std::to_string(index);
    if (index == 0) script << FillIn(texts.restoring, EchoText(name));
    script.Line();
    std::string file = "file=" + base.spelling + "." + PieceDigits(static_cast<uint32_t>(index));
    script.Line(base.quoted ? "set \"" + file + "\"" : "set " + file);
    if (promptShowsEscaped)
      script.Line("set \"shown=" + EchoText(baseName) + "." + PieceDigits(static_cast<uint32_t>(index)) + "\"");
    script.Line(index + 1 < pieceCount ? "set cont=file" + std::to_string(index + 1) : "set cont=ok");
    script.Line("goto check");
    script.Line();
  }

  script.Line(":check");
  script.Line("if exist " + piece + " goto copy");
  script << (promptShowsEscaped ? ReplaceVariable(texts.insertPrompt, "%file%", "%shown%") : texts.insertPrompt);
  script.Line("pause");
  script.Line("goto check");
  script.Line();
  script.Line(":copy");
  script.Line("if not exist " + target + " goto create");
  script.Line("copy /b " + target + " + " + piece + " " + target + " > nul");
  script.Line("goto %cont%");
  script.Line();
  script.Line(":create");
  script.Line("copy /b " + piece + " " + target + " > nul");
  script.Line("goto %cont%");
  script.Line();
  script.Line(":cleanup");
  script.Line("set source=");
  script.Line("set dest=");
  script.Line("set file=");
  script.Line("set cont=");
  if (fromScriptName) script.Line("set base=");
  if (promptShowsEscaped) script.Line("set shown=");
  script.Line("goto end");
  script.Line();
  if (needsCmd) {
    script.Line(":nt");
    script << texts.needsNt;
    script.Line("goto end");
    script.Line();
  }
  script.Line(":ok");
  script << FillIn(texts.restored, EchoText(name));
  return script.Text();
}
