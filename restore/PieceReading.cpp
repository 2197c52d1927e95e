#include "restore/PieceReading.h"

#include "framework/Texts.h"
#include "job/TraceLog.h"
#include "job/TracedStep.h"
#include "logic/PieceNames.h"
#include "res/resource.h"
#include "restore/InfoFileReader.h"

// A count above what three digits can name is refused like any malformed info
// file: the names would wrap round and the first pieces would be read again.
bool ReadInfoOrSay(WorkerReports& reports, const std::string& path, RestoreInfo& info) {
  Trace().WriteText("Reading the info file:");
  Trace().WriteLine(path);
  if (!ReadRestoreInfo(path, info) || static_cast<uint32_t>(info.pieceCount) > MAX_PIECE_COUNT) {
    Trace().WriteLine("Error in info file!!!");
    reports.ShowBox(IDS_INFO_FILE_UNREADABLE, FAILURE_BOX);
    return false;
  }
  Trace().WriteLine(
      fw::Format("Info file done: %s, %d, %I64d", info.originalName.c_str(), info.pieceCount, info.totalSize));
  return true;
}

bool OpenWithDiskPrompt(WorkerReports& reports, fw::File& piece, const std::string& path) {
  Trace().WriteText("Opening split file...");
  while (!piece.Open(path, fw::File::READ_SHARE_READ)) {
    Trace().WriteText("failed...");
    if (reports.ShowBox(IDS_INSERT_DISK_WITH, path, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY) {
      Trace().WriteLine("abort by user!!!");
      return false;
    }
    Trace().WriteText("retry by user..");
    reports.AnimationPlay();
  }
  Trace().WriteLine("done");
  return true;
}

RepairFileState CompareRepairFile(WorkerReports& reports, BlockReader& reader, CopyEnd repair,
                                  const RepairRecord& record) {
  uint64_t length = 0;
  if (!TracedStep("Trying to measure the repair file...", [&] {
        return repair.file.Length(length);
      })) {
    reports.Fail(IDS_READ_INCOMPLETE, repair.path);
    return RepairFileState::UNREAD;
  }
  if (length != static_cast<uint64_t>(record.pieceSize)) return RepairFileState::DAMAGED;
  uint32_t checksum = 0;
  if (!reader.Checksum(repair, 0, length, checksum)) return RepairFileState::UNREAD;
  return checksum == record.checksum ? RepairFileState::MATCHES : RepairFileState::DAMAGED;
}

// A small file whole (the batch file, the info file), or none when it cannot be read.
std::optional<std::string> ReadSmallFile(const std::string& path) {
  constexpr uint64_t MOST_BYTES = 1 << 20;
  fw::File file;
  if (!file.Open(path, fw::File::READ_SHARE_READ)) return std::nullopt;
  uint64_t length = 0;
  if (!file.Length(length) || length > MOST_BYTES) return std::nullopt;
  std::string bytes(static_cast<size_t>(length), '\0');
  uint32_t got = 0;
  if (!file.Read(bytes.data(), static_cast<uint32_t>(length), got) || got != length) return std::nullopt;
  return bytes;
}
