#include "tmats/tmats_vocabulary.h"

#include <gtest/gtest.h>

#include <string_view>

namespace tessel {
namespace {

TEST(TmatsVocabulary, EveryCodeMapsToItsIndexAndUnknownToTheLast) {
  const TmatsVocabulary* tables[] = {&kPcmCodeTable,        &kChannelDataTypeTable,
                                     &kTimeFormatTable,     &kBasebandSignalTable,
                                     &kTypeFormatTable,     &kPcmDataPackingTable,
                                     &kVideoCompressionTable};
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
  EXPECT_EQ(ChannelDataTypeIndex("PCMIN"), kChannelPcm);
  EXPECT_EQ(ChannelDataTypeIndex("VIDIN"), kChannelVideo);
  EXPECT_EQ(ChannelDataTypeIndex("1553IN"), kChannel1553);
  EXPECT_EQ(ChannelDataTypeIndex("pcmin"), kChannelUnknown);
  EXPECT_EQ(ChannelDataTypeIndex("PCMIN "), kChannelUnknown);
  EXPECT_EQ(ChannelDataTypeName(kChannelTime), "IRIG TIME INPUT");
  EXPECT_EQ(ChannelDataTypeCode(kChannelArinc429), "429IN");
  EXPECT_EQ(PcmCodeIndex("RNRZ-L"), 6);
  EXPECT_EQ(PcmCodeName(3), "BIO-L");
  EXPECT_EQ(TimeFormatIndex("B"), kTimeFormatIrigB);
  EXPECT_EQ(TimeFormatIndex("b"), kTimeFormatUnknown);
  EXPECT_EQ(TimeFormatName(3), "GPS NATIVE");
  EXPECT_EQ(BasebandSignalIndex("PCM"), 0);
  EXPECT_EQ(BasebandSignalName(1), "ANALOG");
  EXPECT_EQ(BasebandSignalIndex("ANALOG"), kBasebandSignalUnknown);
  EXPECT_EQ(TypeFormatIndex("ONE"), 0);
  EXPECT_EQ(TypeFormatName(4), "ALT TAG / DATA");
  EXPECT_EQ(PcmDataPackingIndex("TM"), kPcmDataPackingThroughput);
  EXPECT_EQ(PcmDataPackingName(1), "PACKED WITH FSP");
  EXPECT_EQ(VideoCompressionIndex("MPEG2"), 2);
  EXPECT_EQ(VideoCompressionName(kVideoCompressionUnknown), "UNK");
}

TEST(TmatsVocabulary, TimeSourceIsLookedUpAmongTimeFormatNames) {
  EXPECT_EQ(TimeSourceIndex("IRIG B"), 1);
  EXPECT_EQ(TimeSourceIndex("GPS UTC"), 4);
  EXPECT_EQ(TimeSourceIndex("E"), kTimeSourceNone);
  EXPECT_EQ(TimeSourceIndex("B"), kTimeSourceNone);
  EXPECT_EQ(TimeFormatName(kTimeSourceNone), "");
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
