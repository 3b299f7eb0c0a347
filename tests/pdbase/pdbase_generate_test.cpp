// Databases generated from decom setups: header, tag names, locations, PCM and video.
#include "pdbase/pdbase_generate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "setup/decom_setup.h"

namespace tessel {
namespace {

std::string Padded(const std::string& name) { return name + std::string(18 - name.size(), ' '); }

std::unique_ptr<decomsetupstruct> DefaultDecom() {
  auto decom = std::make_unique<decomsetupstruct>();
  SetDecomDefaults(*decom);
  return decom;
}

std::vector<std::int32_t> Placement(const pdbaseparamstruct& tag) {
  return {tag.Hw[0], tag.Hw[1], tag.Hw[2], tag.Hw[3], tag.Hw[4], tag.Hw[5], tag.Hw[6], tag.Hw[7]};
}

TEST(InitPdbaseHeader, RebuildsTheHeaderFromTheDecomSetup) {
  auto decom = DefaultDecom();
  pdbaseclass database(2);
  database.AddParam(ZeroParam());
  database.NumWords = 9;
  database.header.HasEmbVideo = 1;
  InitPdbaseHeader(database, *decom);
  const pdbaseheaderstruct& h = database.header;
  EXPECT_EQ(database.NumParams(), 0);
  EXPECT_EQ(database.NumWords, 0);
  EXPECT_EQ(h.FileVersion, 26.0);
  EXPECT_EQ(h.eDbaseType, kDbasePcm);
  EXPECT_EQ(h.NumPcmWordsPerSf, 256);
  EXPECT_EQ(h.NumSubFrames, 64);
  EXPECT_EQ(h.IrigEmbDecomSetupWpf, 256);
  EXPECT_EQ(h.IrigEmbDecomSetupNumSf, 64);
  EXPECT_EQ(h.CommonWordLen, 16);
  EXPECT_EQ(h.CommonParamMsbFirst, 1);
  EXPECT_EQ(h.SfidStartCount, 0);
  EXPECT_EQ(h.SfIdWordNum, 3);
  EXPECT_EQ(h.SfidMsb, 5);
  EXPECT_EQ(h.Bitrate, 1024000);
  EXPECT_EQ(h.FramesPerInterrupt, 1);
  EXPECT_EQ(RecordText(h.cOriginatorText[0]), "PDbase NOTES:");
  EXPECT_EQ(h.HasEmbVideo, 0);
}

TEST(SyncPdbaseHeader, CopiesOnlyTheDecomFields) {
  auto decom = DefaultDecom();
  pdbaseclass database(0);
  GeneratePcmPdbase(*decom, database);
  database.header.HasEmbAudio = 1;
  decom->BitOrder = 1;
  decom->BitRate = 5000;
  decom->WordsPerFrame = 10;
  decom->FramesPerInterrupt = 300;  // kept as its low 8 bits
  SyncPdbaseHeader(database, *decom);
  EXPECT_EQ(database.header.CommonParamMsbFirst, 0);
  EXPECT_EQ(database.header.Bitrate, 5000);
  EXPECT_EQ(database.header.NumPcmWordsPerSf, 10);
  EXPECT_EQ(database.header.FramesPerInterrupt, 44);
  EXPECT_EQ(database.header.HasEmbAudio, 1);
  EXPECT_EQ(RecordText(database.header.cOriginatorText[0]), "AUTO GENERATED PDBASE FILE FROM CHAPTER 10 FILE");
  EXPECT_EQ(database.NumParams(), 256);
  EXPECT_EQ(database.NumWords, 256);
}

TEST(MakeTagName, KeepsLettersDigitsAndUnderscoreIn18Characters) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"7ABC", Padded("_ABC")},
      {"!!!", Padded("")},
      {"", Padded("")},
      {"fr 0 wd-1", Padded("FR0WD1")},
      {"_x", Padded("_X")},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNOPQR"},
      {"a.b,c", Padded("ABC")},
  };
  for (const auto& [text, name] : cases) EXPECT_EQ(MakeTagName(text), name) << text;
}

TEST(MakeCountsTag, ReadsOneWordRawWithTheHeadersWordLength) {
  pdbaseclass database(0);
  database.header.CommonWordLen = 12;
  database.header.CommonParamMsbFirst = 1;
  database.header.CommonWordUpdateRateHz = 50.9;
  const pdbaseparamstruct tag = MakeCountsTag(3, 7, database);
  EXPECT_EQ(RecordText(tag.ParameterName), Padded("FR3WD7"));
  EXPECT_EQ(RecordText(tag.WordName), Padded("FR3WD7"));
  EXPECT_EQ(RecordText(tag.DisplayLabel), Padded("FR3WD7"));
  EXPECT_EQ(RecordText(tag.Description), "TAG FRAME 3 WORD 7");
  EXPECT_EQ(RecordText(tag.UnitOfMeasure), "COUNTS");
  EXPECT_EQ(tag.UpdateRateHz, 50);
  EXPECT_EQ(tag.IsMsbFirst, 1);
  EXPECT_EQ(tag.Msb, 11);
  EXPECT_EQ(tag.Lsb, 0);
  EXPECT_EQ(tag.ParamNumBits, 12);
  EXPECT_EQ(tag.WordNumBits, 12);
  EXPECT_EQ(tag.ModeMask, 65535);
  EXPECT_EQ(tag.ModeTag, 1048575);
  EXPECT_EQ(tag.TimeTag, 1048575);
  EXPECT_EQ(tag.SecondTag, 1048575);
  EXPECT_EQ(tag.Euc, 1.0);
  EXPECT_EQ(tag.DefaultMaxDisplay, 65535.0);
  EXPECT_EQ(tag.AccessCode, 15);
  EXPECT_EQ(Placement(tag), (std::vector<std::int32_t>{3, 6, 0, 3, 0, 6, 0, 0}));
  EXPECT_EQ(tag.RtSlotIndex, 0);

  // A header from a damaged file cannot make the conversion misbehave.
  database.header.CommonWordUpdateRateHz = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(MakeCountsTag(0, 1, database).UpdateRateHz, 0);
  database.header.CommonWordUpdateRateHz = 1e300;
  EXPECT_EQ(MakeCountsTag(0, 1, database).UpdateRateHz, std::numeric_limits<std::int32_t>::max());
}

TEST(GeneratePcmPdbase, MakesOneTagPerWordInNameOrder) {
  auto decom = DefaultDecom();
  decom->WordsPerFrame = 12;
  decom->NumSubframes = 64;
  pdbaseclass database(1);
  GeneratePcmPdbase(*decom, database);
  ASSERT_EQ(database.NumParams(), 12);
  EXPECT_EQ(database.NumWords, 12);
  EXPECT_EQ(RecordText(database.header.cOriginatorText[0]), "AUTO GENERATED PDBASE FILE FROM CHAPTER 10 FILE");
  EXPECT_EQ(RecordText(database.header.cOriginatorText[1]), "  Frame Interval for each word set to 1");

  const std::vector<std::string> order = {"FR0WD1", "FR0WD10", "FR0WD11", "FR0WD12", "FR0WD2", "FR0WD3",
                                          "FR0WD4", "FR0WD5",  "FR0WD6",  "FR0WD7",  "FR0WD8", "FR0WD9"};
  for (std::int32_t i = 0; i < 12; ++i) {
    const pdbaseparamstruct& tag = database.Param(i);
    EXPECT_EQ(RecordText(tag.ParameterName), Padded(order[static_cast<std::size_t>(i)])) << i;
    EXPECT_EQ(tag.PttLocation, i);
    EXPECT_EQ(tag.CvtLocation, i);
    EXPECT_EQ(tag.UpdateRateHz, 0);
    EXPECT_EQ(tag.Msb, 15);
    EXPECT_EQ(tag.ParamNumBits, 16);
  }
  const pdbaseparamstruct& word10 = database.Param(1);
  EXPECT_EQ(Placement(word10), (std::vector<std::int32_t>{0, 9, 1, 63, 0, 9, 0, 0}));
  EXPECT_EQ(RecordText(word10.Description), "PRIME TAG FRAME 0 WORD 10");
}

TEST(GeneratePcmPdbase, FollowsTheSubframeCount) {
  struct Case {
    std::int32_t subframes;
    std::int32_t interval;
    std::int32_t stop;
  };
  for (const Case c : {Case{1, 1, 0}, Case{0, 0, 0}, Case{64, 1, 63}, Case{2, 1, 1}}) {
    auto decom = DefaultDecom();
    decom->WordsPerFrame = 2;
    decom->NumSubframes = c.subframes;
    pdbaseclass database(0);
    GeneratePcmPdbase(*decom, database);
    ASSERT_EQ(database.NumParams(), 2);
    EXPECT_EQ(database.Param(0).Hw[2], c.interval) << c.subframes;
    EXPECT_EQ(database.Param(0).Hw[3], c.stop) << c.subframes;
  }

  auto decom = DefaultDecom();
  decom->WordsPerFrame = 0;
  pdbaseclass database(0);
  GeneratePcmPdbase(*decom, database);
  EXPECT_EQ(database.NumParams(), 0);
  EXPECT_EQ(database.NumWords, 0);
  EXPECT_EQ(RecordText(database.header.cOriginatorText[1]), "  Frame Interval for each word set to 1");
}

TEST(GeneratePcmPdbase, GivesEveryWordOfALongFrameItsOwnName) {
  auto decom = DefaultDecom();
  decom->WordsPerFrame = 10001;
  pdbaseclass database(0);
  GeneratePcmPdbase(*decom, database);
  ASSERT_EQ(database.NumParams(), 10001);
  std::set<std::string> names;
  std::set<std::int32_t> cvts;
  for (const auto& tag : database.Params()) {
    names.insert(RecordText(tag.ParameterName));
    cvts.insert(tag.CvtLocation);
  }
  EXPECT_EQ(names.size(), 10001u);
  EXPECT_EQ(cvts.size(), 10001u);
  EXPECT_EQ(*cvts.rbegin(), 10000);
}

TEST(GenerateVideoPdbase, SetsTheTransportStreamLayoutAndOneTag) {
  auto decom = DefaultDecom();
  decom->WordsPerFrame = 17;
  decom->eSyncMethod = kSyncMethodUrc;
  decom->WdArray[16382].iWdLen = 3;
  pdbaseclass database(7);
  GeneratePcmPdbase(*decom, database);
  GenerateVideoPdbase(*decom, database);

  EXPECT_EQ(decom->WordsPerFrame, 188);
  EXPECT_EQ(decom->CommonWordLength, 8);
  EXPECT_EQ(RecordText(decom->FrmSyncPat), "47");
  EXPECT_EQ(decom->FrmSyncPatLen, 8);
  EXPECT_EQ(decom->FrmSyncPatRadix, kRadixHex);
  EXPECT_EQ(decom->PatternLeads, 1);
  EXPECT_EQ(decom->FramesPerInterrupt, 20);
  EXPECT_EQ(decom->BitRate, 3000000);
  EXPECT_EQ(decom->NumSubframes, 1);
  EXPECT_EQ(decom->SubFrameIdWord, 189);
  EXPECT_EQ(decom->eSyncMethod, kSyncMethodNone);
  EXPECT_EQ(decom->eWordAlignment, kWordAlignmentRight);
  EXPECT_EQ(RecordText(decom->URCSyncPat), "47");
  EXPECT_EQ(decom->WdArrayLength, 188);
  EXPECT_EQ(decom->WdArray[16382].iWdNum, 16382);
  EXPECT_EQ(decom->WdArray[16382].iWdLen, 8);

  ASSERT_EQ(database.NumParams(), 1);
  EXPECT_EQ(database.NumWords, 1);
  const pdbaseparamstruct& tag = database.Param(0);
  EXPECT_EQ(RecordText(tag.ParameterName), Padded("FR0WD1"));
  EXPECT_EQ(RecordText(tag.Description), "PRIME TAG WORD 1");
  EXPECT_EQ(Placement(tag), (std::vector<std::int32_t>{0, 0, 0, 0, 1, 187, 0, 0}));
  EXPECT_EQ(tag.Msb, 7);
  EXPECT_EQ(tag.PttLocation, 0);
  EXPECT_EQ(tag.CvtLocation, 0);

  const pdbaseheaderstruct& h = database.header;
  EXPECT_EQ(RecordText(h.cOriginatorText[0]), "AUTO GENERATED PDBASE FILE FROM CHAPTER 10 VIDEO SPECS");
  EXPECT_EQ(RecordText(h.cOriginatorText[1]), "  Word Interval first and only word set to 1");
  EXPECT_EQ(h.NumPcmWordsPerSf, 188);
  EXPECT_EQ(h.NumSubFrames, 1);
  EXPECT_EQ(h.Bitrate, 3000000);
  EXPECT_EQ(h.FramesPerInterrupt, 20);
  EXPECT_EQ(h.HasEmbVideo, 1);
  EXPECT_EQ(h.EmbVideoStartWord, 1);
  EXPECT_EQ(h.EmbVideoWordInterval, 1);
  EXPECT_EQ(h.EmbVideoWordStop, 188);
  EXPECT_EQ(h.EmbVideoFormat, 13);
  EXPECT_EQ(h.EmbVideoAudioBitsPerSample, 8);
  EXPECT_EQ(h.EmbVideoFrameRate, 30);
}

pdbaseparamstruct Located(const std::string& name, std::int32_t frame, std::int32_t word) {
  pdbaseparamstruct tag = ZeroParam();
  SetRecordText(tag.ParameterName, name);
  SetRecordText(tag.WordName, name);
  tag.Hw[0] = frame;
  tag.Hw[1] = word;
  return tag;
}

TEST(AssignTagLocations, TagsAtOneLocationShareACvtWord) {
  std::vector<pdbaseparamstruct> tags = {Located("C", 0, 5), Located("B", 0, 2), Located("A", 0, 5),
                                         Located("D", 1, 0)};
  AssignTagLocations(kDbasePcm, tags);
  ASSERT_EQ(tags.size(), 4u);
  const std::vector<std::string> names = {"A", "B", "C", "D"};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(RecordText(tags[i].ParameterName), names[i]);
    EXPECT_EQ(tags[i].PttLocation, static_cast<std::int32_t>(i));
  }
  // C came first at word 5, so A reads C's word.
  EXPECT_EQ(RecordText(tags[0].WordName), "C");
  EXPECT_EQ(RecordText(tags[2].WordName), "C");
  EXPECT_EQ(tags[0].CvtLocation, tags[2].CvtLocation);
  EXPECT_EQ(tags[1].CvtLocation, 0);  // B
  EXPECT_EQ(tags[0].CvtLocation, 1);  // C
  EXPECT_EQ(tags[3].CvtLocation, 2);  // D
}

TEST(AssignTagLocations, AnEmptyWordNameStillGetsAWord) {
  std::vector<pdbaseparamstruct> tags = {Located("", 0, 1), Located("X", 0, 2)};
  AssignTagLocations(kDbasePcm, tags);
  EXPECT_EQ(tags[0].CvtLocation, 0);
  EXPECT_EQ(tags[1].CvtLocation, 1);

  std::vector<pdbaseparamstruct> none;
  AssignTagLocations(kDbasePcm, none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace tessel
