#include "restore/RecoveryFiles.h"

#include <algorithm>
#include <cstring>
#include <windows.h>

#include "framework/CodePages.h"
#include "framework/File.h"
#include "framework/NumberedTexts.h"
#include "job/TraceLog.h"
#include "logic/Letters.h"
#include "res/resource.h"

namespace {

// The reader's view of one open file: every read is a seek and a read of exactly the bytes
// asked for. The progress counts each byte once, however often the reader looks at it.
class ScannedFile : public Par2ByteSource {
 public:
  ScannedFile(fw::File& file, uint64_t length, WorkerReports& reports, int64_t& done, unsigned breakQuestion)
      : file(file), length(length), reports(reports), done(done), breakQuestion(breakQuestion) {}

  uint64_t Length() const override { return length; }

  bool Read(uint64_t offset, void* buffer, size_t count) override {
    if (offset + count > length) return false;
    // A stretch that cannot be read is read again a sector at a time, and a sector that
    // fails reads as zeros: the packets it held fail their checksums and are passed over,
    // and the packets beside it still serve.
    if (!ReadExactly(offset, buffer, count)) {
      constexpr size_t SECTOR_BYTES = 512;
      unsigned char* bytes = static_cast<unsigned char*>(buffer);
      for (size_t at = 0; at < count; at += SECTOR_BYTES) {
        const size_t part = std::min(SECTOR_BYTES, count - at);
        if (!ReadExactly(offset + at, bytes + at, part)) std::memset(bytes + at, 0, part);
      }
    }
    if (offset + count > reached) {
      done += static_cast<int64_t>(offset + count - reached);
      reached = offset + count;
      brokenOff = reports.BlockDone(done, breakQuestion);
    }
    return !brokenOff;
  }

  bool ReadExactly(uint64_t offset, void* buffer, size_t count) {
    uint32_t got = 0;
    return file.Seek(offset) && file.Read(buffer, static_cast<uint32_t>(count), got) && got == count;
  }

  // The bytes the reader left unread count as done: the file's length was expected.
  void CountRest() {
    done += static_cast<int64_t>(length - reached);
    reached = length;
  }

  bool brokenOff = false;

 private:
  fw::File& file;
  const uint64_t length;
  WorkerReports& reports;
  int64_t& done;
  const unsigned breakQuestion;
  uint64_t reached = 0;
};

bool EndsWithPar2(const std::string& name) {
  constexpr char SUFFIX[] = ".par2";
  const size_t size = sizeof SUFFIX - 1;
  if (name.size() < size) return false;
  for (size_t at = 0; at < size; ++at) {
    char letter = name[name.size() - size + at];
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter - 'A' + 'a');
    if (letter != SUFFIX[at]) return false;
  }
  return true;
}

}  // namespace

RecoveryFiles::RecoveryFiles(WorkerReports& reports, int64_t& done, unsigned breakQuestion)
    : reports(reports), done(done), breakQuestion(breakQuestion) {}

std::vector<std::string> RecoveryFiles::FindIn(const std::string& folder, const std::string& baseName) {
  std::vector<std::string> found;
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((folder + '\\' + baseName + ".*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    const std::string name = entry.cFileName;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWithPar2(name)) found.push_back(folder + '\\' + name);
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return found;
}

RecoveryFiles::DiskRead RecoveryFiles::ScanNextRepairDisk() {
  const RepairDisks& disks = repairDisks;
  if (repairDisksDone >= disks.count) return DiskRead::NO_MORE;
  const int32_t disk = repairDisksDone + 1;
  for (;;) {
    const std::string text = fw::FormatText(IDS_INSERT_REPAIR_DISK, disk, disks.count, disks.originalName.c_str());
    if (reports.ShowFormattedBox(IDS_INSERT_REPAIR_DISK, text, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK) {
      repairDisksDone = disks.count;
      return DiskRead::NO_MORE;
    }
    reports.AnimationPlay();
    bool read = false;
    for (const std::string& path : FindIn(disks.folder, disks.baseName)) {
      if (HasRead(path.substr(path.rfind('\\') + 1))) continue;  // the index on every disk
      std::string readFrom;
      if (!disks.fetch(path, readFrom) || !Scan(readFrom)) return DiskRead::FAILED;
      read = true;
    }
    if (read) {
      repairDisksDone = disk;
      return DiskRead::READ;
    }
  }
}

bool RecoveryFiles::ScanRepairDisks() {
  DiskRead outcome = DiskRead::READ;
  while (outcome == DiskRead::READ) outcome = ScanNextRepairDisk();
  return outcome == DiskRead::NO_MORE;
}

bool RecoveryFiles::HasRead(const std::string& name) const {
  for (const std::string& path : paths)
    if (path.size() > name.size() && path.ends_with(name) && path[path.size() - name.size() - 1] == '\\') return true;
  return false;
}

bool RecoveryFiles::Scan(const std::string& path) {
  Trace().WriteText("Reading the recovery file " + path + "...");
  fw::File file;
  uint64_t length = 0;
  if (!file.Open(path, fw::File::READ_SHARE_READ) || !file.Length(length)) {
    Trace().WriteLine("failed");
    return true;
  }
  reports.ExpectWork(static_cast<int64_t>(length));
  ScannedFile scanned(file, length, reports, done, breakQuestion);
  // A file that cannot be read to its end still gives the packets before the fault.
  const bool read = reader.Scan(scanned, static_cast<uint32_t>(paths.size()));
  paths.push_back(path);
  if (!scanned.brokenOff) scanned.CountRest();
  Trace().WriteLine(read ? "done" : scanned.brokenOff ? "broken off" : "failed");
  return !scanned.brokenOff;
}

bool RecoveryFiles::ScanFolder(const std::string& folder, const std::string& baseName) {
  for (const std::string& path : FindIn(folder, baseName))
    if (!Scan(path)) return false;
  return true;
}
