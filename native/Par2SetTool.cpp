// Writes and repairs PAR 2.0 recovery sets with the program's window-free logic, on Linux
// files, so that par2cmdline can judge the sets it writes and it can repair the sets that
// par2cmdline writes:
//   par2_set_tool [--way table|ssse3|avx2] create BASE SLICESIZE RECOVERYCOUNT PERVOLUME FILE...
//   par2_set_tool [--way table|ssse3|avx2] repair BASE.par2
// create writes BASE.par2 and BASE.volF+C.par2 volumes of PERVOLUME slices beside BASE; the
// files are named in the set by their paths relative to that folder. repair reads BASE.par2
// and every BASE.*.par2 beside it, checks each file slice by slice in place, and rebuilds
// missing and damaged slices; --way takes that way of the field's multiply-add instead of
// the fastest. create prints the encoder's speed (in processor time) on standard error. Exit status: 0 done,
// 1 a file error, 2 repair not possible.
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "logic/Crc32.h"
#include "logic/Par2Packets.h"
#include "logic/Par2Reader.h"
#include "logic/Par2Recovery.h"

namespace {

constexpr size_t CHUNK = 1 << 20;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "par2_set_tool: %s\n", what.c_str());
  std::exit(1);
}

class File : public Par2ByteSource {
 public:
  File(const std::string& path, const char* mode) : file_(std::fopen(path.c_str(), mode)) {}
  ~File() override {
    if (file_) std::fclose(file_);
  }
  bool IsOpen() const { return file_ != nullptr; }
  uint64_t Length() const override {
    std::fseek(file_, 0, SEEK_END);
    return static_cast<uint64_t>(ftello(file_));
  }
  bool Read(uint64_t offset, void* buffer, size_t count) override {
    return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0 && std::fread(buffer, 1, count, file_) == count;
  }
  // Reads what there is of count bytes at offset; the rest are zeros.
  void ReadPadded(uint64_t offset, unsigned char* buffer, size_t count) {
    std::memset(buffer, 0, count);
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0) (void)std::fread(buffer, 1, count, file_);
  }
  void Write(uint64_t offset, const void* bytes, size_t count) {
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0 || std::fwrite(bytes, 1, count, file_) != count)
      Fail("cannot write");
  }

 private:
  std::FILE* file_;
};

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// The processor time this thread has taken: what the encoder's speed is measured in, so
// that other work on a shared machine does not count.
double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

GaloisWay way = GaloisWay::TABLE;

int Create(const std::string& base, uint64_t sliceSize, uint32_t recoveryCount, uint32_t perVolume,
           const std::vector<std::string>& names) {
  const std::string folder = FolderOf(base);
  std::vector<Par2FileRecord> records;
  std::vector<unsigned char> chunk(CHUNK);
  for (const std::string& name : names) {
    File file(folder + "/" + name, "rb");
    if (!file.IsOpen()) Fail("cannot open " + name);
    Par2FileDescriber describer(name, sliceSize);
    for (uint64_t at = 0, length = file.Length(); at < length; at += CHUNK) {
      const size_t count = static_cast<size_t>(std::min<uint64_t>(CHUNK, length - at));
      if (!file.Read(at, chunk.data(), count)) Fail("cannot read " + name);
      describer.Add(chunk.data(), count);
    }
    records.push_back(describer.Finish());
  }
  const Par2SetPackets set(sliceSize, std::move(records));
  File index(Par2IndexFileName(base), "wb");
  const std::string indexBytes = set.IndexFile();
  index.Write(0, indexBytes.data(), indexBytes.size());

  // Each recovery packet's place in its volume, then the strips of all slices written there.
  struct Packet {
    File* volume;
    uint64_t offset;
  };
  std::vector<std::unique_ptr<File>> volumes;
  std::vector<Packet> packets;
  for (uint32_t first = 0; first < recoveryCount; first += perVolume) {
    const uint32_t count = std::min(perVolume, recoveryCount - first);
    const std::string name = Par2VolumeFileName(base, first, count, recoveryCount, std::min(perVolume, recoveryCount));
    volumes.push_back(std::make_unique<File>(name, "w+b"));
    uint64_t offset = 0;
    for (uint32_t k = 0; k < count; ++k) {
      packets.push_back({volumes.back().get(), offset});
      offset += PAR2_RECOVERY_OVERHEAD + sliceSize;
      for (uint32_t copy = Par2CriticalCopiesAfter(k, count); copy > 0; --copy, offset += set.CriticalPackets().size())
        volumes.back()->Write(offset, set.CriticalPackets().data(), set.CriticalPackets().size());
    }
    volumes.back()->Write(offset, set.CreatorPacket().data(), set.CreatorPacket().size());
  }
  std::vector<Md5> md5s;
  for (uint32_t k = 0; k < recoveryCount; ++k) md5s.push_back(set.BeginRecoveryPacketMd5(k));
  const size_t strip = StripBytesFor(sliceSize, recoveryCount);
  RecoveryEncoder encoder(0, recoveryCount, strip, way);
  std::vector<unsigned char> bytes(strip);
  double encoding = 0;
  for (uint64_t start = 0; start < sliceSize; start += strip) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(strip, sliceSize - start));
    encoder.StartStrip(length);
    uint32_t slice = 0;
    for (const Par2FileRecord& record : set.Files()) {
      File file(folder + "/" + record.name, "rb");
      for (uint64_t offset = start; offset < record.length + start; offset += sliceSize, ++slice) {
        if (offset >= record.length) continue;
        const size_t have = static_cast<size_t>(std::min<uint64_t>(length, record.length - offset));
        if (!file.Read(offset, bytes.data(), have)) Fail("cannot read " + record.name);
        const double begun = ThreadSeconds();
        encoder.AddInputSlice(slice, bytes.data(), have);
        encoding += ThreadSeconds() - begun;
      }
    }
    for (uint32_t k = 0; k < recoveryCount; ++k) {
      md5s[k].Add(encoder.Strip(k), length);
      packets[k].volume->Write(packets[k].offset + PAR2_RECOVERY_OVERHEAD + start, encoder.Strip(k), length);
    }
  }
  for (uint32_t k = 0; k < recoveryCount; ++k) {
    const std::string header = set.RecoveryPacketHeader(k, md5s[k].Finish());
    packets[k].volume->Write(packets[k].offset, header.data(), header.size());
  }
  std::fprintf(stderr, "encoded %llu input bytes x %u recovery slices in %.3f s of processor time (%.0f MB/s of input x R)\n",
               static_cast<unsigned long long>(set.SliceCount() * sliceSize), recoveryCount, encoding,
               double(set.SliceCount() * sliceSize) * recoveryCount / encoding / 1e6);
  return 0;
}

// The set's files beside the index: BASE.par2 and every BASE.*.par2.
std::vector<std::string> SetFiles(const std::string& indexPath) {
  const std::string folder = FolderOf(indexPath);
  const std::string name = indexPath.substr(folder.size() + 1);
  const std::string base = name.substr(0, name.size() - 5);
  std::vector<std::string> paths = {indexPath};
  DIR* directory = opendir(folder.c_str());
  if (!directory) Fail("cannot list " + folder);
  while (const dirent* entry = readdir(directory)) {
    const std::string other = entry->d_name;
    if (other.size() > base.size() + 6 && other.compare(0, base.size() + 1, base + ".") == 0 &&
        other.compare(other.size() - 5, 5, ".par2") == 0 && other != name)
      paths.push_back(folder + "/" + other);
  }
  closedir(directory);
  return paths;
}

int Repair(const std::string& indexPath) {
  const std::string folder = FolderOf(indexPath);
  const std::vector<std::string> setFiles = SetFiles(indexPath);
  std::vector<std::unique_ptr<File>> sources;
  Par2Reader reader;
  for (const std::string& path : setFiles) {
    sources.push_back(std::make_unique<File>(path, "rb"));
    if (sources.back()->IsOpen()) reader.Scan(*sources.back(), static_cast<uint32_t>(sources.size() - 1));
  }
  const Par2SetDescription set = reader.Describe();
  if (!set.usable) Fail("no usable recovery set in " + indexPath);
  const size_t sliceSize = static_cast<size_t>(set.sliceSize);

  // Every slice checked in place: a missing file loses all of its slices.
  std::vector<uint32_t> missing;
  std::vector<unsigned char> slice(sliceSize);
  for (const Par2InputFile& file : set.files) {
    File data(folder + "/" + file.name, "rb");
    for (uint32_t at = 0; at < file.sliceCount; ++at) {
      bool intact = data.IsOpen() && file.checksummed;
      if (intact) {
        data.ReadPadded(uint64_t{at} * sliceSize, slice.data(), sliceSize);
        const uint64_t real = std::min<uint64_t>(sliceSize, file.length - uint64_t{at} * sliceSize);
        std::memset(slice.data() + real, 0, sliceSize - real);
        intact = Md5Of(slice.data(), sliceSize) == file.slices[at].md5 &&
                 Crc32Update(0, slice.data(), sliceSize) == file.slices[at].crc;
      }
      if (!intact) missing.push_back(file.firstSlice + at);
    }
  }
  if (missing.empty()) return std::printf("all files are correct\n"), 0;
  std::vector<uint32_t> exponents;
  for (const Par2RecoveryRecord& record : set.recoverySlices) exponents.push_back(record.exponent);
  const RepairChoice choice = ChooseRepairRows(missing, exponents);
  if (!choice.possible) {
    std::printf("repair not possible: %u slices missing, %u independent recovery slices\n", choice.missing,
                choice.independentRows);
    return 2;
  }

  const size_t strip = StripBytesFor(sliceSize, 2 * missing.size());
  SliceRebuilder rebuilder(missing, choice, strip, way);
  std::vector<std::unique_ptr<File>> targets;  // the files that lost slices, opened for writing
  std::vector<const Par2InputFile*> owners(set.sliceCount);
  for (const Par2InputFile& file : set.files)
    for (uint32_t at = 0; at < file.sliceCount; ++at) owners[file.firstSlice + at] = &file;
  std::vector<File*> targetOf(set.files.size(), nullptr);
  for (uint32_t lost : missing) {
    const size_t fileIndex = static_cast<size_t>(owners[lost] - set.files.data());
    if (targetOf[fileIndex]) continue;
    const std::string path = folder + "/" + owners[lost]->name;
    File existing(path, "rb");
    targets.push_back(std::make_unique<File>(path, existing.IsOpen() ? "r+b" : "w+b"));
    if (!targets.back()->IsOpen()) Fail("cannot write " + path);
    targetOf[fileIndex] = targets.back().get();
  }
  for (uint64_t start = 0; start < sliceSize; start += strip) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(strip, sliceSize - start));
    rebuilder.StartStrip(length);
    for (const Par2InputFile& file : set.files) {
      File data(folder + "/" + file.name, "rb");
      for (uint32_t at = 0; at < file.sliceCount && data.IsOpen(); ++at) {
        data.ReadPadded(uint64_t{at} * sliceSize + start, slice.data(), length);
        const uint64_t offset = uint64_t{at} * sliceSize + start;
        const size_t real = offset >= file.length ? 0 : static_cast<size_t>(std::min<uint64_t>(length, file.length - offset));
        rebuilder.AddInputSlice(file.firstSlice + at, slice.data(), real);
      }
    }
    for (const Par2RecoveryRecord& record : set.recoverySlices) {
      if (!sources[record.file]->Read(record.dataOffset + start, slice.data(), length)) Fail("cannot read recovery data");
      rebuilder.AddRecoverySlice(record.exponent, slice.data(), length);
    }
    rebuilder.Finish();
    for (size_t k = 0; k < missing.size(); ++k) {
      const Par2InputFile& file = *owners[missing[k]];
      const uint64_t offset = uint64_t{missing[k] - file.firstSlice} * sliceSize + start;
      if (offset < file.length)
        targetOf[static_cast<size_t>(&file - set.files.data())]->Write(
            offset, rebuilder.Strip(k), static_cast<size_t>(std::min<uint64_t>(length, file.length - offset)));
    }
  }
  targets.clear();
  // Each rebuilt file cut to its length and checked whole.
  for (size_t at = 0; at < set.files.size(); ++at) {
    if (!targetOf[at]) continue;
    const Par2InputFile& file = set.files[at];
    const std::string path = folder + "/" + file.name;
    if (truncate(path.c_str(), static_cast<off_t>(file.length)) != 0) Fail("cannot cut " + path);
    Md5 md5;
    File data(path, "rb");
    for (uint64_t offset = 0; offset < file.length; offset += sliceSize) {
      const size_t count = static_cast<size_t>(std::min<uint64_t>(sliceSize, file.length - offset));
      if (!data.Read(offset, slice.data(), count)) Fail("cannot read back " + path);
      md5.Add(slice.data(), count);
    }
    if (md5.Finish() != file.md5) Fail("rebuilt " + file.name + " does not match its MD5");
    std::printf("repaired %s\n", file.name.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  ChooseGaloisWay(true);
  ChooseCrc32Way(true);
  way = ChosenGaloisWay();
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() >= 2 && arguments[0] == "--way") {
    const char* names[] = {"table", "ssse3", "avx2"};
    const auto named = std::find(std::begin(names), std::end(names), arguments[1]);
    if (named == std::end(names) || !ProcessorOffers(way = static_cast<GaloisWay>(named - names)))
      Fail("this processor has no way " + arguments[1]);
    arguments.erase(arguments.begin(), arguments.begin() + 2);
  }
  if (arguments.size() >= 6 && arguments[0] == "create")
    return Create(arguments[1], std::strtoull(arguments[2].c_str(), nullptr, 10),
                  static_cast<uint32_t>(std::strtoul(arguments[3].c_str(), nullptr, 10)),
                  static_cast<uint32_t>(std::strtoul(arguments[4].c_str(), nullptr, 10)),
                  std::vector<std::string>(arguments.begin() + 5, arguments.end()));
  if (arguments.size() == 2 && arguments[0] == "repair") return Repair(arguments[1]);
  std::fprintf(stderr, "usage: par2_set_tool [--way table|ssse3|avx2] create BASE SLICESIZE RECOVERYCOUNT PERVOLUME FILE...\n"
                       "       par2_set_tool [--way table|ssse3|avx2] repair BASE.par2\n");
  return 1;
}
