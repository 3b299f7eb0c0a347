#include "tmats/tmats_vocabulary.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tessel {
namespace {

TEST(TmatsVocabulary, EveryCodeMapsToItsIndexAndUnknownToTheLast) {
  const TmatsVocabulary* tables[] = {
      &kPcmCodeTable,    &kChannelDataTypeTable, &kTimeFormatTable,      &kBasebandSignalTable,
      &kTypeFormatTable, &kPcmDataPackingTable,  &kVideoCompressionTable};
  for (const TmatsVocabulary* table : tables) {
    const int last = static_cast<int>(table->codes.size()) - 1;
    EXPECT_EQ(table->codes.back(), "UNK") << table->attribute;
    for (int i = 0; i <= last; ++i) {
      EXPECT_EQ(VocabularyIndex(*table, table->codes[static_cast<std::size_t>(i)]), i);
    }
    EXPECT_EQ(VocabularyIndex(*table, "no such code"), last) << table->attribute;
    EXPECT_EQ(VocabularyIndex(*table, ""), last) << table->attribute;
    EXPECT_EQ(VocabularyName(*table, -1), "");
    EXPECT_EQ(VocabularyName(*table, static_cast<int>(table->names.size())), "");
  }
}

TEST(TmatsVocabulary, LookupsAreExactAndCaseSensitive) {
  EXPECT_EQ(ChannelDataTypeIndex("PCMIN"), kTmatsChannelPcm);
  EXPECT_EQ(ChannelDataTypeIndex("VIDIN"), kTmatsChannelVideo);
  EXPECT_EQ(ChannelDataTypeIndex("1553IN"), kTmatsChannel1553);
  EXPECT_EQ(ChannelDataTypeIndex("pcmin"), kTmatsChannelUnknown);
  EXPECT_EQ(ChannelDataTypeIndex("PCMIN "), kTmatsChannelUnknown);
  EXPECT_EQ(ChannelDataTypeName(kTmatsChannelTime), "IRIG TIME INPUT");
  EXPECT_EQ(ChannelDataTypeCode(kTmatsChannelArinc429), "429IN");
  EXPECT_EQ(PcmCodeIndex("RNRZ-L"), 6);
  EXPECT_EQ(PcmCodeName(3), "BIO-L");
  EXPECT_EQ(TimeFormatIndex("B"), kTmatsTimeFormatIrigB);
  EXPECT_EQ(TimeFormatIndex("b"), kTmatsTimeFormatUnknown);
  EXPECT_EQ(TimeFormatName(3), "GPS NATIVE");
  EXPECT_EQ(BasebandSignalIndex("PCM"), 0);
  EXPECT_EQ(BasebandSignalName(1), "ANALOG");
  EXPECT_EQ(BasebandSignalIndex("ANALOG"), kTmatsBasebandUnknown);
  EXPECT_EQ(TypeFormatIndex("ONE"), 0);
  EXPECT_EQ(TypeFormatName(4), "ALT TAG / DATA");
  EXPECT_EQ(PcmDataPackingIndex("TM"), kTmatsPackingThroughput);
  EXPECT_EQ(PcmDataPackingName(1), "PACKED WITH FSP");
  EXPECT_EQ(VideoCompressionIndex("MPEG2"), 2);
  EXPECT_EQ(VideoCompressionName(kTmatsVideoCompressionUnknown), "UNK");
}

TEST(TmatsVocabulary, TimeSourceIsLookedUpAmongTimeFormatNames) {
  EXPECT_EQ(TimeSourceIndex("IRIG B"), 1);
  EXPECT_EQ(TimeSourceIndex("GPS UTC"), 4);
  EXPECT_EQ(TimeSourceIndex("E"), kTmatsTimeSourceNone);
  EXPECT_EQ(TimeSourceIndex("B"), kTmatsTimeSourceNone);
  EXPECT_EQ(TimeFormatName(kTmatsTimeSourceNone), "");
}

TEST(TmatsVocabulary, KnownNameListsPerGroup) {
  EXPECT_EQ(KnownTmatsCodes(TmatsGroup::R).size(), 23u);
  EXPECT_EQ(KnownTmatsCodes(TmatsGroup::M).size(), 3u);
  EXPECT_EQ(KnownTmatsCodes(TmatsGroup::P).size(), 30u);
  EXPECT_EQ(KnownTmatsCodes(TmatsGroup::B).size(), 2u);
  EXPECT_EQ(KnownTmatsCodes(TmatsGroup::R).front(), "ID");
  EXPECT_EQ(KnownTmatsCodes(TmatsGroup::P).back(), "IDC10");
}

}  // namespace
}  // namespace tessel
