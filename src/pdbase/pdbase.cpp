// The parameter database and the operations on its records.
#include "pdbase/pdbase.h"

#include <cstring>
#include <utility>

#include "support/format.h"

namespace tessel {

void NormalizeHeaderTexts(pdbaseheaderstruct& header) {
  NormalizeRecordText(header.cLutFileName);
  NormalizeRecordText(header.cServerSoftDecomName);
  NormalizeRecordText(header.cClientSDSetupFile);
  NormalizeRecordText(header.Spare1);
  NormalizeRecordText(header.cClientSoftDecomName);
  NormalizeRecordText(header.Spare2);
  for (auto& line : header.cOriginatorText) NormalizeRecordText(line);
  NormalizeRecordText(header.cEmbTimeDllName);
}

void NormalizeParamTexts(pdbaseparamstruct& param) {
  NormalizeRecordText(param.ParameterName);
  NormalizeRecordText(param.WordName);
  NormalizeRecordText(param.UnitOfMeasure);
  NormalizeRecordText(param.Description);
  NormalizeRecordText(param.ModeParamName);
  NormalizeRecordText(param.TimeParamName);
  NormalizeRecordText(param.SecondTagName);
  NormalizeRecordText(param.PreprocessedFormula);
  NormalizeRecordText(param.DisplayLabel);
}

pdbaseparamstruct ZeroParam() {
  pdbaseparamstruct param;
  std::memset(&param, 0, sizeof param);
  return param;
}

pdbaseheaderstruct ZeroHeader() {
  pdbaseheaderstruct header;
  std::memset(&header, 0, sizeof header);
  return header;
}

pdbaseclass::pdbaseclass(std::uint32_t slot_index)
    : header(ZeroHeader()), slot_index_(slot_index) {}

void pdbaseclass::clear() {
  ClearParams();
  header = ZeroHeader();
  NumWords = 0;
  name_.clear();
}

bool pdbaseclass::AddParam(const pdbaseparamstruct& param) {
  if (NumParams() >= kMaxParams) return false;
  params_.push_back(param);
  return true;
}

bool pdbaseclass::ReplaceParams(std::vector<pdbaseparamstruct> params) {
  if (params.size() > static_cast<std::size_t>(kMaxParams)) return false;
  params_ = std::move(params);
  return true;
}

namespace {

struct PreprocessKeyword {
  std::string_view keyword;
  std::int32_t code;
  double low;
  double high;
  bool operand_optional;  // BYTESWAP and INVERT: no operand means 0, no clamping
};

// No keyword is the start of another, so the first match is the only match.
constexpr PreprocessKeyword kPreprocessKeywords[] = {
    {"XOR", kOpXor, 0, 65535, false},   {"AND", kOpAnd, 0, 65535, false},
    {"OR", kOpOr, 0, 65535, false},     {"ROR", kOpRor, 0, 16, false},
    {"ROL", kOpRol, 0, 16, false},      {"SHR", kOpShr, 0, 16, false},
    {"SHL", kOpShl, 0, 16, false},      {"MULT", kOpMult, 1, 65535, false},
    {"DIV", kOpDiv, 1, 65535, false},   {"ADD", kOpAdd, 0, 65535, false},
    {"SUB", kOpSub, 0, 65535, false},   {"BYTESWAP", kOpByteSwap, 0, 0, true},
    {"INVERT", kOpInvert, 0, 0, true},
};

// One "KEYWORD operand" item; false when it does not parse.
bool ParsePreprocessItem(std::string_view item, std::int32_t& code, std::uint16_t& operand) {
  while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
  const PreprocessKeyword* match = nullptr;
  for (const auto& keyword : kPreprocessKeywords) {
    if (item.substr(0, keyword.keyword.size()) == keyword.keyword) {
      match = &keyword;
      break;
    }
  }
  if (match == nullptr) return false;
  const std::string operand_text = RemoveChar(' ', item.substr(match->keyword.size()));
  if (operand_text.empty()) {
    if (!match->operand_optional) return false;
    code = match->code;
    operand = 0;
    return true;
  }
  const int base = operand_text.find("0x") != std::string::npos ? 16 : 10;
  std::uint32_t value = 0;
  if (!ParseUnsigned(operand_text, value, base)) return false;
  code = match->code;
  if (match->operand_optional) {
    operand = static_cast<std::uint16_t>(value & 0xFFFFu);
  } else {
    operand = static_cast<std::uint16_t>(Clamp(match->low, match->high, static_cast<double>(value)));
  }
  return true;
}

}  // namespace

preprocessopsstruct ParsePreprocessFormula(std::string_view formula) {
  preprocessopsstruct ops;
  std::memset(&ops, 0, sizeof ops);
  if (formula.empty()) return ops;
  std::size_t start = 0;
  for (int item_index = 0; item_index < 32 && start <= formula.size(); ++item_index) {
    std::size_t end = formula.find(';', start);
    if (end == std::string_view::npos) end = formula.size();
    std::int32_t code = 0;
    std::uint16_t operand = 0;
    if (ParsePreprocessItem(formula.substr(start, end - start), code, operand)) {
      ops.Op[ops.NumOps] = code;
      ops.Operand[ops.NumOps] = operand;
      ++ops.NumOps;
    }
    start = end + 1;
  }
  return ops;
}

void SetTagVisibility(pdbaseparamstruct& param, std::uint32_t user_access_mask) {
  const std::uint32_t access = static_cast<std::uint32_t>(param.AccessCode) & 0xFu;
  const std::uint32_t user = user_access_mask & 0xFu;
  param.RtVisible = ((access & user) != 0 && (access & ~user) == 0) ? 1 : 0;
}

namespace {

// value × 2^shift computed in 32 bits (wrapping) and sign-extended, as the DRUX key does.
std::int64_t Shifted32(std::int32_t value, int shift) {
  const std::uint32_t wrapped = static_cast<std::uint32_t>(value) << shift;
  return static_cast<std::int32_t>(wrapped);
}

// (value AND FFFF hex) × 2^shift, for shifts of 32 and 48; wraps like the key's sum.
std::uint64_t HighPart(std::int32_t value, int shift) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(value) & 0xFFFFu) << shift;
}

}  // namespace

std::int64_t HardwareLocationKey(std::int32_t dbase_type, const pdbaseparamstruct& param) {
  std::int32_t h[8];
  for (int i = 0; i < 8; ++i) h[i] = param.Hw[i];
  std::uint64_t key = 0;
  if (dbase_type == kDbasePcm) {
    const std::uint32_t low = (static_cast<std::uint32_t>(h[0]) << 16) + static_cast<std::uint32_t>(h[1]);
    key = static_cast<std::uint64_t>(static_cast<std::int64_t>(static_cast<std::int32_t>(low))) +
          HighPart(h[7], 32) + HighPart(h[6], 48);
  } else if (dbase_type == kDbaseChapter8 || dbase_type == kDbase1553) {
    const std::int64_t sum = Shifted32(h[2], 28) + Shifted32(h[3], 20) + Shifted32(h[4], 12) +
                             static_cast<std::int64_t>(h[6]) + Shifted32(h[5], 8);
    key = static_cast<std::uint64_t>(sum) + HighPart(h[7], 32);
  } else {
    return 0;
  }
  return static_cast<std::int64_t>(key);
}

std::string_view DbaseTypeName(std::int32_t dbase_type) {
  switch (dbase_type) {
    case kDbasePcm: return "PCM";
    case kDbaseChapter8: return "CHAPTER 8";
    case kDbase1553: return "1553";
    default: return {};
  }
}

const std::array<std::string_view, 13> kClassificationNames = {
    "NONE",       "UNCLASSIFIED", "FOR OFFICIAL USE ONLY", "FOREIGN MILITARY SALES",
    "CONFIDENTIAL", "SECRET",     "TOPSECRET",  "USER DEF 1", "USER DEF 2",
    "USER DEF 3", "USER DEF 4",   "USER DEF 5", "USER DEF 6"};

const std::array<std::string_view, 12> kDataFormatNames = {
    "BINARY",      "TWOS COMP",  "SINGLE PRECISION", "OFFSET BINARY",
    "IEEE INT",    "IEEE SINGLE", "DEC SINGLE",      "MILSTD 1750",
    "ONES COMP",   "LUT",        "DOUBLE",           "MULTI WORD DOUBLE"};

const std::array<std::string_view, 5> kSupercomModeNames = {
    "First Value", "Last Value", "Least Value", "Greatest Value", "Average Value"};

const std::array<std::string, 27>& ModeFunctionNames() {
  static const std::array<std::string, 27> names = [] {
    constexpr std::string_view base[9] = {"Equals",      "Greater Than", "Less Than",
                                          "Logical OR",  "Bitwise OR",   "Logical AND",
                                          "Bitwise AND", "Bitwise XOR",  "Does Not Equal"};
    constexpr std::string_view suffix[3] = {"", " - Set INVALID", " - Set STALE"};
    std::array<std::string, 27> all;
    for (std::size_t s = 0; s < 3; ++s)
      for (std::size_t i = 0; i < 9; ++i) all[s * 9 + i] = std::string(base[i]) + std::string(suffix[s]);
    return all;
  }();
  return names;
}

}  // namespace tessel
