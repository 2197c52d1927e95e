// Recovery slices and the rebuilding of lost slices: the worked example word for word,
// random sets rebuilt after random losses in strips of any width (their input slices given
// whole or in parts), and the choice of rows
// where two exponents give equal rows.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "logic/Par2Recovery.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct Noise {
  uint32_t state;
  uint32_t Next() { return state = state * 1103515245u + 12345u, state >> 8; }
  uint32_t Below(uint32_t bound) { return Next() % bound; }
};

// Input slices of one set: each file cut into slices, the last one short (its length kept).
struct InputSlices {
  std::vector<Bytes> slices;  // without their padding

  InputSlices(const std::vector<Bytes>& files, size_t sliceSize) {
    for (const Bytes& file : files)
      for (size_t at = 0; at < file.size(); at += sliceSize)
        slices.emplace_back(file.begin() + at, file.begin() + std::min(file.size(), at + sliceSize));
  }
  // The slice padded with zero bytes to the slice size.
  Bytes Padded(size_t slice, size_t sliceSize) const {
    Bytes padded = slices[slice];
    padded.resize(sliceSize, 0);
    return padded;
  }
};

// Feeds the part of a slice that lies in the strip [start, start + length).
template <typename Sink>
void FeedStrip(Sink&& add, const Bytes& slice, size_t start, size_t length) {
  const size_t have = slice.size() > start ? std::min(slice.size() - start, length) : 0;
  add(have ? slice.data() + start : nullptr, have);
}

// The recovery slices, each input slice's part of a strip given whole, or, with noise, in
// parts of random even lengths, each from its offset into the strip.
std::vector<Bytes> Encode(const InputSlices& input, size_t sliceSize, const std::vector<uint32_t>& exponents,
                          size_t strip, GaloisWay way, Noise* parts = nullptr) {
  RecoveryEncoder encoder(exponents, strip, way);
  std::vector<Bytes> recovery(exponents.size(), Bytes(sliceSize));
  const auto add = [&](uint32_t slice, const unsigned char* bytes, size_t have) {
    for (size_t offset = 0; parts && offset < have;) {
      const size_t part = std::min(have - offset, 2 * size_t{1 + parts->Below(4)});
      encoder.AddInputSlice(slice, bytes + offset, part, offset);
      offset += part;
    }
    if (!parts) encoder.AddInputSlice(slice, bytes, have);
  };
  for (size_t start = 0; start < sliceSize; start += strip) {
    const size_t length = std::min(strip, sliceSize - start);
    encoder.StartStrip(length);
    for (size_t slice = 0; slice < input.slices.size(); ++slice)
      FeedStrip([&](const unsigned char* bytes, size_t have) { add(uint32_t(slice), bytes, have); },
                input.slices[slice], start, length);
    for (size_t k = 0; k < exponents.size(); ++k)
      std::copy_n(encoder.Strip(k), length, recovery[k].begin() + start);
  }
  return recovery;
}

// The missing slices rebuilt from the others and the recovery slices at hand, strip by strip.
std::vector<Bytes> Rebuild(const InputSlices& input, size_t sliceSize, const std::vector<uint32_t>& missing,
                           const RepairChoice& choice, const std::vector<uint32_t>& exponents,
                           const std::vector<Bytes>& recovery, size_t strip, GaloisWay way) {
  SliceRebuilder rebuilder(missing, choice, strip, way);
  std::vector<Bytes> rebuilt(missing.size(), Bytes(sliceSize));
  for (size_t start = 0; start < sliceSize; start += strip) {
    const size_t length = std::min(strip, sliceSize - start);
    rebuilder.StartStrip(length);
    // Recovery slices first, then the known input slices backwards: any order does.
    for (size_t k = 0; k < exponents.size(); ++k)
      rebuilder.AddRecoverySlice(exponents[k], recovery[k].data() + start, length);
    for (size_t slice = input.slices.size(); slice-- > 0;) {
      // A missing slice's bytes are garbage that the rebuilder must leave out.
      Bytes garbage(input.slices[slice].size(), 0xEE);
      const bool lost = std::find(missing.begin(), missing.end(), slice) != missing.end();
      FeedStrip([&](const unsigned char* bytes, size_t have) { rebuilder.AddInputSlice(uint32_t(slice), bytes, have); },
                lost ? garbage : input.slices[slice], start, length);
    }
    rebuilder.Finish();
    for (size_t k = 0; k < missing.size(); ++k) std::copy_n(rebuilder.Strip(k), length, rebuilt[k].begin() + start);
  }
  return rebuilt;
}

const GaloisWay ALL_WAYS[] = {GaloisWay::TABLE, GaloisWay::SSSE3, GaloisWay::AVX2};

}  // namespace

TEST_CASE("the worked example's recovery slices, and P.000 rebuilt from them") {
  // P.001 comes first in the set: its slice 0, then P.000's two slices.
  const InputSlices input({BytesOf("xyz"), BytesOf("ABCDEFGHIJKL")}, 8);
  for (GaloisWay way : ALL_WAYS) {
    if (!ProcessorOffers(way)) continue;
    for (size_t strip : {2, 4, 6, 8}) {
      CAPTURE(strip);
      const auto recovery = Encode(input, 8, {0, 1}, strip, way);
      CHECK(recovery[0] == Bytes{0x70, 0x71, 0x72, 0x08, 0x45, 0x46, 0x47, 0x48});
      CHECK(recovery[1] == Bytes{0x43, 0x0f, 0x6f, 0x85, 0x1f, 0x09, 0x17, 0x31});

      const std::vector<uint32_t> missing = {1, 2};
      const RepairChoice choice = ChooseRepairRows(missing, {1, 0});
      REQUIRE(choice.possible);
      CHECK(choice.exponents == std::vector<uint32_t>{0, 1});
      CHECK(choice.inverse == std::vector<uint16_t>{0x5003, 0x9C05, 0x5002, 0x9C05});
      const auto rebuilt = Rebuild(input, 8, missing, choice, {0, 1}, recovery, strip, way);
      CHECK(rebuilt[0] == BytesOf("ABCDEFGH"));
      CHECK(rebuilt[1] == Bytes{'I', 'J', 'K', 'L', 0, 0, 0, 0});
    }
  }
}

TEST_CASE("random sets rebuild whole lost files and single lost slices, in strips of any width") {
  Noise noise{2024};
  for (int round = 0; round < 40; ++round) {
    const size_t sliceSize = 4 * (1 + noise.Below(40));
    std::vector<Bytes> files(1 + noise.Below(5));
    for (Bytes& file : files) {
      file.resize(1 + noise.Below(uint32_t(sliceSize * 4)));
      for (auto& byte : file) byte = static_cast<unsigned char>(noise.Next());
    }
    const InputSlices input(files, sliceSize);
    const uint32_t sliceCount = uint32_t(input.slices.size());
    // Lost: a whole file's slices or a few single slices.
    std::vector<uint32_t> missing;
    if (round % 2 == 0) {
      const size_t lostFile = noise.Below(uint32_t(files.size()));
      uint32_t first = 0;
      for (size_t file = 0; file < lostFile; ++file) first += uint32_t((files[file].size() + sliceSize - 1) / sliceSize);
      for (uint32_t slice = first; slice < first + (files[lostFile].size() + sliceSize - 1) / sliceSize; ++slice)
        missing.push_back(slice);
    } else {
      for (uint32_t slice = 0; slice < sliceCount; ++slice)
        if (noise.Below(3) == 0) missing.push_back(slice);
    }
    // Recovery slices with gaps in their exponents; some lost on the way too.
    std::vector<uint32_t> exponents;
    for (uint32_t exponent = 0; exponents.size() < missing.size() + 2; ++exponent)
      if (noise.Below(4) != 0) exponents.push_back(exponent * (1 + round % 3));
    const GaloisWay way = ALL_WAYS[round % 3];
    if (!ProcessorOffers(way)) continue;
    const size_t strip = 2 * (1 + noise.Below(uint32_t(sliceSize / 2)));
    CAPTURE(round);
    CAPTURE(sliceSize);
    CAPTURE(strip);
    const auto recovery = Encode(input, sliceSize, exponents, strip, way);
    CHECK(Encode(input, sliceSize, exponents, strip, way, &noise) == recovery);
    std::vector<uint32_t> intact = exponents;
    intact.erase(intact.begin() + noise.Below(uint32_t(intact.size())));
    std::reverse(intact.begin(), intact.end());
    const RepairChoice choice = ChooseRepairRows(missing, intact);
    REQUIRE(choice.possible);
    CHECK(choice.exponents.size() == missing.size());
    const auto rebuilt = Rebuild(input, sliceSize, missing, choice, exponents, recovery, strip, way);
    for (size_t k = 0; k < missing.size(); ++k) CHECK(rebuilt[k] == input.Padded(missing[k], sliceSize));
  }
}

TEST_CASE("two exponents with equal rows are passed over for a later one, and too few are reported") {
  // Slices 0 and 2 have the constants 2 and 16; 2^21845 = 16^21845, so exponents 0 and
  // 21845 give two equal rows.
  const InputSlices input({BytesOf("abcdefgh"), BytesOf("ijklmnop"), BytesOf("qrstuvwx")}, 8);
  const std::vector<uint32_t> missing = {0, 2};
  const RepairChoice tooFew = ChooseRepairRows(missing, {21845, 0});
  CHECK_FALSE(tooFew.possible);
  CHECK(tooFew.missing == 2);
  CHECK(tooFew.independentRows == 1);
  CHECK(ChooseRepairRows(missing, {5}).independentRows == 1);
  CHECK(ChooseRepairRows({0, 1, 2}, {}).independentRows == 0);
  // A duplicate, or the same row 65535 exponents later, adds nothing either.
  CHECK(ChooseRepairRows(missing, {3, 3, 65538}).independentRows == 1);

  const std::vector<uint32_t> exponents = {0, 21845, 21846};
  const RepairChoice choice = ChooseRepairRows(missing, exponents);
  REQUIRE(choice.possible);
  CHECK(choice.exponents == std::vector<uint32_t>{0, 21846});
  const auto recovery = Encode(input, 8, exponents, 8, ChosenGaloisWay());
  const auto rebuilt = Rebuild(input, 8, missing, choice, exponents, recovery, 8, ChosenGaloisWay());
  CHECK(rebuilt[0] == BytesOf("abcdefgh"));
  CHECK(rebuilt[1] == BytesOf("qrstuvwx"));
  // Nothing missing: nothing to choose.
  CHECK(ChooseRepairRows({}, {0, 1}).possible);
}

TEST_CASE("a strip holds as much of each slice as the memory allows") {
  CHECK(StripBytesFor(65536, 16) == 65536);
  CHECK(StripBytesFor(1457664, 1000, 64 << 20) == 67108);
  CHECK(StripBytesFor(1 << 30, 32768) == 2048);
  CHECK(StripBytesFor(100, 1u << 30, 1000) == 2);  // never less than a word
  CHECK(StripBytesFor(6, 1, 1) == 2);
}
