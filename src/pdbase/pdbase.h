// The parameter database of one stream slot: which measurements (tags) the DRUX system
// pulls out of the stream and how. A header describes the stream, a table of up to
// 65 536 parameter records describes the tags, in database order.
//
// Also here: the operations on single records (the pre-processing formula, tag
// visibility, the hardware location key) and the names of the records' enumerations.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pdbase/pdbase_records.h"

namespace tessel {

class pdbaseclass {
 public:
  // Most records a database holds.
  static constexpr std::int32_t kMaxParams = 65536;

  // An empty database for the given slot (0 to 7): zero header, no records.
  explicit pdbaseclass(std::uint32_t slot_index);

  // Frees every record, zeroes the header, both counts and the name.
  void clear();

  std::uint32_t slot_index() const { return slot_index_; }
  // Always empty in this program; kept because the database carries one.
  const std::string& name() const { return name_; }

  // Number of parameter records held (the table's size).
  std::int32_t NumParams() const { return static_cast<std::int32_t>(params_.size()); }
  // The records in database order.
  std::span<pdbaseparamstruct> Params() { return params_; }
  std::span<const pdbaseparamstruct> Params() const { return params_; }
  pdbaseparamstruct& Param(std::int32_t index) { return params_.at(static_cast<std::size_t>(index)); }
  const pdbaseparamstruct& Param(std::int32_t index) const {
    return params_.at(static_cast<std::size_t>(index));
  }
  // Appends a record; false (and nothing stored) when the table is full.
  bool AddParam(const pdbaseparamstruct& param);
  // Replaces all records; false (and nothing changed) when there are more than kMaxParams.
  bool ReplaceParams(std::vector<pdbaseparamstruct> params);
  // Frees the records only; header and counts other than NumParams stay.
  void ClearParams() { params_.clear(); params_.shrink_to_fit(); }

  // The stream header.
  pdbaseheaderstruct header{};
  // Current-value-table words the records use.
  std::int32_t NumWords = 0;

 private:
  std::uint32_t slot_index_;
  std::string name_;
  std::vector<pdbaseparamstruct> params_;
};

// A record with every byte zero.
pdbaseparamstruct ZeroParam();
// A header with every byte zero.
pdbaseheaderstruct ZeroHeader();

// Pre-processing operation codes of the Preprocessed Formula.
enum PreprocessOpCode : std::int32_t {
  kOpNone = 0, kOpXor, kOpAnd, kOpOr, kOpRor, kOpRol, kOpShr, kOpShl,
  kOpMult, kOpDiv, kOpAdd, kOpSub, kOpByteSwap, kOpInvert,
};

// Parses "KEYWORD operand;KEYWORD operand;..." into at most 32 operations; items that
// do not parse are skipped, items after the 32nd are ignored, operands are clamped to
// their keyword's range.
preprocessopsstruct ParsePreprocessFormula(std::string_view formula);

// Sets the record's run-time visibility byte: 1 when the user's 4-bit access mask
// shares a bit with the tag's Access Code and holds every bit of it, else 0.
void SetTagVisibility(pdbaseparamstruct& param, std::uint32_t user_access_mask);

// Sort key of a tag's hardware location for the database type (0 for unknown types).
std::int64_t HardwareLocationKey(std::int32_t dbase_type, const pdbaseparamstruct& param);

// "PCM", "CHAPTER 8", "1553"; empty for any other type.
std::string_view DbaseTypeName(std::int32_t dbase_type);

// Value names of the record enumerations, indexed by value.
extern const std::array<std::string_view, 13> kClassificationNames;
extern const std::array<std::string_view, 12> kDataFormatNames;
extern const std::array<std::string_view, 5> kSupercomModeNames;
// "Equals" ... "Does Not Equal", then the nine with " - Set INVALID", then " - Set STALE".
const std::array<std::string, 27>& ModeFunctionNames();

}  // namespace tessel
