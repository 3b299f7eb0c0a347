// The binary PDbase file: names, round trips, upgrades of older versions, record fixes,
// and files that are short, hostile or cannot be written.
#include "pdbase/pdbase_binary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/log_session.h"
#include "common/test_files.h"
#include "support/clock.h"
#include "support/files.h"
#include "support/ui.h"

namespace tessel {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// --- builders ---

pdbaseparamstruct Tag(const std::string& name, std::int32_t cvt) {
  pdbaseparamstruct p = ZeroParam();
  SetRecordText(p.ParameterName, name);
  SetRecordText(p.WordName, name);
  SetRecordText(p.UnitOfMeasure, "COUNTS");
  p.CvtLocation = cvt;
  p.ModeTag = p.TimeTag = p.SecondTag = kTagNotUsed;
  p.Euc = 1.0;
  p.DefaultMaxDisplay = 65535.0;
  p.AccessCode = 15;
  return p;
}

std::vector<std::uint8_t> PbinImage(const pdbaseheaderstruct& header,
                                    const std::vector<pdbaseparamstruct>& records) {
  std::vector<std::uint8_t> bytes(sizeof header + records.size() * sizeof(pdbaseparamstruct));
  std::memcpy(bytes.data(), &header, sizeof header);
  if (!records.empty()) {
    std::memcpy(bytes.data() + sizeof header, records.data(), records.size() * sizeof(pdbaseparamstruct));
  }
  return bytes;
}

template <typename Record>
std::vector<std::uint8_t> Image(const Record& record) {
  std::vector<std::uint8_t> bytes(sizeof record);
  std::memcpy(bytes.data(), &record, sizeof record);
  return bytes;
}

// A database that a failed load must leave exactly as it was.
void FillKnown(pdbaseclass& database) {
  database.header.Bitrate = 77;
  database.NumWords = 3;
  database.ReplaceParams({Tag("KEEP", 2)});
}

void ExpectKnown(const pdbaseclass& database) {
  EXPECT_EQ(database.header.Bitrate, 77);
  EXPECT_EQ(database.NumWords, 3);
  ASSERT_EQ(database.NumParams(), 1);
  EXPECT_EQ(RecordText(database.Param(0).ParameterName), "KEEP");
}

struct WriteFaultGuard {
  WriteFaultGuard(std::int64_t bytes_allowed, int error_number) {
    SetWriteFaultForTesting(bytes_allowed, error_number);
  }
  ~WriteFaultGuard() { SetWriteFaultForTesting(-1, 0); }
};

// Every test logs into its own directory and answers boxes through a script.
class PdbaseBinaryTest : public ::testing::Test {
 protected:
  PdbaseBinaryTest() : ui_scope_(&ui_) { SetSpeaker(&speaker_); }
  ~PdbaseBinaryTest() override { SetSpeaker(nullptr); }

  std::string File(const std::string& name) const { return log_.dir().File(name); }

  test::LogSession log_;
  ScriptedUserInterface ui_;
  ScopedUserInterface ui_scope_;
  RecordingSpeaker speaker_;
};

// --- names ---

TEST(PbinFileName, ReplacesThePdbExtensionKeepingItsCase) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/out/RUN7_1.PDB", "/out/RUN7_1.PBIN"},
      {"/out/RUN7_1.PBIN", "/out/RUN7_1.PBIN"},
      {"/out/run7_1.pdb", "/out/run7_1.pbin"},
      {"engine.pdb", "engine.pbin"},
      {"ENGINE.PDB", "ENGINE.PBIN"},
      {"/out/Run.Pdb", "/out/Run.PBIN"},
      {"/out/x.pbin", "/out/x.pbin"},
      {"/out/a.PDB.bak", "/out/a.PBIN"},
      {"/dir.pdb/run.PDB", "/dir.pdb/run.PBIN"},
      {"/dir.pdb/run.txt", ""},
      {"/out/run.txt", ""},
      {"/out/run", ""},
      {".pdb", ""},
      {"", ""},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(PbinFileName(name), expected) << name;
}

// --- round trip ---

TEST_F(PdbaseBinaryTest, WrittenAndReadBackIsIdentical) {
  pdbaseclass original(0);
  pdbaseheaderstruct& h = original.header;
  h.FileVersion = 3.0;
  h.NumSubFrames = 64;
  h.NumPcmWordsPerSf = 256;
  h.CommonWordLen = 16;
  h.CommonWordUpdateRateHz = 12.5;
  h.FspMsw = 0xFFFFFFFFu;
  h.Bitrate = 1024000;
  h.FramesPerInterrupt = 20;
  SetRecordText(h.cOriginatorText[0], "PDbase NOTES:");
  SetRecordText(h.cEmbTimeDllName, "TIME.DLL");
  std::vector<pdbaseparamstruct> tags;
  for (int i = 0; i < 256; ++i) {
    pdbaseparamstruct tag = Tag("T" + std::to_string(i), (i * 7) % 300);
    tag.UpdateRateHz = i;
    tag.Hw[0] = i;
    tag.UserDefD[3] = i * 0.25;
    SetRecordText(tag.PreprocessedFormula, i % 2 ? "XOR 0x00FF; SHL 3;INVERT" : "");
    tag.PreprocessOps = ParsePreprocessFormula(RecordText(tag.PreprocessedFormula));
    tags.push_back(tag);
  }
  tags[5].AccessCode = 31;
  ASSERT_TRUE(original.ReplaceParams(tags));

  const std::string pdb = File("RUN7_1.PDB");
  ASSERT_TRUE(SaveToFilePDbaseBinary(original.header, pdb, original.Params()));
  EXPECT_EQ(original.header.FileVersion, 26.0);
  EXPECT_EQ(original.Param(5).AccessCode, 31);  // memory keeps its value
  const auto first = test::ReadWholeFile(File("RUN7_1.PBIN"));
  ASSERT_EQ(first.size(), 206638u);
  std::int32_t access = 0;
  std::memcpy(&access, first.data() + 3886 + 5 * 792 + 409, 4);
  EXPECT_EQ(access, 15);

  pdbaseclass loaded(5);
  ASSERT_TRUE(loadfromfilepdbasebinary(5, loaded, pdb));
  EXPECT_EQ(loaded.NumParams(), 256);
  EXPECT_EQ(loaded.NumWords, 299);
  EXPECT_EQ(Image(loaded.header), Image(original.header));
  for (int i = 0; i < 256; ++i) {
    const auto a = Image(original.Param(i));
    const auto b = Image(loaded.Param(i));
    // Everything past the leading run-time bytes travels unchanged (Access Code aside).
    std::vector<std::uint8_t> a_body(a.begin() + 37, a.begin() + 760);
    std::vector<std::uint8_t> b_body(b.begin() + 37, b.begin() + 760);
    if (i == 5) std::memcpy(a_body.data() + (409 - 37), &access, 4);
    EXPECT_EQ(a_body, b_body) << "record " << i;
    EXPECT_EQ(loaded.Param(i).RtSlotIndex, 5);
    EXPECT_EQ(loaded.Param(i).RtUpdatePeriod, i == 0 ? 0.0 : 1.0 / i);
  }
  EXPECT_DOUBLE_EQ(loaded.Param(50).RtUpdatePeriod, 0.02);
  EXPECT_THAT(log_.Text(),
              HasSubstr(pdb + "  loadfromfilepdbasebinary ok. Loaded 256 parameters.  299 words."));

  // Saving what was loaded, loading and saving again gives the same bytes.
  const std::string second_pdb = File("again.pdb");
  ASSERT_TRUE(SaveToFilePDbaseBinary(loaded.header, second_pdb, loaded.Params()));
  pdbaseclass reloaded(5);
  ASSERT_TRUE(loadfromfilepdbasebinary(5, reloaded, second_pdb));
  ASSERT_TRUE(SaveToFilePDbaseBinary(reloaded.header, File("third.pdb"), reloaded.Params()));
  EXPECT_EQ(test::ReadWholeFile(File("again.pbin")), test::ReadWholeFile(File("third.pbin")));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST_F(PdbaseBinaryTest, TextsAreZeroFilledPastTheirTerminatorInTheFile) {
  pdbaseheaderstruct header = ZeroHeader();
  std::memcpy(header.Spare1, "S1\0leftover", 11);
  std::memset(header.cLutFileName, 'L', sizeof header.cLutFileName);  // no terminator
  pdbaseparamstruct tag = Tag("AB", 0);
  std::memcpy(tag.ParameterName, "AB\0OLDER LONG NAME", 19);
  std::memset(tag.Description, 'D', sizeof tag.Description);
  const std::vector<pdbaseparamstruct> tags = {tag};
  ASSERT_TRUE(SaveToFilePDbaseBinary(header, File("t.pdb"), tags));

  const auto bytes = test::ReadWholeFile(File("t.pbin"));
  ASSERT_EQ(bytes.size(), 3886u + 792u);
  EXPECT_EQ(std::string(bytes.begin() + 549, bytes.begin() + 560), std::string("S1\0\0\0\0\0\0\0\0\0", 11));
  EXPECT_EQ(bytes[101 + 126], 'L');
  EXPECT_EQ(bytes[101 + 127], 0);
  const std::size_t record = 3886;
  for (std::size_t i = 2; i < 19; ++i) EXPECT_EQ(bytes[record + 37 + i], 0) << i;
  EXPECT_EQ(bytes[record + 95 + 30], 'D');
  EXPECT_EQ(bytes[record + 95 + 31], 0);
  // The records in memory are not touched.
  EXPECT_EQ(tag.ParameterName[3], 'O');
}

TEST_F(PdbaseBinaryTest, AHeaderOnlyFileLoadsAsAnEmptyDatabase) {
  pdbaseheaderstruct header = ZeroHeader();
  header.FileVersion = 26.0;
  header.Bitrate = 5;
  test::WriteWholeFile(File("e.PBIN"), PbinImage(header, {}));
  pdbaseclass database(1);
  FillKnown(database);
  ASSERT_TRUE(loadfromfilepdbasebinary(1, database, File("e.PDB")));
  EXPECT_EQ(database.NumParams(), 0);
  EXPECT_EQ(database.NumWords, 0);
  EXPECT_EQ(database.header.Bitrate, 5);
}

TEST_F(PdbaseBinaryTest, ANameWithoutPdbExtensionIsOpenedAsItIs) {
  pdbaseheaderstruct header = ZeroHeader();
  header.FileVersion = 26.0;
  test::WriteWholeFile(File("plain.bin"), PbinImage(header, {Tag("A", 4)}));
  pdbaseclass database(0);
  ASSERT_TRUE(loadfromfilepdbasebinary(0, database, File("plain.bin")));
  EXPECT_EQ(database.NumParams(), 1);
  EXPECT_EQ(database.NumWords, 5);
}

// --- upgrades of older versions ---

pdbaseheaderstruct OldHeader(double version) {
  pdbaseheaderstruct h = ZeroHeader();
  h.FileVersion = version;
  h.NumPcmWordsPerSf = 100;
  h.NumSubFrames = 64;
  h.HasEmbPcm1 = 1;
  h.EmbPcm1NumSubframes = 4;
  h.HasEmbPcm2 = 1;
  h.EmbPcm2NumSubframes = 2;
  h.IrigEmbDecomSetupWpf = 7;
  h.IrigEmbDecomSetupNumSf = 7;
  SetRecordText(h.cClientSoftDecomName, "SOFT");
  h.EmbVideoAudioType = 3;
  h.EmbVideoVidPid = 1;
  h.EmbVideoAudioPid = 2;
  h.EmbVideoAudioSampleRate = 5;
  h.EmbAudioIs16BitsPerSample = 1;
  h.EmbAudioSampleRate = 41;
  h.EmbVideoAudioBitsPerSample = 16;
  h.EmbPcm1SfIdStartCount = 1;
  h.EmbPcm2SfIdStartCount = 1;
  std::memset(h.cLutFileName, 'L', sizeof h.cLutFileName);
  SetRecordText(h.cServerSoftDecomName, "SRV");
  h.ServerUserDefCodeWord[3] = 9;
  SetRecordText(h.cClientSDSetupFile, "SD");
  SetRecordText(h.Spare1, "S1");
  SetRecordText(h.Spare2, "S2");
  h.FspMsw = 1;
  h.FspLsw = 2;
  h.FspLen = 3;
  h.FspTrails = 1;
  h.HasEmbAudio = 1;
  h.EmbAudioStartWord = 5;
  h.EmbAudioWordStop = 9;
  h.HasEmbVideo = 0;
  h.EmbVideoStartWord = 6;
  h.EmbVideoWordStop = 9;
  return h;
}

TEST_F(PdbaseBinaryTest, OlderHeadersAreUpgradedStepByStep) {
  struct Step {
    double older_than;
    const char* what;
    std::function<bool(const pdbaseheaderstruct&)> applied;
  };
  const std::vector<Step> steps = {
      {16, "decom setup size",
       [](const pdbaseheaderstruct& h) { return h.IrigEmbDecomSetupWpf == 100 && h.IrigEmbDecomSetupNumSf == 58; }},
      {18, "video audio defaults",
       [](const pdbaseheaderstruct& h) {
         return h.EmbVideoAudioType == 0 && h.EmbVideoVidPid == 1000 && h.EmbVideoAudioPid == 1001 &&
                h.EmbVideoAudioSampleRate == 16000;
       }},
      {19, "audio rate from index",
       [](const pdbaseheaderstruct& h) {
         return h.EmbAudioIs16BitsPerSample == 0 && h.EmbAudioSampleRate == 44100 &&
                h.EmbVideoAudioBitsPerSample == 8;
       }},
      {20, "embedded SFID start",
       [](const pdbaseheaderstruct& h) { return h.EmbPcm1SfIdStartCount == 0 && h.EmbPcm2SfIdStartCount == 0; }},
      {22, "server fields",
       [](const pdbaseheaderstruct& h) {
         return h.cServerSoftDecomName[0] == '\0' && h.ServerUserDefCodeWord[3] == 0;
       }},
      {23, "client setup and spare 1",
       [](const pdbaseheaderstruct& h) { return h.cClientSDSetupFile[0] == '\0' && h.Spare1[0] == '\0'; }},
      {24, "spare 2", [](const pdbaseheaderstruct& h) { return h.Spare2[0] == '\0'; }},
      {25, "sync pattern",
       [](const pdbaseheaderstruct& h) { return h.FspMsw == 0 && h.FspLsw == 0 && h.FspLen == 0 && h.FspTrails == 0; }},
      {26, "embedded word stops",
       [](const pdbaseheaderstruct& h) { return h.EmbAudioWordStop == 100 && h.EmbVideoWordStop == 6; }},
  };
  for (double version : {8.0, 15.0, 15.5, 16.0, 17.0, 18.0, 19.0, 20.0, 21.0, 22.0, 23.0, 24.0, 25.0, 26.0}) {
    ui_.boxes.clear();
    const std::string name = File("v" + std::to_string(static_cast<int>(version * 10)) + ".PDB");
    test::WriteWholeFile(PbinFileName(name), PbinImage(OldHeader(version), {}));
    pdbaseclass database(0);
    ASSERT_TRUE(loadfromfilepdbasebinary(0, database, name)) << version;
    const pdbaseheaderstruct& h = database.header;
    for (const Step& step : steps) {
      EXPECT_EQ(step.applied(h), version < step.older_than) << "version " << version << ": " << step.what;
    }
    EXPECT_EQ(h.FileVersion, version);  // the next save writes the current version
    EXPECT_EQ(RecordText(h.cLutFileName), std::string(127, 'L')) << version;
    EXPECT_EQ(ui_.boxes.size(), version < 16 ? 1u : 0u) << version;
  }
}

TEST_F(PdbaseBinaryTest, AVersion15FileWithASoftDecomAsksForThePcmInformationAgain) {
  const std::string kText = "File Version Changed.. YOU MUST FILL OUT THE PCM INFORMATION AGAIN!!";
  test::WriteWholeFile(File("old.PBIN"), PbinImage(OldHeader(15), {}));
  pdbaseclass database(0);
  ASSERT_TRUE(loadfromfilepdbasebinary(0, database, File("old.PDB")));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].text, kText);
  EXPECT_THAT(log_.Text(), HasSubstr("000255  "));
  EXPECT_THAT(log_.Text(), HasSubstr(kText));
  EXPECT_FALSE(speaker_.tones.empty());

  // Without a client soft decom name nothing is said.
  ui_.boxes.clear();
  pdbaseheaderstruct header = OldHeader(15);
  std::memset(header.cClientSoftDecomName, 0, sizeof header.cClientSoftDecomName);
  test::WriteWholeFile(File("quiet.PBIN"), PbinImage(header, {}));
  ASSERT_TRUE(loadfromfilepdbasebinary(0, database, File("quiet.PDB")));
  EXPECT_TRUE(ui_.boxes.empty());
}

TEST(AudioSampleRateOfIndex, MapsTheOldRateIndices) {
  const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
      {0, 8000},   {1, 11025},  {5, 14400},  {7, 16000},  {8, 16500}, {9, 17000},
      {40, 32500}, {41, 44100}, {42, 48000}, {43, 16000}, {99, 16000}, {-1, 16000}};
  for (const auto& [index, rate] : cases) EXPECT_EQ(AudioSampleRateOfIndex(index), rate) << index;
}

// --- record fixes ---

TEST_F(PdbaseBinaryTest, OldRecordsGetTheirTagTypeFromSpecialProcess) {
  struct Case {
    double version;
    std::int32_t special;
    const char* second_tag;
    std::int32_t tag_type_in;
    std::int32_t tag_type;
    std::int32_t special_out;
  };
  const std::vector<Case> cases = {
      {14, 1, "", 0, kTagContiguous, 0},
      {14, 3, "", 0, kTagContiguous, 0},
      {14, 3, "OTHER", 1, kTagNormalProcessed, 0},
      {14, 0, "OTHER", 1, kTagNormalProcessed, 0},
      {14, 1, "OTHER", 0, kTagContiguous, 0},
      {8, 5, "", 0, 0, 0},  // before version 9 only the special process is cleared
      {8, 5, "", 1, 1, 0},
      {15, 3, "", 0, 0, 3},  // from version 15 on nothing changes
      {26, 1, "", 0, 0, 1},
  };
  for (const Case& c : cases) {
    pdbaseparamstruct tag = Tag("A", 0);
    tag.SpecialProcess = c.special;
    tag.TagType = c.tag_type_in;
    SetRecordText(tag.SecondTagName, c.second_tag);
    pdbaseheaderstruct header = ZeroHeader();
    header.FileVersion = c.version;
    test::WriteWholeFile(File("r.PBIN"), PbinImage(header, {tag}));
    pdbaseclass database(0);
    ASSERT_TRUE(loadfromfilepdbasebinary(0, database, File("r.PDB")));
    EXPECT_EQ(database.Param(0).TagType, c.tag_type) << c.version << " " << c.special << " " << c.second_tag;
    EXPECT_EQ(database.Param(0).SpecialProcess, c.special_out) << c.version << " " << c.special;
  }
}

TEST_F(PdbaseBinaryTest, LoadingRecomputesTheRunTimeFields) {
  pdbaseparamstruct tag = Tag("A", 0);
  tag.RtVisible = 1;
  tag.RtSlotIndex = 99;
  std::memset(tag.RtScratch, 0xEE, sizeof tag.RtScratch);
  tag.RtFlag = 0xEE;
  tag.RtUpdatePeriod = 123.0;
  tag.UpdateRateHz = 50;
  tag.AccessCode = 15;
  SetRecordText(tag.PreprocessedFormula, "ROR 40;MULT 0");
  std::memset(&tag.PreprocessOps, 0x55, sizeof tag.PreprocessOps);
  for (std::int32_t i = 0; i < 8; ++i) tag.Hw[i] = i + 1;

  for (std::int32_t type : {kDbasePcm, kDbaseChapter8, kDbase1553}) {
    pdbaseheaderstruct header = ZeroHeader();
    header.FileVersion = 26.0;
    header.eDbaseType = type;
    test::WriteWholeFile(File("rt.PBIN"), PbinImage(header, {tag}));
    pdbaseclass database(6);
    ASSERT_TRUE(loadfromfilepdbasebinary(6, database, File("rt.PDB")));
    const pdbaseparamstruct& p = database.Param(0);
    EXPECT_EQ(p.RtVisible, 0);
    EXPECT_EQ(p.RtSlotIndex, 6);
    EXPECT_EQ(Image(p)[16], 0);
    EXPECT_EQ(Image(p)[35], 0);
    EXPECT_EQ(p.RtFlag, 0);
    EXPECT_DOUBLE_EQ(p.RtUpdatePeriod, 0.02);
    EXPECT_EQ(p.PreprocessOps.NumOps, 2);
    EXPECT_EQ(p.PreprocessOps.Op[0], kOpRor);
    EXPECT_EQ(p.PreprocessOps.Operand[0], 16);
    EXPECT_EQ(p.PreprocessOps.Op[2], 0);
    const bool bus = type != kDbasePcm;
    EXPECT_EQ(p.Hw[0], bus ? 0 : 1) << type;
    EXPECT_EQ(p.Hw[1], bus ? 0 : 2) << type;
    EXPECT_EQ(p.Hw[2], 3) << type;
    EXPECT_EQ(p.Hw[7], bus ? 0 : 8) << type;
  }
}

TEST_F(PdbaseBinaryTest, AHostileCvtLocationDoesNotOverflowTheWordCount) {
  pdbaseheaderstruct header = ZeroHeader();
  header.FileVersion = 26.0;
  test::WriteWholeFile(File("cvt.PBIN"), PbinImage(header, {Tag("A", -5), Tag("B", 2147483647)}));
  pdbaseclass database(0);
  ASSERT_TRUE(loadfromfilepdbasebinary(0, database, File("cvt.PDB")));
  EXPECT_EQ(database.NumWords, 2147483647);

  test::WriteWholeFile(File("neg.PBIN"), PbinImage(header, {Tag("A", -5)}));
  ASSERT_TRUE(loadfromfilepdbasebinary(0, database, File("neg.PDB")));
  EXPECT_EQ(database.NumWords, 1);
}

// --- short, hostile and unreadable files ---

TEST_F(PdbaseBinaryTest, ShortOrOversizedFilesAreRefusedAndChangeNothing) {
  struct Case {
    const char* what;
    std::uintmax_t size;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"empty", 0, "SHORTER THAN A PDBASE HEADER"},
      {"truncated header", 3885, "SHORTER THAN A PDBASE HEADER"},
      {"truncated first record", 3886 + 791, "ENDS INSIDE A PARAMETER RECORD"},
      {"truncated third record", 3886 + 2 * 792 + 10, "ENDS INSIDE A PARAMETER RECORD"},
      {"65 537 records", 3886 + 65537ull * 792, "MORE THAN THE 65536 ALLOWED"},
      {"70 000 records", 3886 + 70000ull * 792, "MORE THAN THE 65536 ALLOWED"},
      {"absurd size", 3886 + (1ull << 32) * 792, "MORE THAN THE 65536 ALLOWED"},
  };
  for (const Case& c : cases) {
    ui_.boxes.clear();
    const std::string name = File("bad.PBIN");
    test::WriteWholeFile(name, {});
    std::filesystem::resize_file(name, c.size);  // sparse: no disk used
    pdbaseclass database(2);
    FillKnown(database);
    EXPECT_FALSE(loadfromfilepdbasebinary(2, database, File("bad.PDB"))) << c.what;
    ExpectKnown(database);
    const std::string log = log_.Text();
    EXPECT_THAT(log, HasSubstr(File("bad.PDB") + "  loadfromfilepdbasebinary FAILED..")) << c.what;
    EXPECT_THAT(log, HasSubstr(c.reason)) << c.what;
    ASSERT_EQ(ui_.boxes.size(), 1u) << c.what;
    EXPECT_EQ(ui_.boxes[0].caption, "ERROR");
  }
  EXPECT_THAT(log_.Text(), HasSubstr("EXCEEDED PARAMETERS ALLOWED"));
  EXPECT_THAT(log_.Text(), Not(HasSubstr("loadfromfilepdbasebinary ok")));
}

TEST_F(PdbaseBinaryTest, AMissingFileIsReportedAndChangesNothing) {
  pdbaseclass database(0);
  FillKnown(database);
  EXPECT_FALSE(loadfromfilepdbasebinary(0, database, File("none.PDB")));
  ExpectKnown(database);
  EXPECT_THAT(log_.Text(), HasSubstr(File("none.PDB") + "  loadfromfilepdbasebinary FAILED..CANT OPEN FILE "));
  ASSERT_EQ(ui_.boxes.size(), 1u);
  EXPECT_EQ(ui_.boxes[0].caption, "ERROR");
}

TEST_F(PdbaseBinaryTest, AFullTableLoadsWithProgressAndCanBeCancelled) {
  const std::string name = File("full.PBIN");
  test::WriteWholeFile(name, {});
  std::filesystem::resize_file(name, 3886 + 65536ull * 792);
  std::vector<std::int32_t> reports;
  pdbaseclass database(4);
  ASSERT_TRUE(loadfromfilepdbasebinary(4, database, File("full.PDB"),
                                       [&reports](std::uint32_t slot, std::int32_t loaded) {
                                         EXPECT_EQ(slot, 4u);
                                         reports.push_back(loaded);
                                         return true;
                                       }));
  EXPECT_EQ(database.NumParams(), 65536);
  EXPECT_EQ(database.NumWords, 1);
  ASSERT_EQ(reports.size(), 655u);
  EXPECT_EQ(reports.front(), 100);
  EXPECT_EQ(reports.back(), 65500);

  pdbaseclass cancelled(4);
  FillKnown(cancelled);
  EXPECT_FALSE(loadfromfilepdbasebinary(4, cancelled, File("full.PDB"),
                                        [](std::uint32_t, std::int32_t loaded) { return loaded < 300; }));
  ExpectKnown(cancelled);
}

TEST_F(PdbaseBinaryTest, SaveFailuresAreReportedAndLeaveNoFile) {
  pdbaseheaderstruct header = ZeroHeader();
  const std::vector<pdbaseparamstruct> tags(100, Tag("A", 0));

  EXPECT_FALSE(SaveToFilePDbaseBinary(header, File("noext.txt"), tags));
  EXPECT_THAT(log_.Text(), HasSubstr("  SaveToFilePDbaseBinary FAILED..CANT OPEN FILE \r\n"));

  const std::string missing_dir = File("missing") + "/X.PDB";
  EXPECT_FALSE(SaveToFilePDbaseBinary(header, missing_dir, tags));
  EXPECT_THAT(log_.Text(), HasSubstr(File("missing") + "/X.PBIN  SaveToFilePDbaseBinary FAILED..CANT OPEN FILE "));

  {
    WriteFaultGuard disk_full(10000, ENOSPC);
    EXPECT_FALSE(SaveToFilePDbaseBinary(header, File("full.PDB"), tags));
  }
  EXPECT_THAT(log_.Text(), HasSubstr(File("full.PBIN") + "  SaveToFilePDbaseBinary FAILED..cannot write"));
  EXPECT_FALSE(std::filesystem::exists(File("full.PBIN")));
  ASSERT_EQ(ui_.boxes.size(), 3u);
  for (const auto& box : ui_.boxes) EXPECT_EQ(box.caption, "ERROR");
}

}  // namespace
}  // namespace tessel
