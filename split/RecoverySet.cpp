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

void RecoverySet::Describe(std::vector<RecoveryInput> described, const Par2SplitPlan& splitPlan) {
  plan = splitPlan;
  std::vector<std::string> names;
  std::vector<Par2FileRecord> records;
  for (RecoveryInput& input : described) {
    names.push_back(input.record.name);
    records.push_back(std::move(input.record));
  }
  set = std::make_unique<Par2SetPackets>(plan.sliceSize, std::move(records));
  // The inputs in the Main packet's order, found by their names, which are unique in the set.
  inputs.clear();
  for (const Par2FileRecord& file : set->Files())
    inputs.push_back(described[static_cast<size_t>(std::find(names.begin(), names.end(), file.name) - names.begin())]);
}

bool RecoverySet::WriteBeside(CopyEnd source, const std::string& folder, const std::string& baseName) {
  const std::string base = folder + '\\' + baseName;
  const std::string index = set->IndexFile();
  bool done = Start() && Create(Par2IndexFileName(base)) && WriteAt(*files.back(), 0, index.data(), index.size());
  // Each volume's recovery packets with the copies of the critical packets after them, and
  // the Creator packet at its end.
  const std::string& critical = set->CriticalPackets();
  std::vector<Place> places;
  for (uint32_t volume = 0; done && volume < plan.volumes.volumeCount; ++volume) {
    const uint32_t first = volume * plan.volumes.slicesPerVolume, count = SlicesIn(volume);
    done = Create(Par2VolumeFileName(base, first, count, plan.recoverySlices, SlicesIn(0)));
    uint64_t offset = 0;
    for (uint32_t k = 0; done && k < count; ++k) {
      places.push_back({files.back().get(), offset});
      offset += PAR2_RECOVERY_OVERHEAD + plan.sliceSize;
      for (uint32_t copy = Par2CriticalCopiesAfter(k, count); done && copy > 0; --copy, offset += critical.size())
        done = WriteAt(*files.back(), offset, critical.data(), critical.size());
    }
    done = done && WriteAt(*files.back(), offset, set->CreatorPacket().data(), set->CreatorPacket().size());
  }
  done = done && Compute(source, places) && CloseAll();
  if (!done) RemoveWritten();
  files.clear();
  return done;
}

bool RecoverySet::ComputeAside(CopyEnd source) {
  RemoveTemporary();
  if (!Start()) return false;
  char folder[MAX_PATH], path[MAX_PATH];
  if (!GetTempPathA(MAX_PATH, folder) || !GetTempFileNameA(folder, "pvr", 0, path)) return Fail(folder);
  temporary = std::make_unique<OpenFile>();
  temporary->path = path;
  if (!temporary->file.Open(path, fw::File::UPDATE_EXCLUSIVE)) {
    RemoveTemporary();
    return Fail(path);
  }
  // The packets one after another.
  std::vector<Place> places;
  for (uint32_t k = 0; k < plan.recoverySlices; ++k)
    places.push_back({temporary.get(), uint64_t{k} * (PAR2_RECOVERY_OVERHEAD + plan.sliceSize)});
  if (Compute(source, places)) return true;
  RemoveTemporary();
  return false;
}

void RecoverySet::RemoveTemporary() {
  if (!temporary) return;
  temporary->file.Abort();
  DeleteFileA(temporary->path.c_str());
  temporary.reset();
}

bool RecoverySet::WriteDisk(uint32_t volume, const std::string& folder, const std::string& baseName,
                            const std::string& infoText) {
  const std::string base = folder + '\\' + baseName;
  const uint32_t first = volume * plan.volumes.slicesPerVolume, count = SlicesIn(volume);
  const std::string& critical = set->CriticalPackets();
  const uint64_t packetBytes = PAR2_RECOVERY_OVERHEAD + plan.sliceSize;
  std::unique_ptr<unsigned char[]> block(new unsigned char[COPY_BLOCK_BYTES]);
  bool done = Start() && Create(Par2VolumeFileName(base, first, count, plan.recoverySlices, SlicesIn(0)));
  for (uint32_t k = 0; done && k < count; ++k) {
    // The packet copied from the temporary file, then the copies of the critical packets.
    const uint64_t start = uint64_t{first + k} * packetBytes;
    for (uint64_t at = 0; done && at < packetBytes;) {
      const uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(COPY_BLOCK_BYTES, packetBytes - at));
      done = ReadAt(*temporary, start + at, block.get(), length) && WriteFlushed(*files.back(), block.get(), length, true);
      at += length;
    }
    for (uint32_t copy = Par2CriticalCopiesAfter(k, count); done && copy > 0; --copy)
      done = WriteFlushed(*files.back(), critical.data(), critical.size(), false);
  }
  const std::string index = set->IndexFile();
  done = done && WriteFlushed(*files.back(), set->CreatorPacket().data(), set->CreatorPacket().size(), false) &&
         Create(Par2IndexFileName(base)) && WriteFlushed(*files.back(), index.data(), index.size(), false) &&
         Create(base + ".Split") && WriteFlushed(*files.back(), infoText.data(), infoText.size(), false) &&
         CloseAll();
  if (!done) RemoveWritten();
  files.clear();
  return done;
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
    const RecoveryInput& input = inputs[file];
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
  try {
    file.file.Seek(offset);
    file.file.Write(bytes, static_cast<uint32_t>(length));
  } catch (const fw::FileError&) {
    return Fail(file.path);
  }
  return true;
}

bool RecoverySet::ReadAt(OpenFile& file, uint64_t offset, void* bytes, uint32_t length) {
  try {
    file.file.Seek(offset);
    if (file.file.Read(bytes, length) == length) return true;
  } catch (const fw::FileError&) {
  }
  return Fail(file.path);
}

// In blocks of a floppy copy, each flushed at once; counted bytes are work done.
bool RecoverySet::WriteFlushed(OpenFile& file, const void* bytes, size_t length, bool counted) {
  const auto* from = static_cast<const char*>(bytes);
  for (size_t at = 0; at < length;) {
    const uint32_t block = static_cast<uint32_t>(std::min<size_t>(COPY_BLOCK_BYTES, length - at));
    try {
      file.file.Write(from + at, block);
      file.file.Flush();
    } catch (const fw::FileError&) {
      return Fail(file.path);
    }
    at += block;
    if (counted) work += block;
    if (reports.BlockDone(work, IDS_ABORT_SPLIT)) {
      brokenOff = true;
      return false;
    }
  }
  return true;
}

bool RecoverySet::CloseAll() {
  for (const std::unique_ptr<OpenFile>& file : files) {
    try {
      file->file.Close();
    } catch (const fw::FileError&) {
      return Fail(file->path);
    }
  }
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
