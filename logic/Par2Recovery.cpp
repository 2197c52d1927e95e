#include "logic/Par2Recovery.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "logic/RepairLayout.h"

namespace {

// The factors are made ready this many at a time (72 KiB), each group then taking the
// source in one pass.
constexpr size_t FACTOR_GROUP = 64;

// targets[t] ^= valueOf(t) · source for every t below count, the odd last byte of the
// source taken as a word with a zero high byte.
template <typename ValueOf>
void MultiplyAddAll(GaloisWay way, std::vector<GaloisFactor>& factors, unsigned char* const* targets, size_t count,
                    const unsigned char* source, size_t length, ValueOf valueOf) {
  const size_t even = length & ~size_t{1};
  const unsigned char lastWord[2] = {length > even ? source[even] : static_cast<unsigned char>(0), 0};
  factors.resize(FACTOR_GROUP);
  for (size_t group = 0; group < count; group += FACTOR_GROUP) {
    const size_t members = std::min(FACTOR_GROUP, count - group);
    for (size_t member = 0; member < members; ++member) PrepareGaloisFactor(way, valueOf(group + member), factors[member]);
    GaloisMultiplyAdd(factors.data(), targets + group, members, source, even);
    if (length > even) {
      for (size_t member = 0; member < members; ++member) {
        unsigned char* target = targets[group + member] + even;
        GaloisMultiplyAdd(&factors[member], &target, 1, lastWord, 2);
      }
    }
  }
}

// Row reduction in the field: the rows kept so far, each scaled so that its pivot is 1 and
// cleared from the pivot columns of the rows after it.
class RowReduction {
 public:
  explicit RowReduction(size_t columns) : columns_(columns) {}

  // Keeps the row when it is independent of the rows kept; says whether it did.
  bool Keep(std::vector<uint16_t> row) {
    for (size_t kept = 0; kept < pivots_.size(); ++kept) {
      const uint16_t factor = row[pivots_[kept]];
      if (factor != 0) SubtractScaled(row.data(), rows_.data() + kept * columns_, factor);
    }
    const auto pivot = std::find_if(row.begin(), row.end(), [](uint16_t value) { return value != 0; });
    if (pivot == row.end()) return false;
    const uint16_t scale = GaloisInverse(*pivot);
    for (uint16_t& value : row) value = GaloisMultiply(value, scale);
    pivots_.push_back(static_cast<size_t>(pivot - row.begin()));
    rows_.insert(rows_.end(), row.begin(), row.end());
    return true;
  }

 private:
  void SubtractScaled(uint16_t* row, const uint16_t* other, uint16_t factor) const {
    for (size_t column = 0; column < columns_; ++column) row[column] ^= GaloisMultiply(other[column], factor);
  }

  size_t columns_;
  std::vector<size_t> pivots_;
  std::vector<uint16_t> rows_;
};

// The inverse of the n×n matrix (rows one after another) by Gauss-Jordan elimination; the
// matrix is known to be regular.
std::vector<uint16_t> Invert(std::vector<uint16_t> matrix, size_t n) {
  std::vector<uint16_t> inverse(n * n, 0);
  for (size_t at = 0; at < n; ++at) inverse[at * n + at] = 1;
  for (size_t column = 0; column < n; ++column) {
    size_t pivot = column;
    while (matrix[pivot * n + column] == 0) ++pivot;
    for (size_t at = 0; at < n; ++at) {
      std::swap(matrix[pivot * n + at], matrix[column * n + at]);
      std::swap(inverse[pivot * n + at], inverse[column * n + at]);
    }
    const uint16_t scale = GaloisInverse(matrix[column * n + column]);
    for (size_t at = 0; at < n; ++at) {
      matrix[column * n + at] = GaloisMultiply(matrix[column * n + at], scale);
      inverse[column * n + at] = GaloisMultiply(inverse[column * n + at], scale);
    }
    for (size_t row = 0; row < n; ++row) {
      const uint16_t factor = matrix[row * n + column];
      if (row == column || factor == 0) continue;
      for (size_t at = 0; at < n; ++at) {
        matrix[row * n + at] ^= GaloisMultiply(matrix[column * n + at], factor);
        inverse[row * n + at] ^= GaloisMultiply(inverse[column * n + at], factor);
      }
    }
  }
  return inverse;
}

// Sorts numbers by the C library's qsort.
void SortNumbers(std::vector<uint32_t>& numbers) {
  if (numbers.size() < 2) return;
  std::qsort(numbers.data(), numbers.size(), sizeof(uint32_t), [](const void* a, const void* b) {
    const uint32_t first = *static_cast<const uint32_t*>(a), second = *static_cast<const uint32_t*>(b);
    return first < second ? -1 : first > second ? 1 : 0;
  });
}

std::vector<uint32_t> Consecutive(uint32_t first, uint32_t count) {
  std::vector<uint32_t> exponents(count);
  for (uint32_t k = 0; k < count; ++k) exponents[k] = first + k;
  return exponents;
}

}  // namespace

size_t StripBytesFor(uint64_t sliceSize, uint64_t count, uint64_t budget) {
  uint64_t strip = count == 0 ? sliceSize : budget / count;
  strip = std::min(strip, sliceSize) & ~uint64_t{1};
  return static_cast<size_t>(std::max<uint64_t>(strip, 2));
}

RecoveryEncoder::RecoveryEncoder(std::vector<uint32_t> exponents, size_t stripBytes, GaloisWay way)
    : exponents_(std::move(exponents)), stripBytes_(stripBytes), way_(way),
      results_(exponents_.size() * stripBytes), targets_(exponents_.size()) {}

RecoveryEncoder::RecoveryEncoder(uint32_t first, uint32_t count, size_t stripBytes, GaloisWay way)
    : RecoveryEncoder(Consecutive(first, count), stripBytes, way) {}

void RecoveryEncoder::StartStrip(size_t length) {
  stripLength_ = std::min(length, stripBytes_);
  std::fill(results_.begin(), results_.end(), 0);
}

void RecoveryEncoder::AddInputSlice(uint32_t slice, const unsigned char* bytes, size_t length, size_t offset) {
  if (offset >= stripLength_) return;
  for (size_t k = 0; k < exponents_.size(); ++k) targets_[k] = Strip(k) + offset;
  MultiplyAddAll(way_, factors_, targets_.data(), exponents_.size(), bytes, std::min(length, stripLength_ - offset),
                 [&](size_t k) { return InputSliceFactor(slice, exponents_[k]); });
}

RepairChoice ChooseRepairRows(const std::vector<uint32_t>& missingSlices, std::vector<uint32_t> availableExponents) {
  RepairChoice choice;
  const size_t m = missingSlices.size();
  choice.missing = static_cast<uint32_t>(m);
  SortNumbers(availableExponents);
  availableExponents.erase(std::unique(availableExponents.begin(), availableExponents.end()),
                           availableExponents.end());
  RowReduction reduction(m);
  std::vector<uint16_t> matrix;
  for (uint32_t exponent : availableExponents) {
    if (choice.exponents.size() == m) break;
    std::vector<uint16_t> row(m);
    for (size_t k = 0; k < m; ++k) row[k] = InputSliceFactor(missingSlices[k], exponent);
    if (!reduction.Keep(row)) continue;
    choice.exponents.push_back(exponent);
    matrix.insert(matrix.end(), row.begin(), row.end());
  }
  choice.independentRows = static_cast<uint32_t>(choice.exponents.size());
  choice.possible = choice.exponents.size() == m;
  if (choice.possible) choice.inverse = Invert(std::move(matrix), m);
  return choice;
}

SliceRebuilder::SliceRebuilder(std::vector<uint32_t> missingSlices, const RepairChoice& choice, size_t stripBytes,
                               GaloisWay way)
    : missing_(std::move(missingSlices)), sortedMissing_(missing_), inverse_(choice.inverse),
      stripBytes_(stripBytes), way_(way), remainders_(choice.exponents, stripBytes, way),
      rebuilt_(missing_.size() * stripBytes) {
  SortNumbers(sortedMissing_);
}

void SliceRebuilder::StartStrip(size_t length) {
  remainders_.StartStrip(length);
  std::fill(rebuilt_.begin(), rebuilt_.end(), 0);
}

void SliceRebuilder::AddInputSlice(uint32_t slice, const unsigned char* bytes, size_t length) {
  if (!std::binary_search(sortedMissing_.begin(), sortedMissing_.end(), slice))
    remainders_.AddInputSlice(slice, bytes, length);
}

void SliceRebuilder::AddRecoverySlice(uint32_t exponent, const unsigned char* bytes, size_t length) {
  const std::vector<uint32_t>& chosen = remainders_.Exponents();
  const auto row = std::find(chosen.begin(), chosen.end(), exponent);
  if (row != chosen.end())
    XorInto(remainders_.Strip(static_cast<size_t>(row - chosen.begin())), bytes,
            std::min(length, remainders_.StripLength()));
}

// Missing slice k = the sum over the chosen rows r of inverse[k][r] times row r's remainder.
void SliceRebuilder::Finish() {
  const size_t m = missing_.size();
  if (inverse_.size() != m * m) return;  // the choice was not possible
  std::vector<unsigned char*> targets(m);
  for (size_t k = 0; k < m; ++k) targets[k] = rebuilt_.data() + k * stripBytes_;
  std::vector<GaloisFactor> factors;
  for (size_t row = 0; row < remainders_.Exponents().size(); ++row)
    MultiplyAddAll(way_, factors, targets.data(), m, remainders_.Strip(row), remainders_.StripLength(),
                   [&](size_t k) { return inverse_[k * m + row]; });
}
