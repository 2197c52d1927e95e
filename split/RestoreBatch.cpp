#include "split/RestoreBatch.h"

#include "framework/File.h"
#include "job/GuardedFile.h"
#include "job/TracedStep.h"
#include "logic/PieceNames.h"

bool WriteRestoreBatch(std::string sourcePath, std::string destination, std::string baseName,
                       int32_t pieceCount, HWND owner) {
  std::string name = FileNameOf(sourcePath);
  std::string batchPath = destination + '\\' + baseName + ".Bat";
  fw::File file;
  if (!TracedStep("Trying to create BAT file...", [&] { return CreateFileGuarded(batchPath, file, owner); }))
    return false;
  std::string script = BuildRestoreBatch(name, baseName, pieceCount, LoadBatchTexts());
  return TracedStep("Trying to write BAT file...", [&] {
           file.Write(script.data(), static_cast<uint32_t>(script.size()));
           return true;
         }) &&
         TracedStep("Trying to close BAT file...", [&] {
           file.Close();
           return true;
         });
}
