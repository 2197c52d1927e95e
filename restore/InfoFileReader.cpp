#include "restore/InfoFileReader.h"

#include <vector>

#include "framework/CodePages.h"
#include "framework/File.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"
#include "logic/InfoFileFormat.h"

namespace {

// Only this much of an info file is looked at.
constexpr uint32_t READ_LIMIT = 32768;

// The extension tried when the info file's name is given without it.
constexpr const char* INFO_EXTENSION = ".split";

bool IsFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The name to restore under, in the process's code page; false when even that is no
// plain file name. The exact name, where the file has one, with "_" for each letter the
// process cannot spell: the first field is in the code page of the system that split the
// file, which need not be this system's. Without it, the first field as this system reads it.
bool TakeNameInProcessCodePage(RestoreInfo& info) {
  const unsigned codePage = fw::NameCodePage();
  info.originalName = info.exactName.empty() ? fw::Recode(info.originalName, fw::LegacyCodePage(), codePage, '_').text
                                             : fw::Recode(info.exactName, CP_UTF8, codePage, '_').text;
  return IsPlainFileName(info.originalName, codePage);
}

}  // namespace

bool ReadRestoreInfo(std::string path, RestoreInfo& info) {
  fw::File file;
  Trace().WriteText("Trying to open the info file...");
  if (!file.Open(path, fw::File::READ_SHARE_READ)) {
    Trace().WriteText("failed...trying xxx.split...");
    path += INFO_EXTENSION;
    if (!file.Open(path, fw::File::READ_SHARE_READ)) {
      Trace().WriteLine("failed");
      return false;
    }
  }
  Trace().WriteLine("done");

  std::vector<char> buffer(READ_LIMIT);
  uint32_t length = 0;
  if (!TracedStep("Trying to read the info file...", [&] {
        return file.Read(buffer.data(), READ_LIMIT, length);
      }) ||
      !TracedStep("Trying to close the info file...", [&] {
        return file.Close();
      }))
    return false;

  InfoParse parse = ParseRestoreInfo(std::string_view(buffer.data(), length), fw::LegacyCodePage(), info);
  static const char* const FIELD_STEPS[INFO_FIELDS] = {
      "Trying to parse the filename...", "Trying to parse the # files...", "Trying to parse the file size...",
      "Trying to parse the checksums..."};
  for (int field = INFO_NAME; field < INFO_FIELDS; ++field) {
    Trace().WriteText(FIELD_STEPS[field]);
    if (!parse.parsed && parse.failedField == field) {
      Trace().WriteLine(parse.failure);
      return false;
    }
    Trace().WriteLine("done");
  }
  return TakeNameInProcessCodePage(info);
}

bool InfoFileExists(const std::string& path) { return IsFile(path) || IsFile(path + INFO_EXTENSION); }
