#include "tmats/tmats_vocabulary.h"

#include <cstddef>

namespace tessel {

int VocabularyIndex(const TmatsVocabulary& table, std::string_view value) {
  for (std::size_t i = 0; i < table.codes.size(); ++i) {
    if (table.codes[i] == value) return static_cast<int>(i);
  }
  return static_cast<int>(table.codes.size()) - 1;
}

namespace {

std::string_view EntryAt(std::span<const std::string_view> entries, int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return {};
  return entries[static_cast<std::size_t>(index)];
}

}  // namespace

std::string_view VocabularyName(const TmatsVocabulary& table, int index) {
  return EntryAt(table.names, index);
}

std::string_view VocabularyCode(const TmatsVocabulary& table, int index) {
  return EntryAt(table.codes, index);
}

int PcmCodeIndex(std::string_view value) {
  return VocabularyIndex(kPcmCodeTable, value);
}
std::string_view PcmCodeName(int index) {
  return VocabularyName(kPcmCodeTable, index);
}

int ChannelDataTypeIndex(std::string_view value) {
  return VocabularyIndex(kChannelDataTypeTable, value);
}
std::string_view ChannelDataTypeName(int index) {
  return VocabularyName(kChannelDataTypeTable, index);
}
std::string_view ChannelDataTypeCode(int index) {
  return VocabularyCode(kChannelDataTypeTable, index);
}

int TimeFormatIndex(std::string_view value) {
  return VocabularyIndex(kTimeFormatTable, value);
}
std::string_view TimeFormatName(int index) {
  return VocabularyName(kTimeFormatTable, index);
}

int TimeSourceIndex(std::string_view value) {
  for (std::size_t i = 0; i < kTimeFormatNames.size(); ++i) {
    if (kTimeFormatNames[i] == value) return static_cast<int>(i);
  }
  return kTmatsTimeSourceNone;
}

int BasebandSignalIndex(std::string_view value) {
  return VocabularyIndex(kBasebandSignalTable, value);
}
std::string_view BasebandSignalName(int index) {
  return VocabularyName(kBasebandSignalTable, index);
}

int TypeFormatIndex(std::string_view value) {
  return VocabularyIndex(kTypeFormatTable, value);
}
std::string_view TypeFormatName(int index) {
  return VocabularyName(kTypeFormatTable, index);
}

int PcmDataPackingIndex(std::string_view value) {
  return VocabularyIndex(kPcmDataPackingTable, value);
}
std::string_view PcmDataPackingName(int index) {
  return VocabularyName(kPcmDataPackingTable, index);
}

int VideoCompressionIndex(std::string_view value) {
  return VocabularyIndex(kVideoCompressionTable, value);
}
std::string_view VideoCompressionName(int index) {
  return VocabularyName(kVideoCompressionTable, index);
}

std::span<const std::string_view> KnownTmatsCodes(TmatsGroup group) {
  switch (group) {
    case TmatsGroup::R:
      return kRGroupCodes;
    case TmatsGroup::M:
      return kMGroupCodes;
    case TmatsGroup::P:
      return kPGroupCodes;
    case TmatsGroup::B:
      return kBGroupCodes;
  }
  return {};
}

}  // namespace tessel
