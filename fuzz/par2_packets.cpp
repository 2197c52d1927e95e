// The recovery set reader fed any bytes as one file of a set: it never reads outside the
// file, and what it describes holds together (slices numbered without gaps, at most
// 32,768 of them, one checksum per slice, recovery data inside the file at ascending
// exponents). Small sets it describes are then repaired as far as their recovery slices
// allow, which must not fail where the rows chosen were enough.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz/Require.h"
#include "logic/Par2Reader.h"
#include "logic/Par2Recovery.h"

namespace {

class InputSource : public Par2ByteSource {
 public:
  InputSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t Length() const override { return size_; }
  bool Read(uint64_t offset, void* buffer, size_t count) override {
    REQUIRE_PROPERTY(offset <= size_ && count <= size_ - offset);
    std::memcpy(buffer, data_ + offset, count);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Every slice of the files without checksums counts as lost; the recovery slices found
// rebuild them where the choice of rows says they can.
void RepairSmallSet(const Par2SetDescription& set, const uint8_t* data) {
  std::vector<uint32_t> missing;
  for (const Par2InputFile& file : set.files)
    if (!file.checksummed)
      for (uint32_t slice = 0; slice < file.sliceCount && missing.size() < 16; ++slice)
        missing.push_back(file.firstSlice + slice);
  std::vector<uint32_t> exponents;
  for (const Par2RecoveryRecord& slice : set.recoverySlices) exponents.push_back(slice.exponent);
  const RepairChoice choice = ChooseRepairRows(missing, exponents);
  REQUIRE_PROPERTY(choice.independentRows <= missing.size() && choice.independentRows <= exponents.size());
  REQUIRE_PROPERTY(choice.possible == (choice.independentRows == missing.size()));
  if (!choice.possible || missing.empty()) return;
  const auto length = static_cast<size_t>(set.sliceSize);
  SliceRebuilder rebuilder(missing, choice, length);
  rebuilder.StartStrip(length);
  for (const Par2RecoveryRecord& slice : set.recoverySlices)
    rebuilder.AddRecoverySlice(slice.exponent, data + slice.dataOffset, length);
  const std::vector<unsigned char> zeros(length, 0);
  for (uint32_t slice = 0; slice < set.sliceCount; ++slice) rebuilder.AddInputSlice(slice, zeros.data(), length);
  rebuilder.Finish();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrepareGaloisTables();
  InputSource source(data, size);
  Par2Reader reader;
  REQUIRE_PROPERTY(reader.Scan(source, 7));
  const Par2SetDescription set = reader.Describe();
  if (!set.found) {
    REQUIRE_PROPERTY(set.files.empty() && set.recoverySlices.empty() && !set.usable);
    return 0;
  }
  REQUIRE_PROPERTY(set.sliceSize > 0 && set.sliceSize % 4 == 0);
  uint64_t slices = 0;
  for (const Par2InputFile& file : set.files) {
    if (set.usable) REQUIRE_PROPERTY(file.firstSlice == slices);
    if (file.described) REQUIRE_PROPERTY(file.sliceCount == (file.length + set.sliceSize - 1) / set.sliceSize ||
                                         file.sliceCount == MOST_INPUT_SLICES + 1);
    if (file.checksummed) REQUIRE_PROPERTY(file.described && file.slices.size() == file.sliceCount);
    REQUIRE_PROPERTY(file.utf16Name.size() % 2 == 0);
    slices += file.sliceCount;
  }
  REQUIRE_PROPERTY(!set.usable || (set.sliceCount == slices && slices <= MOST_INPUT_SLICES));
  for (size_t at = 0; at < set.recoverySlices.size(); ++at) {
    const Par2RecoveryRecord& slice = set.recoverySlices[at];
    REQUIRE_PROPERTY(slice.file == 7);
    REQUIRE_PROPERTY(slice.dataOffset <= size && set.sliceSize <= size - slice.dataOffset);
    if (at > 0) REQUIRE_PROPERTY(set.recoverySlices[at - 1].exponent < slice.exponent);
  }
  if (set.usable && set.sliceSize <= 4096) RepairSmallSet(set, data);
  return 0;
}
