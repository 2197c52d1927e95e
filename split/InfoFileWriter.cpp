#include "split/InfoFileWriter.h"

#include "framework/CodePages.h"
#include "framework/File.h"
#include "job/GuardedFile.h"
#include "job/TracedStep.h"
#include "logic/InfoFileFormat.h"
#include "logic/Letters.h"
#include "logic/PieceNames.h"

std::string RestoreInfoFileText(const std::string& sourcePath, int32_t pieceCount, int64_t totalSize,
                                const InfoChecksums& checksums, const std::optional<RecoveryRecord>& recovery) {
  // The three fields hold the name as the program always wrote it, in the legacy code page.
  // A system of another code page reads those bytes as other letters (a second byte 0x5C
  // even as a backslash), so a name beyond ASCII is given exactly on a line of its own.
  const std::string name = FileNameOf(sourcePath, fw::NameCodePage());
  const fw::Recoded legacyName = fw::Recode(name, fw::NameCodePage(), fw::LegacyCodePage(), '_');
  std::string text = RestoreInfoText(legacyName.text, pieceCount, totalSize);
  if (!IsAscii(name)) text += ExactNameLine(fw::Recode(name, fw::NameCodePage(), CP_UTF8, '_').text);
  text += ChecksumLines(checksums);
  if (recovery) text += RecoveryLine(*recovery);
  return text;
}

bool WriteRestoreInfo(const std::string& text, const std::string& destination, const std::string& baseName,
                      HWND progress) {
  std::string infoPath = destination + '\\' + baseName + ".Split";
  fw::File file;
  if (!TracedStep("Trying to create info file...",
                  [&] { return CreateFileGuarded(infoPath, file, progress); }))
    return false;
  return TracedStep("Trying to write info file...",
                    [&] { return file.Write(text.data(), static_cast<uint32_t>(text.size())); }) &&
         TracedStep("Trying to close info file...", [&] { return file.Close(); });
}
