#include "split/RestoreBatch.h"

#include "framework/File.h"
#include "framework/NumberedTexts.h"
#include "job/GuardedFile.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"
#include "logic/PieceNames.h"

namespace {

// A text in the code page that the command interpreter reads batch files in: the
// system's OEM code page (850 on a German system, 437 on an American one).
struct OemText {
  std::string text;  // with "?" for each letter that the OEM code page lacks
  bool exact;        // no letter was replaced
};

// The text, given in codePage, in the OEM code page. A letter counts as spelt only
// when it reads back as itself: a look-alike ("%" for a per-mille sign) would
// change the name, or turn it into a variable of the script.
OemText InOemCodePage(const std::string& text, UINT codePage) {
  OemText converted{std::string(), true};
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  std::wstring wide(static_cast<size_t>(wideLength), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), wideLength);
  for (const wchar_t letter : wide) {
    char bytes[8];
    const int count = WideCharToMultiByte(CP_OEMCP, 0, &letter, 1, bytes, sizeof(bytes), nullptr, nullptr);
    wchar_t readBack = 0;
    if (count > 0 && MultiByteToWideChar(CP_OEMCP, 0, bytes, count, &readBack, 1) == 1 &&
        readBack == letter) {
      converted.text.append(bytes, static_cast<size_t>(count));
    } else {
      converted.text += '?';
      converted.exact = false;
    }
  }
  return converted;
}

// The script's texts from the string table, in the OEM code page.
BatchTexts OemBatchTexts() {
  BatchTexts texts = LoadBatchTexts();
  for (std::string* text :
       {&texts.usage, &texts.exists, &texts.restoring, &texts.insertPrompt, &texts.restored})
    *text = InOemCodePage(*text, fw::TEXT_CODE_PAGE).text;
  return texts;
}

}  // namespace

BatchFileResult WriteRestoreBatch(std::string sourcePath, std::string destination, std::string baseName,
                                  int32_t pieceCount, HWND owner) {
  // The names are in the program's (ANSI) code page, as the file system gave them.
  const std::string name = FileNameOf(sourcePath);
  const OemText oemName = InOemCodePage(name, CP_ACP);
  // A base name that the OEM code page cannot spell is taken from the script's own
  // name when it runs; the extension has no such source.
  if (!oemName.exact && !InOemCodePage(ExtensionOf(name), CP_ACP).exact) {
    Trace().WriteLine("BAT file left out: the DOS code page cannot spell the name " + name);
    return BatchFileResult::NAME_UNREADABLE;
  }
  const BaseNameSpelling spelling =
      oemName.exact ? BaseNameSpelling::AS_WRITTEN : BaseNameSpelling::FROM_SCRIPT_NAME;

  std::string batchPath = destination + '\\' + baseName + ".Bat";
  fw::File file;
  if (!TracedStep("Trying to create BAT file...", [&] { return CreateFileGuarded(batchPath, file, owner); }))
    return BatchFileResult::FAILED;
  const std::string oemBaseName = InOemCodePage(baseName, CP_ACP).text;
  std::string script = BuildRestoreBatch(oemName.text, oemBaseName, pieceCount, OemBatchTexts(), spelling);
  bool written = TracedStep("Trying to write BAT file...", [&] {
                   file.Write(script.data(), static_cast<uint32_t>(script.size()));
                   return true;
                 }) &&
                 TracedStep("Trying to close BAT file...", [&] {
                   file.Close();
                   return true;
                 });
  return written ? BatchFileResult::WRITTEN : BatchFileResult::FAILED;
}
