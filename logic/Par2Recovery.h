// The recovery slices of a PAR 2.0 set and the rebuilding of lost input slices from them,
// both computed in column strips: the caller picks a strip [a, b) of the slice bytes that
// fits its memory (a and b even), feeds bytes a..b of each slice it has (in any order),
// and takes the strips of the results; several strips mean several passes over the input.
// Slices are numbered in the Main packet's order (see Par2SetPackets). Objects share no
// mutable state: threads may each run one, over their own exponents or strips, once the
// field's tables are prepared (ChooseGaloisWay). Window-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "logic/Galois16.h"

// The most bytes of strips a caller should hold for the recovery slices of one computation.
constexpr uint64_t MOST_STRIP_MEMORY = uint64_t{64} << 20;

// The strip length (even, at least 2, at most the slice size) that keeps count slices' strips
// within budget bytes.
size_t StripBytesFor(uint64_t sliceSize, uint64_t count, uint64_t budget = MOST_STRIP_MEMORY);

// The recovery slices of the given exponents (by default first..first+count-1): the sum of
// every input slice times its factor for each exponent.
class RecoveryEncoder {
 public:
  RecoveryEncoder(std::vector<uint32_t> exponents, size_t stripBytes, GaloisWay way = ChosenGaloisWay());
  RecoveryEncoder(uint32_t first, uint32_t count, size_t stripBytes, GaloisWay way = ChosenGaloisWay());

  // Starts a strip of length bytes (even, at most the strip bytes): every result is zero.
  void StartStrip(size_t length);
  // Adds input slice number slice: its bytes of the strip, of which the caller has length
  // (at most the strip's; fewer where the slice's file ends, the rest counting as zeros).
  // A slice may also come in parts, each from an even offset into the strip on, so that the
  // caller needs no buffer of the strip's length for it.
  void AddInputSlice(uint32_t slice, const unsigned char* bytes, size_t length, size_t offset = 0);
  // The strip of the recovery slice with the k-th exponent.
  const unsigned char* Strip(size_t k) const { return results_.data() + k * stripBytes_; }
  unsigned char* Strip(size_t k) { return results_.data() + k * stripBytes_; }
  const std::vector<uint32_t>& Exponents() const { return exponents_; }
  size_t StripLength() const { return stripLength_; }

 private:
  std::vector<uint32_t> exponents_;
  size_t stripBytes_, stripLength_ = 0;
  GaloisWay way_;
  std::vector<unsigned char> results_;
  std::vector<GaloisFactor> factors_;  // of one group of exponents
  std::vector<unsigned char*> targets_;
};

// Which intact recovery slices rebuild the missing input slices, and how.
struct RepairChoice {
  bool possible = false;
  uint32_t missing = 0;           // input slices to rebuild
  uint32_t independentRows = 0;   // recovery slices found that add to what the others give
  std::vector<uint32_t> exponents;  // the chosen ones, ascending; as many as missing when possible
  // The inverted matrix when possible: row k holds the factors of the chosen slices' parts
  // (after the known slices are taken out) in missing slice k.
  std::vector<uint16_t> inverse;
};

// Walks the available exponents (any order, duplicates allowed) upwards and keeps each one
// whose row is independent of the rows kept (row reduction), until there are as many as
// missing slices; then inverts their matrix. Never fails where a later slice would make the
// system solvable; reports how many independent rows it found when they are too few.
// The missing slice numbers must be distinct and below MOST_INPUT_SLICES.
RepairChoice ChooseRepairRows(const std::vector<uint32_t>& missingSlices, std::vector<uint32_t> availableExponents);

// The missing input slices rebuilt from the known ones and the chosen recovery slices.
class SliceRebuilder {
 public:
  SliceRebuilder(std::vector<uint32_t> missingSlices, const RepairChoice& choice, size_t stripBytes,
                 GaloisWay way = ChosenGaloisWay());

  void StartStrip(size_t length);
  // Adds a known input slice as RecoveryEncoder does; a missing one is left out.
  void AddInputSlice(uint32_t slice, const unsigned char* bytes, size_t length);
  // Adds the chosen recovery slice of this exponent (others are left out).
  void AddRecoverySlice(uint32_t exponent, const unsigned char* bytes, size_t length);
  // Computes the missing slices' strips once every known and chosen slice is added (only
  // for a choice that was possible).
  void Finish();
  // The strip of the k-th missing slice (in the order given).
  const unsigned char* Strip(size_t k) const { return rebuilt_.data() + k * stripBytes_; }
  size_t StripLength() const { return remainders_.StripLength(); }

 private:
  std::vector<uint32_t> missing_, sortedMissing_;
  std::vector<uint16_t> inverse_;
  size_t stripBytes_;
  GaloisWay way_;
  RecoveryEncoder remainders_;  // what the chosen slices hold of the missing ones
  std::vector<unsigned char> rebuilt_;
};
