#include "split/RestoreBatch.h"

#include "framework/CodePages.h"
#include "framework/File.h"
#include "job/GuardedFile.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"
#include "logic/PieceNames.h"

namespace {

// The script's texts from the string table, in the console's code page.
BatchTexts ConsoleBatchTexts(unsigned consoleCodePage) {
  BatchTexts texts = LoadBatchTexts();
  for (std::string* text :
       {&texts.usage, &texts.exists, &texts.restoring, &texts.insertPrompt, &texts.restored, &texts.needsNt})
    *text = fw::Recode(*text, fw::NameCodePage(), consoleCodePage, '?').text;
  return texts;
}

}  // namespace

std::optional<std::string> RestoreBatchScript(const std::string& sourcePath, const std::string& baseName,
                                              int32_t pieceCount) {
  // The names are in the program's code page, as the file system gave them; the command
  // interpreter reads the script in the console's, which may lack some of their letters.
  const unsigned codePage = fw::NameCodePage(), consoleCodePage = fw::ConsoleCodePage();
  const std::string name = FileNameOf(sourcePath, codePage);
  const fw::Recoded consoleName = fw::Recode(name, codePage, consoleCodePage, '?');
  // A base name that the console's code page cannot spell is taken from the script's own
  // name when it runs; the extension has no such source.
  if (!consoleName.exact && !fw::Recode(ExtensionOf(name, codePage), codePage, consoleCodePage, '?').exact) {
    Trace().WriteLine("BAT file left out: the DOS code page cannot spell the name " + name);
    return std::nullopt;
  }
  const BaseNameSpelling spelling =
      consoleName.exact ? BaseNameSpelling::AS_WRITTEN : BaseNameSpelling::FROM_SCRIPT_NAME;
  const std::string consoleBaseName = fw::Recode(baseName, codePage, consoleCodePage, '?').text;
  return BuildRestoreBatch(consoleName.text, consoleBaseName, pieceCount, ConsoleBatchTexts(consoleCodePage),
                           consoleCodePage, spelling);
}

BatchFileResult WriteRestoreBatch(const std::optional<std::string>& script, const std::string& destination,
                                  const std::string& baseName, HWND owner) {
  if (!script) return BatchFileResult::NAME_UNREADABLE;
  std::string batchPath = destination + '\\' + baseName + ".Bat";
  fw::File file;
  if (!TracedStep("Trying to create BAT file...", [&] { return CreateFileGuarded(batchPath, file, owner); }))
    return BatchFileResult::FAILED;
  bool written = TracedStep("Trying to write BAT file...",
                            [&] { return file.Write(script->data(), static_cast<uint32_t>(script->size())); }) &&
                 TracedStep("Trying to close BAT file...", [&] { return file.Close(); });
  return written ? BatchFileResult::WRITTEN : BatchFileResult::FAILED;
}
