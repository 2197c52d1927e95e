#include "split/RecoverySet.h"

#include <algorithm>

#include "job/BlockCopier.h"
#include "job/GuardedFile.h"
#include "res/resource.h"

namespace {

uint64_t stripMemory = 0;

}  // namespace

void SetRecoveryStripMemory(uint64_t bytes) { stripMemory = bytes; }

RecoverySet::RecoverySet(WorkerReports& reports, BlockReader& reader, int64_t& work, HWND owner)
    : reports(reports), reader(reader), work(work), owner(owner) {}

RecoverySet::~RecoverySet() { RemoveTemporary(); }

void RecoverySet::Describe(std::vector<Par2FileRecord> records, size_t pieces, int64_t pieceSize,
                           const std::string* const* extraBytes, const Par2SplitPlan& splitPlan) {
  plan = splitPlan;
  std::vector<std::string> names(records.size());
  for (size_t file = 0; file < records.size(); ++file) names[file] = records[file].name;
  set = std::make_unique<Par2SetPackets>(plan.sliceSize, std::move(records));
  // The files in the Main packet's order, found by their names, which are unique in the set.
  inputs = std::vector<InputSource>(names.size());
  for (size_t file = 0; file < names.size(); ++file) {
    const size_t given =
        static_cast<size_t>(std::find(names.begin(), names.end(), set->Files()[file].name) - names.begin());
    inputs[file] = given < pieces ? InputSource{int64_t(given) * pieceSize, nullptr}
                                  : InputSource{0, extraBytes[given - pieces]};
  }
}

bool RecoverySet::WriteBeside(CopyEnd source, const std::string& folder, const std::string& baseName) {
  const std::string base = folder + '\\' + baseName;
  const std::string index = set->IndexFile();
  std::vector<Place> places(plan.recoverySlices);
  bool done = Start() && Create(Par2IndexFileName(base)) && WriteAt(*files.back(), 0, index.data(), index.size());
  for (uint32_t volume = 0; done && volume < plan.volumes.volumeCount; ++volume) {
    uint64_t end = 0;
    done = Create(VolumeName(base, volume)) && LayOutVolume(*files.back(), volume, places, end);
  }
  done = done && Compute(source, places) && CloseAll();
  if (!done) RemoveWritten();
  files.clear();
  return done;
}

// Each repair disk's files one after another in the temporary file, as they are copied: the
// volume, the index file and the info file.
bool RecoverySet::ComputeAside(CopyEnd source, const std::string& infoText) {
  RemoveTemporary();
  Start();
  char folder[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "pvr", 0, path)) return Fail(folder);
  temporary = std::make_unique<OpenFile>();
  temporary->path = path;
  const std::string index = set->IndexFile();
  std::vector<Place> places(plan.recoverySlices);
  diskFiles = std::vector<DiskFiles>(plan.volumes.volumeCount);
  uint64_t end = 0;
  bool done = temporary->file.Open(path, fw::File::UPDATE_EXCLUSIVE) || Fail(path);
  for (uint32_t volume = 0; done && volume < plan.volumes.volumeCount; ++volume) {
    const uint64_t start = end;
    done = LayOutVolume(*temporary, volume, places, end) && WriteAt(*temporary, end, index.data(), index.size()) &&
           WriteAt(*temporary, end + index.size(), infoText.data(), infoText.size());
    diskFiles[volume] = {start, end - start, index.size(), infoText.size()};
    end += index.size() + infoText.size();
  }
  if (done && Compute(source, places)) return true;
  RemoveTemporary();
  return false;
}

void RecoverySet::RemoveTemporary() {
  if (!temporary) return;
  temporary->file.Abort();
  DeleteFileA(temporary->path.c_str());
  temporary.reset();
}

// The disk's three files copied from the temporary file with the usual copy of a floppy:
// blocks of 32 KiB, each flushed at once.
bool RecoverySet::WriteDisk(uint32_t volume, const std::string& folder, const std::string& baseName) {
  const std::string base = folder + '\\' + baseName;
  const DiskFiles& disk = diskFiles[volume];
  const std::string names[] = {VolumeName(base, volume), Par2IndexFileName(base), base + ".Split"};
  const uint64_t lengths[] = {disk.volumeBytes, disk.indexBytes, disk.infoBytes};
  BlockCopier copier(reports, IDS_ABORT_SPLIT, COPY_BLOCK_BYTES);
  copier.Skip(work);
  copier.LeaveWriteFailuresUntold();
  bool done = Start() && (temporary->file.Seek(disk.start) || Fail(temporary->path));
  for (size_t file = 0; done && file < std::size(names); ++file) {
    done = Create(names[file]);
    if (done && copier.Copy({temporary->file, temporary->path}, {files.back()->file, names[file]},
                            static_cast<int64_t>(lengths[file]), true) != BlockCopier::LIMIT_REACHED) {
      brokenOff = copier.BrokenOff();
      done = brokenOff ? false : Fail(names[file]);
    }
  }
  work = copier.Done();
  done = done && CloseAll();
  if (!done) RemoveWritten();
  files.clear();
  return done;
}

// The copies of the critical packets after each of the volume's recovery packets, and its
// Creator packet at its end, written into the file from end on; where the recovery packets
// go is noted in places, and end moves past the volume.
bool RecoverySet::LayOutVolume(OpenFile& file, uint32_t volume, std::vector<Place>& places, uint64_t& end) {
  const std::string& critical = set->CriticalPackets();
  const uint32_t first = volume * plan.volumes.slicesPerVolume, count = SlicesIn(volume);
  for (uint32_t k = 0; k < count; ++k) {
    places[first + k] = {&file, end};
    end += PAR2_RECOVERY_OVERHEAD + plan.sliceSize;
    for (uint32_t copy = Par2CriticalCopiesAfter(k, count); copy > 0; --copy, end += critical.size())
      if (!WriteAt(file, end, critical.data(), critical.size())) return false;
  }
  const std::string& creator = set->CreatorPacket();
  end += creator.size();
  return WriteAt(file, end - creator.size(), creator.data(), creator.size());
}

std::string RecoverySet::VolumeName(const std::string& base, uint32_t volume) const {
  return Par2VolumeFileName(base, volume * plan.volumes.slicesPerVolume, SlicesIn(volume), plan.recoverySlices,
                            SlicesIn(0));
}

uint32_t RecoverySet::SlicesIn(uint32_t volume) const {
  const uint32_t first = volume * plan.volumes.slicesPerVolume;
  return std::min(plan.volumes.slicesPerVolume, plan.recoverySlices - first);
}

bool RecoverySet::Start() {
  brokenOff = false;
  failedPath.clear();
  return true;
}

int64_t RecoverySet::DiskWork(const Par2SplitPlan& plan, uint64_t infoBytes) {
  const uint64_t index = plan.criticalBytes + plan.creatorBytes;
  int64_t bytes = 0;
  for (uint32_t first = 0; first < plan.recoverySlices; first += plan.volumes.slicesPerVolume) {
    const uint32_t count = std::min(plan.volumes.slicesPerVolume, plan.recoverySlices - first);
    bytes += static_cast<int64_t>(Par2VolumeBytes(count, plan.sliceSize, plan.criticalBytes, plan.creatorBytes) +
                                  index + infoBytes);
  }
  return bytes;
}

// The strips take the memory budget less what the set's packets and the packets' MD5s hold.
bool RecoverySet::Compute(CopyEnd source, const std::vector<Place>& places) {
  const uint32_t count = plan.recoverySlices;
  const uint64_t beside = 2 * set->CriticalPackets().size() + uint64_t{count} * (sizeof(Md5) + sizeof(Place));
  const size_t strip = StripBytesFor(plan.sliceSize, count, stripMemory ? stripMemory : MOST_STRIP_MEMORY - beside);
  RecoveryEncoder encoder(0, count, strip);
  std::vector<Md5> md5s;
  md5s.reserve(count);
  // A placeholder header in each packet's place until its MD5 is known.
  for (uint32_t k = 0; k < count; ++k) {
    md5s.push_back(set->BeginRecoveryPacketMd5(k));
    const std::string header = set->RecoveryPacketHeader(k, Md5Digest{});
    if (!WriteAt(*places[k].file, places[k].offset, header.data(), header.size())) return false;
  }
  for (uint64_t start = 0; start < plan.sliceSize; start += strip) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(strip, plan.sliceSize - start));
    if (!ComputeStrip(source, encoder, start, length)) return false;
    for (uint32_t k = 0; k < count; ++k) {
      md5s[k].Add(encoder.Strip(k), length);
      if (!WriteAt(*places[k].file, places[k].offset + PAR2_RECOVERY_OVERHEAD + start, encoder.Strip(k), length))
        return false;
    }
  }
  for (uint32_t k = 0; k < count; ++k) {
    const std::string header = set->RecoveryPacketHeader(k, md5s[k].Finish());
    if (!WriteAt(*places[k].file, places[k].offset, header.data(), header.size())) return false;
  }
  return true;
}

// Every input slice's bytes of the strip, the slices numbered file by file in the Main
// packet's order; a piece's come from the source a block at a time.
bool RecoverySet::ComputeStrip(CopyEnd source, RecoveryEncoder& encoder, uint64_t stripStart, size_t length) {
  encoder.StartStrip(length);
  uint32_t slice = 0;
  for (size_t file = 0; file < inputs.size(); ++file) {
    const uint64_t fileLength = set->Files()[file].length;
    const InputSource& input = inputs[file];
    for (uint64_t sliceStart = 0; sliceStart < fileLength; sliceStart += plan.sliceSize, ++slice) {
      const uint64_t at = sliceStart + stripStart;
      if (at >= fileLength) continue;
      const size_t have = static_cast<size_t>(std::min<uint64_t>(length, fileLength - at));
      if (input.bytes) {
        encoder.AddInputSlice(slice, reinterpret_cast<const unsigned char*>(input.bytes->data()) + at, have);
        continue;
      }
      size_t offset = 0;
      if (!reader.ReadAt(source, static_cast<uint64_t>(input.sourceStart) + at, have,
                         [&](const unsigned char* bytes, uint32_t got) {
                           encoder.AddInputSlice(slice, bytes, got, offset);
                           offset += got;
                         })) {
        // The reader told the user of a source that could not be read.
        brokenOff = reader.BrokenOff();
        return false;
      }
    }
  }
  return true;
}

bool RecoverySet::Create(const std::string& path) {
  files.push_back(std::make_unique<OpenFile>());
  files.back()->path = path;
  if (CreateFileGuarded(path, files.back()->file, owner)) return true;
  files.pop_back();  // not created: nothing of it to remove
  return Fail(path);
}

bool RecoverySet::WriteAt(OpenFile& file, uint64_t offset, const void* bytes, size_t length) {
  return (file.file.Seek(offset) && file.file.Write(bytes, static_cast<uint32_t>(length))) ||
         Fail(file.path);
}

bool RecoverySet::CloseAll() {
  for (const std::unique_ptr<OpenFile>& file : files)
    if (!file->file.Close()) return Fail(file->path);
  return true;
}

bool RecoverySet::Fail(const std::string& path) {
  failedPath = path;
  return false;
}

void RecoverySet::RemoveWritten() {
  for (const std::unique_ptr<OpenFile>& file : files) {
    file->file.Abort();
    DeleteFileA(file->path.c_str());
  }
}
