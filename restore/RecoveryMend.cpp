#include "restore/RecoveryMend.h"

#include <algorithm>
#include <cstring>

#include "framework/CodePages.h"
#include "framework/Texts.h"
#include "job/TraceLog.h"
#include "logic/Crc32.h"
#include "logic/Md5.h"
#include "logic/Par2Recovery.h"
#include "logic/PieceNames.h"
#include "res/resource.h"

namespace {

// The rebuilder holds twice the strips of the slices it rebuilds.
constexpr uint64_t REBUILD_COPIES = 2;

// A slice's checksums as the set records them: the MD5 and CRC-32 of its bytes padded
// with zeros to the slice size.
class SliceChecksum {
 public:
  void Add(const unsigned char* bytes, size_t length) {
    md5.Add(bytes, length);
    crc = Crc32Update(crc, bytes, length);
  }
  void AddZeros(uint64_t count) {
    const unsigned char zeros[1024] = {};
    for (; count > 0;) {
      const size_t part = static_cast<size_t>(std::min<uint64_t>(count, sizeof zeros));
      Add(zeros, part);
      count -= part;
    }
  }
  bool Matches(const Par2SliceChecksum& recorded) { return crc == recorded.crc && md5.Finish() == recorded.md5; }

 private:
  Md5 md5;
  uint32_t crc = 0;
};

// The bytes of a stretch of a slice that lie inside a file of this length.
uint64_t BytesInFile(uint64_t fileLength, uint64_t from, uint64_t length) {
  return from >= fileLength ? 0 : std::min(length, fileLength - from);
}

}  // namespace

RecoveryMend::RecoveryMend(WorkerReports& reports, BlockReader& reader, int64_t& done, CopyEnd output,
                           std::string baseName, RecoveryFiles& files)
    : reports(reports), reader(reader), done(done), output(output), baseName(std::move(baseName)), files(files) {}

bool RecoveryMend::Run(const std::vector<PieceRoom>& rooms, const SideFiles& sides) {
  set = files.Describe();
  while (!set.usable && MoreRecoveryData()) set = files.Describe();
  MapFiles(rooms, sides);
  if (!set.usable) {
    Trace().WriteLine("No usable recovery set");
    KeepBeforeLost(rooms);
    if (!diskFailed) reports.ShowBox(IDS_NO_RECOVERY_SET, baseName, FAILURE_BOX);
    return false;
  }
  if (!FindLostSlices()) {
    KeepBeforeLost(rooms);
    return false;
  }
  KeepBeforeLost(rooms);
  // Slices lost of the batch file or the info file alone leave the restored file whole.
  if (keptBytes == INT64_MAX) return true;
  return Rebuild();
}

// Each file of the set by its name: a piece's room, the batch file, the info file.
void RecoveryMend::MapFiles(const std::vector<PieceRoom>& rooms, const SideFiles& sides) {
  sources.assign(set.files.size(), Source{});
  // The set names its files in UTF-8, whatever the code page of the system that restores.
  const std::string utf8Base = fw::Recode(baseName, fw::NameCodePage(), CP_UTF8, '_').text;
  for (size_t index = 0; index < set.files.size(); ++index) {
    const Par2InputFile& file = set.files[index];
    Source& source = sources[index];
    for (size_t piece = 0; piece < rooms.size(); ++piece) {
      const PieceRoom& room = rooms[piece];
      // A room of another length holds no piece that the set describes.
      if (file.name != utf8Base + '.' + PieceDigits(static_cast<uint32_t>(piece)) ||
          room.length != static_cast<int64_t>(file.length))
        continue;
      source = {room.state == PieceRoom::MISSING ? Source::NONE : Source::ROOM, room.start, nullptr,
                room.state == PieceRoom::SUSPECT};
    }
    const std::optional<std::string>* side = file.name == utf8Base + ".Bat"     ? &sides.batch
                                             : file.name == utf8Base + ".Split" ? &sides.info
                                                                                 : nullptr;
    if (side && *side && (*side)->size() == file.length) source = {Source::MEMORY, -1, &**side, true};
  }
}

// Every slice of a file the restore lacks, and every slice of a checked file whose bytes
// do not have the set's checksums.
bool RecoveryMend::FindLostSlices() {
  const uint64_t sliceSize = set.sliceSize;
  int64_t checkedBytes = 0;
  for (size_t index = 0; index < set.files.size(); ++index)
    if (sources[index].kind == Source::ROOM && sources[index].checked)
      checkedBytes += static_cast<int64_t>(set.files[index].length);
  reports.ExpectWork(checkedBytes);
  std::unique_ptr<unsigned char[]> slice(new unsigned char[sliceSize]);
  for (size_t index = 0; index < set.files.size(); ++index) {
    const Par2InputFile& file = set.files[index];
    const Source& source = sources[index];
    for (uint64_t k = 0; k < file.sliceCount; ++k) {
      bool good = source.kind != Source::NONE;
      if (good && source.checked) {
        const uint64_t length = BytesInFile(file.length, k * sliceSize, sliceSize);
        if (!ReadKnown(index, k, 0, static_cast<size_t>(length), slice.get())) return false;
        SliceChecksum checksum;
        checksum.Add(slice.get(), static_cast<size_t>(length));
        checksum.AddZeros(sliceSize - length);
        good = checksum.Matches(file.slices[k]);
      }
      if (good) continue;
      lost.push_back(file.firstSlice + static_cast<uint32_t>(k));
      lostPlaces.push_back({index, k});
    }
  }
  Trace().WriteLine(fw::Format("Slices lost: %u of %u", static_cast<unsigned>(lost.size()), set.sliceCount));
  return true;
}

// The bytes before the first lost slice of a piece, or before the first piece that the set
// cannot speak for; all of them (INT64_MAX) when no piece lost any.
void RecoveryMend::KeepBeforeLost(const std::vector<PieceRoom>& rooms) {
  keptBytes = INT64_MAX;
  if (!set.usable) {
    for (const PieceRoom& room : rooms)
      if (room.state != PieceRoom::WHOLE) keptBytes = std::min(keptBytes, room.start);
    return;
  }
  for (const SlicePlace& place : lostPlaces)
    if (sources[place.file].room >= 0)
      keptBytes = std::min(keptBytes, sources[place.file].room + static_cast<int64_t>(place.slice * set.sliceSize));
  for (const PieceRoom& room : rooms)
    if (room.state == PieceRoom::MISSING) keptBytes = std::min(keptBytes, room.start);
}

// Reads the next repair disk, where there is one to ask for; false when none was read (and
// diskFailed when a read failed or the user broke off).
bool RecoveryMend::MoreRecoveryData() {
  const RecoveryFiles::DiskRead outcome = files.ScanNextRepairDisk();
  diskFailed = outcome == RecoveryFiles::DiskRead::FAILED;
  return outcome == RecoveryFiles::DiskRead::READ;
}

// The lost slices as the chosen recovery slices give them, strip by strip, each checked
// against the set's checksums once whole; only then is the restored file whole. As few
// repair disks serve as will: another is asked for only while the recovery slices at hand
// are too few.
bool RecoveryMend::Rebuild() {
  RepairChoice choice;
  for (;;) {
    std::vector<uint32_t> available;
    for (const Par2RecoveryRecord& record : set.recoverySlices) available.push_back(record.exponent);
    choice = ChooseRepairRows(lost, available);
    if (choice.possible || !MoreRecoveryData()) break;
    set.recoverySlices = files.Describe().recoverySlices;
  }
  if (diskFailed) return false;
  if (!choice.possible) {
    Trace().WriteLine("Too few recovery slices");
    const std::string text = fw::FormatText(IDS_RECOVERY_TOO_FEW, choice.missing, choice.independentRows);
    reports.ShowFormattedBox(IDS_RECOVERY_TOO_FEW, text, FAILURE_BOX);
    return false;
  }
  chosen = choice.exponents;
  const uint64_t sliceSize = set.sliceSize;
  const size_t stripBytes = StripBytesFor(sliceSize, REBUILD_COPIES * lost.size());
  int64_t bytes = 0;
  for (uint64_t from = 0; from < sliceSize; from += stripBytes)
    RebuildPass(from, static_cast<size_t>(std::min<uint64_t>(stripBytes, sliceSize - from)), nullptr, bytes);
  reports.ExpectWork(bytes);

  SliceRebuilder rebuilder(lost, choice, stripBytes);
  std::vector<SliceChecksum> checksums(lost.size());
  for (uint64_t from = 0; from < sliceSize; from += stripBytes) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(stripBytes, sliceSize - from));
    if (!RebuildPass(from, length, &rebuilder, bytes)) return false;
    for (size_t q = 0; q < lost.size(); ++q) {
      const unsigned char* strip = rebuilder.Strip(q);
      checksums[q].Add(strip, length);
      const SlicePlace& place = lostPlaces[q];
      const Source& source = sources[place.file];
      if (source.room < 0) continue;
      const uint64_t at = place.slice * sliceSize + from;
      if (!WriteAt(source.room + static_cast<int64_t>(at), strip,
                   BytesInFile(set.files[place.file].length, at, length)))
        return false;
    }
  }
  for (size_t q = 0; q < lost.size(); ++q) {
    const SlicePlace& place = lostPlaces[q];
    if (checksums[q].Matches(set.files[place.file].slices[place.slice])) continue;
    Trace().WriteLine("Checksum of a rebuilt slice wrong");
    reports.ShowBox(IDS_REBUILT_SLICES_DAMAGED, FAILURE_BOX);
    return false;
  }
  Trace().WriteLine("Lost slices rebuilt");
  return true;
}

// One strip of every known slice and of every chosen recovery slice: given to the
// rebuilder, or only counted when there is none.
bool RecoveryMend::RebuildPass(uint64_t from, size_t length, SliceRebuilder* rebuilder, int64_t& bytes) {
  std::unique_ptr<unsigned char[]> strip(rebuilder ? new unsigned char[length] : nullptr);
  if (rebuilder) rebuilder->StartStrip(length);
  size_t next = 0;  // the next lost slice, in the set's order
  for (size_t index = 0; index < set.files.size(); ++index) {
    const Par2InputFile& file = set.files[index];
    for (uint64_t k = 0; k < file.sliceCount; ++k) {
      const uint32_t number = file.firstSlice + static_cast<uint32_t>(k);
      if (next < lost.size() && lost[next] == number) {
        ++next;
        continue;
      }
      const uint64_t have = BytesInFile(file.length, k * set.sliceSize + from, length);
      if (sources[index].kind == Source::ROOM) bytes += static_cast<int64_t>(have);
      if (!rebuilder) continue;
      if (!ReadKnown(index, k, from, static_cast<size_t>(have), strip.get())) return false;
      rebuilder->AddInputSlice(number, strip.get(), static_cast<size_t>(have));
    }
  }
  for (const Par2RecoveryRecord& record : set.recoverySlices) {
    if (!std::binary_search(chosen.begin(), chosen.end(), record.exponent)) continue;
    bytes += static_cast<int64_t>(length);
    if (!rebuilder) continue;
    if (!ReadRecovery(record, from, length, strip.get())) return false;
    rebuilder->AddRecoverySlice(record.exponent, strip.get(), length);
  }
  if (rebuilder) rebuilder->Finish();
  return true;
}

bool RecoveryMend::ReadKnown(size_t file, uint64_t slice, uint64_t offset, size_t length, unsigned char* into) {
  const Source& source = sources[file];
  const uint64_t at = slice * set.sliceSize + offset;
  if (source.kind == Source::MEMORY) {
    std::memcpy(into, source.bytes->data() + at, length);
    return true;
  }
  unsigned char* filled = into;
  return reader.ReadAt(output, static_cast<uint64_t>(source.room) + at, length,
                       [&](const unsigned char* bytes, uint32_t count) {
                         std::memcpy(filled, bytes, count);
                         filled += count;
                       });
}

bool RecoveryMend::ReadRecovery(const Par2RecoveryRecord& record, uint64_t offset, size_t length,
                                unsigned char* into) {
  if (recoveryFiles.size() <= record.file) recoveryFiles.resize(record.file + 1);
  std::unique_ptr<fw::File>& file = recoveryFiles[record.file];
  const std::string& path = files.PathOf(record.file);
  if (!file) {
    file = std::make_unique<fw::File>();
    if (!file->Open(path, fw::File::READ_SHARE_READ)) {
      file.reset();
      return reports.Fail(IDS_READ_INCOMPLETE, path);
    }
  }
  unsigned char* filled = into;
  return reader.ReadAt({*file, path}, record.dataOffset + offset, length,
                       [&](const unsigned char* bytes, uint32_t count) {
                         std::memcpy(filled, bytes, count);
                         filled += count;
                       });
}

bool RecoveryMend::WriteAt(int64_t position, const unsigned char* bytes, uint64_t length) {
  return (output.file.Seek(static_cast<uint64_t>(position)) &&
          output.file.Write(bytes, static_cast<uint32_t>(length))) ||
         reports.Fail(IDS_WRITE_INCOMPLETE, output.path);
}
