#include "tmats/tmats_p_group.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/log_session.h"
#include "support/clock.h"
#include "support/log.h"
#include "tmats/log_entries.h"

namespace tessel {
namespace {

// R channel 1 (track 3) names the link "PCM-LINK"; M-1 ties that link to the format
// name "FMT1".
constexpr const char* kRecorderAndMultiplex =
    "R-1\\N:1;\n"
    "R-1\\CHE-1:T;\nR-1\\TK1-1:3;\nR-1\\CDT-1:PCMIN;\nR-1\\PDLN-1:PCM-LINK;\n"
    "M-1\\ID:PCM-LINK;\nM-1\\BB\\DLN:FMT1;\n";

// A well-formed format: 16-bit words, 64 words plus a 32-bit pattern, 64 minor frames
// counted up from 0 in bits 5..0 of the word after the pattern.
constexpr const char* kGoodFormat =
    "P-1\\DLN:FMT1;\nP-1\\D1:NRZ-L;\nP-1\\D2:1000000;\nP-1\\F1:16;\nP-1\\F2:M;\n"
    "P-1\\MF\\N:64;\nP-1\\MF1:64;\nP-1\\MF4:32;\nP-1\\MF5:11111110011010110010100001000000;\n"
    "P-1\\ISF\\N:1;\nP-1\\ISF1-1:SFID;\nP-1\\ISF2-1:ID;\nP-1\\IDC1-1:2;\nP-1\\IDC3-1:5;\n"
    "P-1\\IDC4-1:6;\nP-1\\IDC6-1:0;\nP-1\\IDC8-1:63;\nP-1\\IDC10-1:INC;\n";

struct Tables {
  RGroupTable r;
  MGroupTable m;
  PGroupTable p;
};

std::unique_ptr<Tables> Load(const std::string& text) {
  auto tables = std::make_unique<Tables>();
  const TmatsLineList lines = ParseTmatsText(text);
  ParseRGroup(lines, tables->r);
  ParseMGroup(lines, tables->r, tables->m);
  ParsePGroup(lines, tables->r, tables->m, tables->p);
  return tables;
}

// Runs with a private log and a recording speaker; `Entries` gives what was logged.
class PGroupTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSpeaker(&speaker_); }
  void TearDown() override { SetSpeaker(nullptr); }

  std::vector<test::LogEntry> Entries() const {
    return test::EntriesAfter(test::LogEntries(log_.Text()), "Program Version test");
  }
  // Loads the recorder, the multiplex, the good format and then `extra` lines (later
  // lines override earlier ones).
  std::unique_ptr<Tables> LoadFormat(const std::string& extra) {
    return Load(std::string(kRecorderAndMultiplex) + kGoodFormat + extra);
  }
  const decomsetupstruct& OnlySetup(const Tables& tables) {
    EXPECT_EQ(tables.p.groups.size(), 1u);
    return *tables.p.groups.at(0).DecomSetup;
  }

  test::LogSession log_;
  RecordingSpeaker speaker_;
};

const std::vector<std::pair<int, int>> kWarningTones = {{800, 50}, {700, 50}};
const std::vector<std::pair<int, int>> kErrorTones = {
    {100, 50}, {250, 10}, {0, 100}, {100, 50}, {250, 10}};

TEST_F(PGroupTest, WellFormedFormatGivesAValidSetup) {
  const auto tables = LoadFormat("");
  ASSERT_EQ(tables->p.groups.size(), 1u);
  const pgroupstruct& g = tables->p.groups[0];
  EXPECT_EQ(g.MGroupDataLinkNameId, "FMT1");
  EXPECT_EQ(g.MGroupIndex, 0);
  EXPECT_EQ(g.TrackChannelId, 3);
  EXPECT_EQ(g.MultiplexNum, 1);
  EXPECT_EQ(g.InputCode, 0);
  EXPECT_EQ(g.Cwl, 16);
  EXPECT_EQ(g.SfidNumBits, 16);
  EXPECT_EQ(g.SfidWdNumID, 2);
  EXPECT_EQ(g.SfidWordName, "SFID");
  EXPECT_EQ(g.SfidLastCount, 63);

  const decomsetupstruct& s = *g.DecomSetup;
  EXPECT_EQ(s.CommonWordLength, 16);
  EXPECT_EQ(s.WordsPerFrame, 65);  // 64 words, the 32-bit pattern counted as one
  EXPECT_EQ(s.WdArrayLength, 65);
  EXPECT_EQ(s.FrmSyncPatRadix, kRadixBinary);
  EXPECT_EQ(RecordText(s.FrmSyncPat), "11111110011010110010100001000000");
  EXPECT_EQ(s.FrmSyncPatLen, 32);
  EXPECT_EQ(s.PatternLeads, 1);
  EXPECT_EQ(s.eSyncMethod, kSyncMethodSfid);
  EXPECT_EQ(s.SubFrameIdWord, 3);  // MFW1 (1) after the two pattern words
  EXPECT_EQ(s.SubFrameIdStartBitLsb, 5);
  EXPECT_EQ(s.FirstFrame, 0);
  EXPECT_EQ(s.LastFrame, 63);
  EXPECT_EQ(s.NumSubframes, 64);
  EXPECT_EQ(s.SubframeDirection, kSubframeUp);
  EXPECT_EQ(s.BitRate, 1000000);
  EXPECT_EQ(s.BitOrder, 0);
  EXPECT_EQ(s.PcmInputCode, 0);
  EXPECT_EQ(s.iChkFrm, 1);
  EXPECT_EQ(s.iVfyFrm, 1);
  EXPECT_EQ(s.FrameSyncTolerance, 1);
  EXPECT_EQ(s.eBitWindow, 1);
  EXPECT_EQ(s.eInputSource, kInputSourceTtl);
  EXPECT_EQ(s.eWordAlignment, kWordAlignmentRight);
  EXPECT_EQ(s.eDataPolarity, kPolarityNormal);
  EXPECT_EQ(s.FramesPerInterrupt, 64);
  EXPECT_EQ(s.FrameBufferBytes, 140);
  EXPECT_EQ(s.InterruptBufferBytes, 70 * 64 * 2);
  for (int i = 0; i < 65; ++i) {
    ASSERT_EQ(s.WdArray[i].iWdNum, i);
    ASSERT_EQ(s.WdArray[i].iWdLen, 16);
    ASSERT_EQ(s.WdArray[i].bLSBF, 0);
    ASSERT_EQ(s.WdArray[i].bLeftAlign, 0);
  }
  EXPECT_TRUE(Entries().empty());
  EXPECT_TRUE(speaker_.tones.empty());
}

TEST_F(PGroupTest, ShortPatternIsPaddedWithLeadingZeros) {
  const auto tables = LoadFormat("P-1\\MF4:24;\nP-1\\MF5:11111010111100110010;\n");
  const decomsetupstruct& s = OnlySetup(*tables);
  EXPECT_EQ(RecordText(s.FrmSyncPat), "000011111010111100110010");
  EXPECT_EQ(s.FrmSyncPatLen, 24);
  EXPECT_EQ(s.FrmSyncPatRadix, kRadixBinary);
  const std::vector<test::LogEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].code, 24);
  EXPECT_EQ(entries[0].message, "fsp length does not match fsp from tmats 11111010111100110010");
  EXPECT_EQ(entries[1].code, 24);
  EXPECT_EQ(entries[1].message, " setting fsp to fsp length");
  EXPECT_EQ(speaker_.tones, kWarningTones);
}

TEST_F(PGroupTest, SixtyFourBitPatternIsKeptWhole) {
  const std::string pattern =
      "11111110011010110010100001000000"
      "11X11110011010110010100001000X00";
  ASSERT_EQ(pattern.size(), 64u);
  const auto tables = LoadFormat("P-1\\MF4:64;\nP-1\\MF5:" + pattern + ";\n");
  const pgroupstruct& g = tables->p.groups.at(0);
  EXPECT_EQ(g.BinaryFsp, pattern);
  const decomsetupstruct& s = *g.DecomSetup;
  EXPECT_EQ(RecordText(s.FrmSyncPat), pattern);
  EXPECT_EQ(s.FrmSyncPatLen, 64);
  EXPECT_EQ(s.WordsPerFrame, 67);  // four pattern words counted as one
  EXPECT_EQ(s.SubFrameIdWord, 5);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(PGroupTest, MissingOrUnusablePatternKeepsTheDefault) {
  const std::string without_mf5 =
      std::string(kRecorderAndMultiplex) +
      "P-1\\DLN:FMT1;\nP-1\\F1:16;\nP-1\\MF\\N:4;\nP-1\\MF1:20;\nP-1\\MF4:24;\nP-1\\IDC3-1:5;\n";
  const std::vector<std::string> extras = {"", "P-1\\MF5:FE6B2840;\n"};
  for (std::size_t i = 0; i < extras.size(); ++i) {
    SCOPED_TRACE(extras[i]);
    const std::string marker = "case " + std::to_string(i);
    LogMessage(marker, 0);
    speaker_.tones.clear();
    const auto tables = Load(without_mf5 + extras[i]);
    const decomsetupstruct& s = OnlySetup(*tables);
    EXPECT_EQ(s.FrmSyncPatRadix, kRadixHex);
    EXPECT_EQ(RecordText(s.FrmSyncPat), "FE6B2840");
    EXPECT_EQ(s.FrmSyncPatLen, 32);  // not taken from MF4
    const std::vector<test::LogEntry> entries = test::EntriesAfter(Entries(), marker);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].message, "NO FSP FOUND, leaving at default");
    EXPECT_EQ(entries[0].code, 0);  // the M group's index
    EXPECT_EQ(speaker_.tones, kWarningTones);
  }
}

TEST_F(PGroupTest, WithoutIdCounterTheFormatHasNoSubframes) {
  const auto tables = LoadFormat("P-1\\ISF2-1:NONE;\n");
  const pgroupstruct& g = tables->p.groups.at(0);
  EXPECT_FALSE(g.UseSfidSyncMethod);
  const decomsetupstruct& s = *g.DecomSetup;
  EXPECT_EQ(s.eSyncMethod, kSyncMethodNone);
  EXPECT_EQ(s.NumSubframes, 1);
  EXPECT_EQ(s.FirstFrame, 0);
  EXPECT_EQ(s.LastFrame, 0);
  EXPECT_EQ(s.SubFrameIdStartBitLsb, 0);
  // Validation places the SFID word of a frame led by its pattern on the last word.
  EXPECT_EQ(s.SubFrameIdWord, s.WordsPerFrame - 1);
  EXPECT_EQ(s.FramesPerInterrupt, 64);
  EXPECT_TRUE(Entries().empty());
}

TEST_F(PGroupTest, SubframeCounterPlacementAndDirection) {
  struct Case {
    const char* name;
    std::string lines;
    int direction;
    int first;
    int last;
    int sfid_word;
  };
  const std::vector<Case> cases = {
      {"counts down from the last frame", "P-1\\MF\\N:8;\nP-1\\IDC10-1:DEC;\nP-1\\IDC6-1:7;\n",
       kSubframeDown, 7, 0, 3},
      {"counts down from another value", "P-1\\MF\\N:8;\nP-1\\IDC10-1:DEC;\nP-1\\IDC6-1:3;\n",
       kSubframeDown, 8, 1, 3},
      {"counts up from 1", "P-1\\MF\\N:8;\nP-1\\IDC6-1:1;\n", kSubframeUp, 1, 8, 3},
      {"counts up from above 1", "P-1\\MF\\N:8;\nP-1\\IDC6-1:5;\n", kSubframeUp, 1, 8, 3},
      {"SFID word after the pattern", "P-1\\MF\\N:8;\nP-1\\MFW1:10;\n", kSubframeUp, 0, 7, 12},
      {"SFID word limited to the frame", "P-1\\MF\\N:8;\nP-1\\MFW1:500;\n", kSubframeUp, 0, 7, 64},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto tables = LoadFormat(c.lines);
    const decomsetupstruct& s = OnlySetup(*tables);
    EXPECT_EQ(s.SubframeDirection, c.direction);
    EXPECT_EQ(s.FirstFrame, c.first);
    EXPECT_EQ(s.LastFrame, c.last);
    EXPECT_EQ(s.SubFrameIdWord, c.sfid_word);
    EXPECT_EQ(s.NumSubframes, 8);
  }
  EXPECT_TRUE(Entries().empty());
}

TEST_F(PGroupTest, AttributeValues) {
  struct Case {
    const char* name;
    std::string lines;
    std::function<void(const pgroupstruct&)> check;
  };
  const std::vector<Case> cases = {
      {"RNRZ-L randomised, standard length", "P-1\\D1:RNRZ-L;\nP-1\\D7:Y;\nP-1\\D8:STD;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.InputCode, 15);
         EXPECT_EQ(g.DecomSetup->PcmInputCode, 0);
       }},
      {"RNRZ-L randomised, other length", "P-1\\D1:RNRZ-L;\nP-1\\D7:Y;\nP-1\\D8:OTHER;\n",
       [](const pgroupstruct& g) { EXPECT_EQ(g.InputCode, 14); }},
      {"RNRZ-L not randomised", "P-1\\D1:RNRZ-L;\nP-1\\D8:STD;\n",
       [](const pgroupstruct& g) { EXPECT_EQ(g.InputCode, 0); }},
      {"biphase", "P-1\\D1:BIO-L;\n", [](const pgroupstruct& g) { EXPECT_EQ(g.InputCode, 3); }},
      {"unknown code", "P-1\\D1:nrz-l;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.PcmCode, 8);
         EXPECT_EQ(g.InputCode, 0);
       }},
      {"rate above the limit", "P-1\\D2:50000000;\n",
       [](const pgroupstruct& g) { EXPECT_EQ(g.DecomSetup->BitRate, 30000000); }},
      {"rate below the limit", "P-1\\D2:5;\n",
       [](const pgroupstruct& g) { EXPECT_EQ(g.DecomSetup->BitRate, 10); }},
      {"rate not a number keeps the earlier one", "P-1\\D2:1.5E6;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.DataRate, 1000000);
         EXPECT_EQ(g.DecomSetup->BitRate, 1000000);
       }},
      {"inverted polarity and LSB first", "P-1\\D4:I;\nP-1\\F2:L;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.DecomSetup->eDataPolarity, kPolarityInvert);
         EXPECT_EQ(g.DecomSetup->eClockPolarity, kPolarityInvert);
         EXPECT_EQ(g.DecomSetup->BitOrder, 1);
         EXPECT_EQ(g.DecomSetup->WdArray[64].bLSBF, 1);
       }},
      {"flags", "P-1\\D3:E;\nP-1\\D5:Y;\nP-1\\TF:ONE;\n",
       [](const pgroupstruct& g) {
         EXPECT_TRUE(g.IsEncrypted);
         EXPECT_TRUE(g.PolarityCorrection);
         EXPECT_EQ(g.TypeFormat, 0);
       }},
      {"later line overrides, non-number keeps", "P-1\\MF1:10;\nP-1\\MF1:20;\nP-1\\MF1:x;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.Wpf, 20);
         EXPECT_EQ(g.DecomSetup->WordsPerFrame, 21);
       }},
      {"word length limited", "P-1\\F1:40;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.DecomSetup->CommonWordLength, 16);
         EXPECT_EQ(g.SfidNumBits, 40);
       }},
      {"F1 not a number still resets MFW2", "P-1\\MFW2:7;\nP-1\\F1:wide;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.Cwl, 16);
         EXPECT_EQ(g.SfidNumBits, 16);
       }},
      {"MFW2 not a number falls back to F1", "P-1\\MFW2:7;\nP-1\\MFW2:?;\n",
       [](const pgroupstruct& g) { EXPECT_EQ(g.SfidNumBits, 16); }},
      {"bit window and tolerance", "P-1\\SYNC2:3;\nP-1\\SYNC4:4;\n",
       [](const pgroupstruct& g) {
         EXPECT_EQ(g.DecomSetup->eBitWindow, 3);
         EXPECT_EQ(g.DecomSetup->FrameSyncTolerance, 4);
       }},
      {"bit window outside 1..3", "P-1\\SYNC2:4;\n",
       [](const pgroupstruct& g) { EXPECT_EQ(g.DecomSetup->eBitWindow, 0); }},
      {"lines of another group number change nothing", "P-2\\MF1:99;\nP-2\\DLN:FMT1;\n",
       [](const pgroupstruct& g) { EXPECT_EQ(g.Wpf, 64); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto tables = LoadFormat(c.lines);
    ASSERT_GE(tables->p.groups.size(), 1u);
    c.check(tables->p.groups[0]);
  }
}

TEST_F(PGroupTest, OddInterruptBufferIsRoundedToFourBytes) {
  const auto tables = LoadFormat("P-1\\MF1:21;\nP-1\\MF\\N:3;\n");
  const decomsetupstruct& s = OnlySetup(*tables);
  EXPECT_EQ(s.WordsPerFrame, 22);
  EXPECT_EQ(s.FramesPerInterrupt, 3);
  EXPECT_EQ(s.FrameBufferBytes, 54);
  EXPECT_EQ(s.InterruptBufferBytes, 27 * 3 * 2 + 2);
}

TEST_F(PGroupTest, FailedValidationIsLoggedAndTheFormatKept) {
  // 64 minor frames need six counter bits; the counter's top bit 1 leaves two.
  const auto tables = LoadFormat("P-1\\IDC3-1:1;\n");
  ASSERT_EQ(tables->p.groups.size(), 1u);
  EXPECT_EQ(tables->p.groups[0].DecomSetup->SubFrameIdStartBitLsb, 1);
  const std::vector<test::LogEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].code, 1);
  EXPECT_EQ(entries[0].message,
            "DECOM SETUP ERROR FOR PCM STREAM 1 Not enough bits for SF ID for the number of minor "
            "frames. Check Start Bit  You'll need to fix the incorrect stuff manually!!!!!!");
  EXPECT_EQ(speaker_.tones, kErrorTones);
}

TEST_F(PGroupTest, CorrectedFramesPerInterruptResizesTheInterruptBuffer) {
  // 1024 frames per interrupt of 261 words exceed the card; validation keeps 251.
  const auto tables = LoadFormat("P-1\\MF1:255;\nP-1\\MF\\N:1024;\nP-1\\IDC3-1:9;\n");
  const decomsetupstruct& s = OnlySetup(*tables);
  EXPECT_EQ(s.WordsPerFrame, 256);
  EXPECT_EQ(s.FramesPerInterrupt, 251);
  EXPECT_EQ(s.FrameBufferBytes, 522);
  EXPECT_EQ(s.InterruptBufferBytes, 261 * 251 * 2 + 2);
  const std::vector<test::LogEntry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_TRUE(entries[0].message.starts_with(
      "DECOM SETUP ERROR FOR PCM STREAM 1 Frames Per Interrupt TOO LARGE"));
}

TEST_F(PGroupTest, FormatsAreTakenOnlyThroughAKnownLink) {
  const auto tables = Load(std::string(kRecorderAndMultiplex) +
                           "P-1\\DLN:NOT-LINKED;\nP-1\\MF1:30;\n"
                           "P-2\\DLN:;\n"
                           "P-3\\MF1:40;\nP-3\\DLN:FMT1;\n");
  ASSERT_EQ(tables->p.groups.size(), 1u);
  EXPECT_EQ(tables->p.groups[0].MultiplexNum, 3);
  EXPECT_EQ(tables->p.groups[0].Wpf, 40);  // lines before the DLN line count too
}

TEST_F(PGroupTest, AtMostSixteenFormats) {
  std::string text = "R-1\\N:1;\nR-1\\CHE-1:T;\nR-1\\PDLN-1:LINK;\n";
  for (int i = 1; i <= 17; ++i) {
    text += "M-" + std::to_string(i) + "\\ID:LINK;\nM-" + std::to_string(i) + "\\BB\\DLN:F" +
            std::to_string(i) + ";\n";
  }
  std::string seventeen_groups = text;
  for (int i = 1; i <= 17; ++i) {
    seventeen_groups += "P-" + std::to_string(i) + "\\DLN:F" + std::to_string(i) + ";\n";
  }
  auto tables = Load(seventeen_groups);
  ASSERT_EQ(tables->p.groups.size(), 16u);
  EXPECT_EQ(tables->p.groups[15].MultiplexNum, 16);
  EXPECT_EQ(tables->p.groups[15].MGroupIndex, 15);

  // Seventeen DLN lines within group numbers 1..16: the seventeenth is not taken.
  std::string repeated = text;
  for (int i = 1; i <= 16; ++i) {
    repeated += "P-" + std::to_string(i) + "\\DLN:F" + std::to_string(i) + ";\n";
  }
  repeated += "P-1\\DLN:F17;\n";
  tables = Load(repeated);
  ASSERT_EQ(tables->p.groups.size(), 16u);

  // A group number above 16 ends the scan, even before any format was found.
  tables = Load(text + "P-17\\D1:NRZ-L;\nP-1\\DLN:F1;\n");
  EXPECT_TRUE(tables->p.groups.empty());
}

TEST_F(PGroupTest, FormatNamedByARecorderChannelWithoutMultiplex) {
  // The M group has no ID, so it links no channel; R channel 2 names the format itself.
  const std::string recorder =
      "R-1\\N:2;\n"
      "R-1\\CHE-1:T;\nR-1\\TK1-1:4;\nR-1\\CDT-1:PCMIN;\n"
      "R-1\\CHE-2:T;\nR-1\\TK1-2:7;\nR-1\\CDT-2:PCMIN;\nR-1\\CDLN-2:PCMFMT;\n"
      "M-1\\BB\\DLN:PCMFMT;\n";
  const std::string format = std::string(kGoodFormat).replace(0, 13, "P-1\\DLN:PCMFMT;");
  ASSERT_TRUE(format.starts_with("P-1\\DLN:PCMFMT;\nP-1\\D1:"));

  auto tables = Load(recorder + format);
  EXPECT_TRUE(tables->m.groups.empty());
  ASSERT_EQ(tables->p.groups.size(), 1u);
  const pgroupstruct& g = tables->p.groups[0];
  EXPECT_EQ(g.TrackChannelId, 7);
  EXPECT_EQ(g.MGroupIndex, -1);
  EXPECT_EQ(g.MGroupDataLinkNameId, "PCMFMT");
  EXPECT_EQ(g.DecomSetup->WordsPerFrame, 65);

  // A channel that is not enabled names nothing.
  std::string disabled = recorder;
  disabled.replace(disabled.find("CHE-2:T"), 7, "CHE-2:F");
  tables = Load(disabled + format);
  EXPECT_TRUE(tables->p.groups.empty());

  // The default "UNK" link name of a channel is no name.
  tables = Load(recorder + "P-1\\DLN:UNK;\n");
  EXPECT_TRUE(tables->p.groups.empty());

  // An M group with the name comes first.
  tables = Load(recorder + "M-2\\ID:PCMFMT;\nM-2\\BB\\DLN:PCMFMT;\n" + format);
  ASSERT_EQ(tables->p.groups.size(), 1u);
  EXPECT_EQ(tables->p.groups[0].MGroupIndex, 0);
  EXPECT_EQ(tables->p.groups[0].TrackChannelId, 7);
  EXPECT_EQ(tables->m.groups.at(0).MultiplexNum, 2);
}

TEST_F(PGroupTest, DumpWritesAttributesAndTheDecomSetup) {
  const auto tables = LoadFormat("P-1\\D1:RNRZ-L;\nP-1\\D7:Y;\nP-1\\TF:TWO;\n");
  DumpPGroup(tables->p);
  const std::vector<test::LogEntry> entries = Entries();
  ASSERT_GE(entries.size(), 4u);
  EXPECT_EQ(entries[0].message, "");
  EXPECT_EQ(entries[1].message, "TMATS PCM INFO -------------------------------------------\r\n");
  EXPECT_EQ(entries[2].code, 0);
  EXPECT_EQ(entries[2].message,
            "\r\n"
            "MGroupDataLinkNameId = FMT1\r\n"
            "MGroupIndex = 0\r\n"
            "TrackChannelId(channel) = 3\r\n"
            "MultiplexNum = 1\r\n"
            "InputCode = RNRZ15\r\n"
            "DLN - DataLinkName = FMT1\r\n"
            "D1  - PcmCode RNRZ-L\r\n"
            "D2  - DataRate = 1000000\r\n"
            "D3  - IsEncrypted = NO\r\n"
            "D4  - PolarityNormal = YES\r\n"
            "D5  - PolarityCorrection = NO\r\n"
            "D7  - DataRandomized = YES\r\n"
            "D8  - RandomizedLength = 15\r\n"
            "TF  - Type Format = CLASS II\r\n"
            "F1  - Cwl = 16\r\n"
            "F2  - MsbFirst = YES\r\n"
            "MF  - NumSubframes = 64\r\n"
            "MF1 - Wpf = 64\r\n"
            "MF2 - BitsInMinorFrame = 0\r\n"
            "MF4 - FspLength = 32\r\n"
            "MF5 - BinaryFsp = 11111110011010110010100001000000\r\n"
            "SYNC2 - SyncWindow = 1\r\n"
            "SYNC4 - SyncTolerance = 1\r\n"
            "MFW1 - SfidWdNum = 1\r\n"
            "MFW2 - SfidNumBits = 16\r\n"
            "ISF  - NumMinorFrameCounters = 1\r\n"
            "ISF1 - SfidWordName = SFID\r\n"
            "ISF2 - UseSfidSyncMethod = YES\r\n"
            "IDC1 - SfidWdNumID = 2\r\n"
            "IDC2 - SfidWordLength = 0\r\n"
            "IDC3 - SfidCounterMsb = 5\r\n"
            "IDC4 - SfidCounterNumBits = 6\r\n"
            "IDC6 - SfidCountsFrom = 0\r\n"
            "IDC8 - SfidLastCount = 63\r\n"
            "IDC10 - SfidCountsUp = YES\r\n");
  EXPECT_EQ(entries[3].message, "The Setup Data Used is as follow:");
  EXPECT_EQ(entries[4].message, "WordsPerFrame         65");
  EXPECT_EQ(entries.back().message, "---end setup data---");
  EXPECT_EQ(entries.size(), 3u + 36u + 65u + 1u);
}

TEST_F(PGroupTest, HooksRunThePGroupWithTheOtherGroups) {
  PGroupTable p_table;
  TmatsTables tables;
  const TmatsGroupHooks hooks = PGroupHooks(p_table);
  LoadTmatsText(std::string(kRecorderAndMultiplex) + kGoodFormat, tables, hooks);
  ASSERT_EQ(p_table.groups.size(), 1u);
  EXPECT_EQ(p_table.groups[0].TrackChannelId, 3);

  // A second load rebuilds the table.
  LoadTmatsText(kRecorderAndMultiplex, tables, hooks);
  EXPECT_TRUE(p_table.groups.empty());

  LoadTmatsText(std::string(kRecorderAndMultiplex) + kGoodFormat, tables, hooks);
  LogMessage("dump", 0);
  DumpTmatsGroups(tables, hooks);
  const std::vector<test::LogEntry> entries = test::EntriesAfter(Entries(), "dump");
  auto position = [&](std::string_view title) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].message.starts_with(title)) return static_cast<int>(i);
    }
    return -1;
  };
  const int multiplex = position("TMATS MULTIPLEX INFO");
  const int pcm = position("TMATS PCM INFO");
  const int bus = position("TMATS BUS INFO");
  EXPECT_GE(multiplex, 0);
  EXPECT_LT(multiplex, pcm);
  EXPECT_LT(pcm, bus);
}

}  // namespace
}  // namespace tessel
