// The PCM stream info page: creation from TMATS or the video layout, label texts,
// menus, every decom command with its range, the file commands.
#include "app/pcm_stream_page.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app_fixture.h"
#include "pdbase/pdbase.h"
#include "pdbase/pdbase_ascii.h"
#include "pdbase/pdbase_generate.h"
#include "setup/ddbase_file.h"
#include "support/files.h"
#include "support/format.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {
namespace {

using Page = PcmStreamInfoPage;
using test::AppTest;

constexpr std::int32_t kPcm = kTmatsChannelPcm;
constexpr std::int32_t kVideo = kTmatsChannelVideo;

class PageTest : public AppTest {
 protected:
  // Stream 0: PCM on channel 2 (a TMATS format); stream 1: video on channel 10;
  // stream 2: PCM on channel 10, which has no PCM format (the decom defaults).
  PageTest() { LoadStreams({{2, kPcm}, {10, kVideo}, {10, kPcm}}); }

  std::unique_ptr<Page> Create(int stream) { return Page::Create(*state, stream); }
  pcmsetupinfo& Setup(int stream) {
    return state->config().PcmSetups[static_cast<std::size_t>(stream)];
  }
  decomsetupstruct& Decom(int stream) { return Setup(stream).DecomSetup; }
};

TEST_F(PageTest, PcmStreamTakesTheFormatOfItsOwnChannel) {
  const pgroupstruct* own = FindStreamPGroup(state->pgroups, 2);
  const pgroupstruct* other = FindStreamPGroup(state->pgroups, 5);
  ASSERT_NE(own, nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(state->pgroups.groups.front().TrackChannelId, 5);  // listed first
  ASSERT_NE(own->DecomSetup->WordsPerFrame, other->DecomSetup->WordsPerFrame);

  const auto page = Create(0);
  const decomsetupstruct& d = Decom(0);
  EXPECT_EQ(d.WordsPerFrame, own->DecomSetup->WordsPerFrame);
  EXPECT_EQ(d.BitRate, 2000000);
  const simsetupstruct& sim = Setup(0).SimSetup;
  EXPECT_EQ(sim.WordsPerFrame, d.WordsPerFrame);
  EXPECT_EQ(sim.NumSubframes, d.NumSubframes);
  EXPECT_EQ(sim.SubframeMode, d.eSyncMethod);
  EXPECT_EQ(RecordText(sim.FrmSyncPat), RecordText(d.FrmSyncPat));
  EXPECT_EQ(sim.FrmSyncPatLen, d.FrmSyncPatLen);
  EXPECT_EQ(sim.FrameWords[0].WordLen, d.WdArray[0].iWdLen);
  EXPECT_EQ(sim.SimBitRate, 2000000);
  EXPECT_EQ(Setup(0).BitSyncSetup.BitRate, 2000000);
  // Both setups came from TMATS.
  EXPECT_EQ(Setup(0).DecomFromUser, 0);
  EXPECT_EQ(Setup(0).PdbaseFromUser, 0);

  const pdbaseclass& db = state->streams.pdbase(0);
  EXPECT_EQ(db.NumParams(), d.WordsPerFrame);
  EXPECT_EQ(db.header.NumPcmWordsPerSf, d.WordsPerFrame);
  EXPECT_EQ(Setup(0).DecomSetupFileName, "flight7");
  EXPECT_EQ(Setup(0).PdbaseFileName, "flight7");

  EXPECT_EQ(page->ChannelInfoText(), "Recorder Channel ID = 2 : Type = PCM INPUT");
  EXPECT_EQ(page->LabelText("LabelDdbaseWpsf"), std::to_string(d.WordsPerFrame));
  EXPECT_EQ(page->LabelText("LabelDdbaseBitRate"), "2000000");
  EXPECT_EQ(page->LabelText("LabelDecomSetupFn"), "flight7");
  EXPECT_EQ(page->LabelText("LabelTypePdbase"), "PCM");
  EXPECT_EQ(page->LabelText("LabelPdbaseNumParams"), std::to_string(d.WordsPerFrame));
  EXPECT_EQ(page->LabelText("LabelCvtWpf"), std::to_string(d.WordsPerFrame));
  EXPECT_EQ(page->LabelText("LabelPdbaseSetupFn"), "flight7");
}

TEST_F(PageTest, PcmStreamWithoutFormatKeepsTheDefaults) {
  const auto page = Create(2);
  EXPECT_EQ(Decom(2).WordsPerFrame, 256);
  EXPECT_EQ(Decom(2).BitRate, 1024000);
  EXPECT_EQ(Setup(2).DecomFromUser, 1);
  EXPECT_EQ(state->streams.pdbase(2).NumParams(), 256);
  EXPECT_EQ(page->ChannelInfoText(), "Recorder Channel ID = 10 : Type = PCM INPUT");
}

TEST_F(PageTest, VideoStreamGetsTheVideoLayoutAndWarnsOnItsFirstShowOnly) {
  const auto page = Create(1);
  EXPECT_TRUE(page->video());
  EXPECT_EQ(Decom(1).WordsPerFrame, 188);
  EXPECT_EQ(Decom(1).BitRate, 3000000);
  EXPECT_EQ(Setup(1).BitSyncSetup.BitRate, 3000000);
  EXPECT_EQ(page->LabelText("LabelDdbaseFspHex"), "47");
  EXPECT_TRUE(ui.boxes.empty());

  page->Show();
  ASSERT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(ui.boxes[0].caption, "WARNING");
  EXPECT_EQ(ui.boxes[0].text,
            "This is a VIDEO type stream.\r\nThere is nothing you need to edit except the \r\n"
            "  Bit Rate and Frames Per Interrupt \r\nbecause the Ch10 Spec is used.\r\n"
            "Change anything else at your own risk!\r\n (know what you are doing)");
  EXPECT_EQ(LinesWith("This is a VIDEO type stream.").at(0).code, "000001");
  page->Show();
  EXPECT_EQ(ui.boxes.size(), 1u);

  const auto pcm_page = Create(0);
  pcm_page->Show();
  EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(PageTest, PatternLabelsInHexOctalAndBinary) {
  const auto page = Create(2);  // FE6B2840, 32 bits
  EXPECT_EQ(page->LabelText("LabelDdbaseFspHex"), "FE6B2840");
  EXPECT_EQ(page->LabelText("LabelDdbaseFspBinary"), "11111110011010110010100001000000");
  EXPECT_EQ(page->LabelText("LabelDdbaseFspOctal"), "37632624100");
  EXPECT_EQ(page->LabelText("LabelDdbaseFspBitCount"), "32");

  ui.prompt_answers = {"30"};
  EXPECT_TRUE(page->Run(Page::kFspBitCount));
  EXPECT_EQ(page->LabelText("LabelDdbaseFspHex").size(), 8u);
  EXPECT_EQ(page->LabelText("LabelDdbaseFspOctal").size(), 10u);
  EXPECT_EQ(page->LabelText("LabelDdbaseFspBinary").size(), 30u);

  // A length outside 3..64 keeps the earlier texts.
  const std::string hex = page->LabelText("LabelDdbaseFspHex");
  Decom(2).FrmSyncPatLen = 2;
  SetRecordText(Decom(2).FrmSyncPat, "3");
  page->Refresh();
  EXPECT_EQ(page->LabelText("LabelDdbaseFspHex"), hex);
  EXPECT_EQ(page->LabelText("LabelDdbaseFspBitCount"), "2");
}

TEST_F(PageTest, PromptedCommandsTakeTheirRangeAndKeepTheFieldOnABadAnswer) {
  struct Case {
    Page::Command command;
    const char* prompt;
    const char* caption;
    const char* answer;
    bool result;
    std::int64_t expected;
    std::function<std::int64_t(const decomsetupstruct&)> field;
  };
  const auto words = [](const decomsetupstruct& d) -> std::int64_t { return d.WordsPerFrame; };
  const auto bits = [](const decomsetupstruct& d) -> std::int64_t { return d.FrmSyncPatLen; };
  const auto sfid = [](const decomsetupstruct& d) -> std::int64_t { return d.SubFrameIdWord; };
  const auto rate = [](const decomsetupstruct& d) -> std::int64_t { return d.BitRate; };
  const auto fpi = [](const decomsetupstruct& d) -> std::int64_t { return d.FramesPerInterrupt; };
  const char* kBits = "Enter the number of bits for the frame sync pattern";
  const char* kWords = "Enter the number of Words per Minor Frame";
  const char* kSfid = "Enter the Word Number for the SF ID";
  const char* kRate = "Enter the Bit Rate";
  const char* kFpi = "Enter the number of Frames Per Interrupt";
  const Case cases[] = {
      {Page::kFspBitCount, kBits, "Input Range 3 - 64", "65", true, 64, bits},
      {Page::kFspBitCount, kBits, "Input Range 3 - 64", "2", true, 3, bits},
      {Page::kFspBitCount, kBits, "Input Range 3 - 64", "x", false, 32, bits},
      {Page::kWordsPerFrame, kWords, "Input Range 3 - 16383", "16384", true, 16383, words},
      {Page::kWordsPerFrame, kWords, "Input Range 3 - 16383", "100", true, 100, words},
      {Page::kWordsPerFrame, kWords, "Input Range 3 - 16383", "1.5", false, 256, words},
      {Page::kSfidWordNumber, kSfid, "Input Range 1 - 16383", "0", true, 1, sfid},
      {Page::kSfidWordNumber, kSfid, "Input Range 1 - 16383", "7", true, 7, sfid},
      {Page::kBitRate, kRate, "Input Range 10 - 25000000", "3e7", true, 25000000, rate},
      {Page::kBitRate, kRate, "Input Range 10 - 25000000", "5", true, 10, rate},
      {Page::kBitRate, kRate, "Input Range 10 - 25000000", "-5", false, 1024000, rate},
      {Page::kFramesPerInterrupt, kFpi, "Input Range 1 - 255", "300", true, 255, fpi},
      {Page::kFramesPerInterrupt, kFpi, "Input Range 1 - 255", "0", true, 1, fpi},
      {Page::kFramesPerInterrupt, kFpi, "Input Range 1 - 255", "20", true, 20, fpi},
  };
  for (const Case& c : cases) {
    auto& config = state->config();
    ResetPcmSetupInfo(config.PcmSetups[2]);
    const auto page = Create(2);
    speaker.tones.clear();
    ui.prompt_answers = {c.answer};
    EXPECT_EQ(page->Run(c.command), c.result) << c.prompt << " " << c.answer;
    EXPECT_EQ(ui.prompts.back().prompt, c.prompt);
    EXPECT_EQ(ui.prompts.back().caption, c.caption);
    EXPECT_EQ(c.field(Decom(2)), c.expected) << c.prompt << " " << c.answer;
    EXPECT_EQ(ErrorBeeped(), !c.result) << c.prompt << " " << c.answer;
    // The database header follows the decom setup after every command.
    const pdbaseheaderstruct& h = state->streams.pdbase(2).header;
    EXPECT_EQ(h.NumPcmWordsPerSf, Decom(2).WordsPerFrame);
    EXPECT_EQ(h.Bitrate, Decom(2).BitRate);
    EXPECT_EQ(h.FramesPerInterrupt, Decom(2).FramesPerInterrupt);
  }
}

TEST_F(PageTest, WordsPerFrameUpdatesTheWordTableAndItsLength) {
  const auto page = Create(2);
  Decom(2).CommonWordLength = 12;
  Decom(2).BitOrder = 1;
  ui.prompt_answers = {"300"};
  ASSERT_TRUE(page->Run(Page::kWordsPerFrame));
  EXPECT_EQ(Decom(2).WdArrayLength, 300);
  EXPECT_EQ(Decom(2).WdArray[299].iWdLen, 12);
  EXPECT_EQ(Decom(2).WdArray[299].bLSBF, 1);
  EXPECT_EQ(Decom(2).WdArray[300].iWdLen, 16);  // beyond the frame: untouched
  EXPECT_EQ(page->LabelText("LabelDdbaseWpsf"), "300");
  EXPECT_EQ(page->LabelText("LabelPdbaseWpsf"), "300");
  EXPECT_EQ(page->LabelText("LabelPdbaseNumParams"), "256");  // not regenerated
}

TEST_F(PageTest, FrameSyncPositionItems) {
  const auto page = Create(2);
  EXPECT_TRUE(page->Run(Page::kFspPosition, 2));
  EXPECT_EQ(state->config().Streams[2].RawData, 1);
  EXPECT_EQ(Decom(2).PatternLeads, 1);
  EXPECT_EQ(page->LabelText("LabelDdbaseFspLeads"), "NONE - Raw Data");
  EXPECT_TRUE(page->Run(Page::kFspPosition, 0));
  EXPECT_EQ(state->config().Streams[2].RawData, 0);
  EXPECT_EQ(Decom(2).PatternLeads, 0);
  EXPECT_EQ(page->LabelText("LabelDdbaseFspLeads"), "NO");
  EXPECT_TRUE(page->Run(Page::kFspPosition, 1));
  EXPECT_EQ(page->LabelText("LabelDdbaseFspLeads"), "YES");
  EXPECT_FALSE(page->Run(Page::kFspPosition, 3));
}

TEST_F(PageTest, ItemCommandsSetTheirFieldsAndRefuseValuesTheMenuDoesNotOffer) {
  const auto page = Create(2);
  EXPECT_TRUE(page->Run(Page::kCommonWordLength, 10));
  EXPECT_EQ(Decom(2).CommonWordLength, 10);
  EXPECT_EQ(Decom(2).WdArray[255].iWdLen, 10);
  EXPECT_EQ(Decom(2).WdArray[256].iWdLen, 16);
  EXPECT_EQ(page->LabelText("LabelPdbaseCwl"), "10");
  EXPECT_TRUE(page->Run(Page::kMsbFirst, 1));
  EXPECT_EQ(Decom(2).BitOrder, 1);
  EXPECT_EQ(Decom(2).WdArray[0].bLSBF, 1);
  EXPECT_EQ(page->LabelText("LabelDdbaseMsbFirst"), "NO");
  EXPECT_EQ(page->LabelText("LabelPdbaseMsbFirst"), "NO");
  EXPECT_TRUE(page->Run(Page::kSfidStartCount, 1));
  EXPECT_EQ(Decom(2).FirstFrame, 1);
  EXPECT_TRUE(page->Run(Page::kSfidStartBit, 15));
  EXPECT_EQ(Decom(2).SubFrameIdStartBitLsb, 15);
  EXPECT_EQ(page->LabelText("LabelPdbaseSfidMsb"), "15");

  EXPECT_FALSE(page->Run(Page::kCommonWordLength, 17));
  EXPECT_FALSE(page->Run(Page::kCommonWordLength, 2));
  EXPECT_FALSE(page->Run(Page::kMsbFirst, 2));
  EXPECT_FALSE(page->Run(Page::kSfidStartCount, 2));
  EXPECT_FALSE(page->Run(Page::kSfidStartBit, 16));
  EXPECT_EQ(Decom(2).CommonWordLength, 10);
}

TEST_F(PageTest, MenusListTheCommandsInOrder) {
  const std::vector<MenuItemSpec> menu = Page::DecomSetupMenu();
  std::vector<std::string> captions;
  for (const MenuItemSpec& item : menu) captions.push_back(item.caption);
  EXPECT_EQ(captions, (std::vector<std::string>{
                          "FSP Position", "FSP Bit Count", "FSP", "-", "Common Word Length",
                          "Msb First", "Words Per Minor Frame", "-", "SfID Start Count",
                          "SfID Word Number", "SfID Start Bit", "-", "Bit Rate",
                          "Frames Per Interrupt", "-", "Import Decom Setup File"}));
  ASSERT_EQ(menu[0].items.size(), 3u);
  EXPECT_EQ(menu[0].items[2].caption, "NONE");
  EXPECT_EQ(menu[0].items[2].name, "SubMenuFSPLocation2");
  ASSERT_EQ(menu[4].items.size(), 14u);
  EXPECT_EQ(menu[4].items.front().name, "SubMenuCommonWordLength3");
  EXPECT_EQ(menu[4].items.back().caption, "16");
  EXPECT_EQ(menu[5].items[1].caption, "LSB FIRST");
  EXPECT_EQ(menu[5].items[1].name, "SubMenuBitOrder1");
  EXPECT_EQ(menu[8].items[1].name, "SubMenuCountsFrom1");
  ASSERT_EQ(menu[10].items.size(), 16u);
  EXPECT_EQ(menu[10].items[15].name, "SubMenuSFIDMsb15");
  const std::vector<MenuItemSpec> pdbase = Page::PdbaseSetupMenu();
  ASSERT_EQ(pdbase.size(), 2u);
  EXPECT_EQ(pdbase[0].caption, "Auto Generate");
  EXPECT_EQ(pdbase[1].caption, "Load PDbase File");

  const auto page = Create(2);
  EXPECT_TRUE(page->RunMenuItem(menu[5].items[1]));
  EXPECT_EQ(Decom(2).BitOrder, 1);
}

TEST_F(PageTest, PatternPromptTakesAHexPattern) {
  const auto page = Create(2);
  ui.prompt_answers = {"eb90"};
  EXPECT_TRUE(page->Run(Page::kFsp));
  EXPECT_EQ(ui.prompts.back().caption, "Input Pattern");
  EXPECT_EQ(ui.prompts.back().prompt, "Enter the FE6B2840 pattern in HEX");
  EXPECT_EQ(ui.prompts.back().default_value, "FE6B2840");
  EXPECT_EQ(RecordText(Decom(2).FrmSyncPat), "EB90");
  EXPECT_EQ(Decom(2).FrmSyncPatRadix, kRadixHex);
  EXPECT_EQ(page->LabelText("LabelDdbaseFspHex"), "0000EB90");  // 32 bits

  // Cancel takes the shown text, which turns a binary pattern into hexadecimal.
  Decom(2).FrmSyncPatRadix = kRadixBinary;
  SetRecordText(Decom(2).FrmSyncPat, "11111110011010110010100001000000");
  page->Refresh();
  ui.prompt_answers = {ScriptedUserInterface::kCancel};
  EXPECT_TRUE(page->Run(Page::kFsp));
  EXPECT_EQ(RecordText(Decom(2).FrmSyncPat), "FE6B2840");
  EXPECT_EQ(Decom(2).FrmSyncPatRadix, kRadixHex);

  for (const char* refused : {"GHI", "", "123456789ABCDEF01"}) {
    speaker.tones.clear();
    ui.prompt_answers = {refused};
    EXPECT_FALSE(page->Run(Page::kFsp)) << refused;
    EXPECT_EQ(RecordText(Decom(2).FrmSyncPat), "FE6B2840") << refused;
    EXPECT_TRUE(ErrorBeeped()) << refused;
  }
}

TEST_F(PageTest, GModeCheckBox) {
  const auto page = Create(2);
  EXPECT_FALSE(page->GModeChecked());
  page->SetGMode(true);
  EXPECT_EQ(Decom(2).bGMode, 1);
  EXPECT_TRUE(page->GModeChecked());
  page->SetGMode(false);
  EXPECT_EQ(Decom(2).bGMode, 0);
}

TEST_F(PageTest, ImportDecomSetupFile) {
  const auto page = Create(2);
  auto imported = NewDecomSetup();
  *imported = Decom(2);
  imported->WordsPerFrame = 100;
  imported->FramesPerInterrupt = 30;
  pcmsetupinfo source;
  ResetPcmSetupInfo(source);
  source.DecomSetup = *imported;
  source.BitSyncSetup.BitRate = 2048000;
  const std::string path = log.dir().File("engine.b72");
  ASSERT_TRUE(WriteDdbaseFile(path, source));
  state->options.DDbaseDir = "/nowhere";

  ui.file_answers = {path};
  EXPECT_TRUE(page->Run(Page::kImportDecomSetupFile));
  ASSERT_EQ(ui.file_requests.size(), 1u);
  EXPECT_EQ(ui.file_requests[0].initial_directory, "/nowhere");
  EXPECT_EQ(ui.file_requests[0].filter_description, "File Type (*.B72)");
  EXPECT_EQ(ui.file_requests[0].filter_pattern, "*.b72 *.B72");
  EXPECT_EQ(ui.file_requests[0].suggested_name, "flight7");
  EXPECT_EQ(ui.boxes.back().text,
            "You should now either Import your PDBase file or Auto Generate one");
  EXPECT_EQ(Decom(2).WordsPerFrame, 100);
  EXPECT_EQ(Decom(2).BitRate, 2048000);
  EXPECT_EQ(Setup(2).DecomSetupFileName, path);
  EXPECT_EQ(state->options.DDbaseDir, log.dir().path().string());
  EXPECT_EQ(page->LabelText("LabelDecomSetupFn"), "engine");
  EXPECT_EQ(state->streams.pdbase(2).NumParams(), 256);  // not regenerated

  speaker.tones.clear();
  ui.file_answers = {log.dir().File("missing.b72")};
  EXPECT_FALSE(page->Run(Page::kImportDecomSetupFile));
  EXPECT_EQ(ui.boxes.back().text, "INVALID DECOM SETUP FILE..ABORT LOAD");
  EXPECT_TRUE(ErrorBeeped());
  EXPECT_EQ(Setup(2).DecomSetupFileName, path);

  ui.file_answers = {ScriptedUserInterface::kCancel};
  EXPECT_FALSE(page->Run(Page::kImportDecomSetupFile));
}

TEST_F(PageTest, LoadedDatabaseHeaderFollowsTheDecomSetup) {
  const auto page = Create(2);  // 256 words per frame
  auto other = NewDecomSetup();
  other->WordsPerFrame = 128;
  other->WdArrayLength = 128;
  pdbaseclass source(2);
  GeneratePcmPdbase(*other, source);
  const std::string path = log.dir().File("ENGINE.PDB");
  ASSERT_TRUE(WritePdbaseFiles(path, source));

  ui.file_answers = {path};
  EXPECT_TRUE(page->Run(Page::kLoadPdbaseFile));
  EXPECT_EQ(ui.file_requests.back().filter_pattern, "*.pdb *.PDB");
  EXPECT_EQ(state->streams.pdbase(2).NumParams(), 128);
  EXPECT_EQ(page->LabelText("LabelPdbaseNumParams"), "128");
  EXPECT_EQ(page->LabelText("LabelPdbaseWpsf"), "256");
  EXPECT_EQ(page->LabelText("LabelPdbaseSetupFn"), "ENGINE");
  EXPECT_EQ(Setup(2).PdbaseFileName, path);
  EXPECT_EQ(state->options.PDbaseDir, log.dir().path().string());

  // A file that cannot be loaded leaves the database and its name as they were.
  speaker.tones.clear();
  ui.file_answers = {log.dir().File("MISSING.PDB")};
  EXPECT_FALSE(page->Run(Page::kLoadPdbaseFile));
  EXPECT_EQ(ui.boxes.back().text, "INVALID PDBASE SETUP FILE..ABORT LOAD");
  EXPECT_TRUE(ErrorBeeped());
  EXPECT_EQ(state->streams.pdbase(2).NumParams(), 128);
  EXPECT_EQ(Setup(2).PdbaseFileName, path);

  // So does a file without a single parameter.
  pdbaseclass empty(2);
  InitPdbaseHeader(empty, *other);
  const std::string empty_path = log.dir().File("EMPTY.PDB");
  ASSERT_TRUE(WritePdbaseFiles(empty_path, empty));
  ui.file_answers = {empty_path};
  EXPECT_FALSE(page->Run(Page::kLoadPdbaseFile));
  EXPECT_EQ(state->streams.pdbase(2).NumParams(), 128);
}

TEST_F(PageTest, AutoGenerateRebuildsTheDatabaseFromTheCurrentSetup) {
  const auto page = Create(2);
  ui.prompt_answers = {"64"};
  page->Run(Page::kWordsPerFrame);
  Setup(2).PdbaseFileName = "other";
  Setup(2).PdbaseFromUser = 0;
  EXPECT_TRUE(page->Run(Page::kAutoGenerate));
  EXPECT_EQ(state->streams.pdbase(2).NumParams(), 64);
  EXPECT_EQ(Setup(2).PdbaseFileName, "flight7");
  EXPECT_EQ(Setup(2).PdbaseFromUser, 1);

  const auto video = Create(1);
  Decom(1).BitRate = 500;
  EXPECT_TRUE(video->Run(Page::kAutoGenerate));
  EXPECT_EQ(Decom(1).BitRate, 3000000);
  EXPECT_EQ(Setup(1).BitSyncSetup.BitRate, 3000000);
}

TEST_F(PageTest, FramesPerInterruptDoesNotMarkTheSetupAsTheOperators) {
  const auto page = Create(0);
  ASSERT_EQ(Setup(0).DecomFromUser, 0);
  ui.prompt_answers = {"10"};
  page->Run(Page::kFramesPerInterrupt);
  EXPECT_EQ(Setup(0).DecomFromUser, 0);
  page->SetGMode(true);
  EXPECT_EQ(Setup(0).DecomFromUser, 0);
  ui.prompt_answers = {"10"};
  page->Run(Page::kSfidWordNumber);
  EXPECT_EQ(Setup(0).DecomFromUser, 1);
}

TEST_F(PageTest, BitRateCommandKeepsTheDdbaseBlocksInLine) {
  const auto page = Create(2);
  ui.prompt_answers = {"5000000"};
  ASSERT_TRUE(page->Run(Page::kBitRate));
  const std::string path = log.dir().File("rate.b72");
  ASSERT_TRUE(WriteDdbaseFile(path, Setup(2)));
  pcmsetupinfo back;
  ResetPcmSetupInfo(back);
  ASSERT_TRUE(ReadDdbaseFile(path, back.DecomSetup, back.SimSetup, back.BitSyncSetup));
  EXPECT_EQ(back.DecomSetup.BitRate, 5000000);
}

class CheckTest : public PageTest {
 protected:
  // Stream 1 becomes the PCM stream without a format.
  CheckTest() {
    state->config().NumStreams = 2;
    state->config().Streams[1] = state->config().Streams[2];
    pages_[0] = Create(0);
    pages_[1] = Create(1);
  }
  std::unique_ptr<Page> pages_[2];
};

TEST_F(CheckTest, MatchingStreamsPass) {
  EXPECT_TRUE(CheckStreamSetups(*state));
  EXPECT_TRUE(ui.boxes.empty());
}

TEST_F(CheckTest, FirstMismatchIsReportedWithItsStream) {
  struct Case {
    std::function<void(RunState&)> spoil;
    const char* reason;
  };
  const Case cases[] = {
      {[](RunState& s) { s.streams.pdbase(1).NumWords = 0; },
       "Word Count in PDbase must be greater than 0"},
      {[](RunState& s) { s.streams.pdbase(1).ClearParams(); },
       "Param Count in PDbase must be greater than 0"},
      {[](RunState& s) { s.streams.pdbase(1).header.CommonWordLen = 8; },
       "Common Word Length Mismatch"},
      {[](RunState& s) { s.streams.pdbase(1).header.NumPcmWordsPerSf = 7; },
       "Words Per Subframe Mismatch"},
      {[](RunState& s) { s.streams.pdbase(1).header.NumSubFrames = 7; }, "Num Subframes Mismatch"},
      {[](RunState& s) { s.streams.pdbase(1).header.SfidStartCount = 1; },
       "Sf ID Start Count Mismatch"},
      {[](RunState& s) { s.config().PcmSetups[1].DecomSetup.FramesPerInterrupt = 300; },
       "Frames Per Interrupt Mismatch"},
      {[](RunState& s) { s.streams.pdbase(1).header.Bitrate = 9; }, "Bit Rate Mismatch"},
      {[](RunState& s) { s.config().PcmSetups[1].DecomSetup.BitOrder = 1; }, "MSB First Mismatch"},
  };
  for (const Case& c : cases) {
    ResetPcmSetupInfo(Setup(1));
    pages_[1] = Create(1);  // a fresh, matching stream 2
    ASSERT_TRUE(CheckStreamSetups(*state));
    c.spoil(*state);
    ui.boxes.clear();
    EXPECT_FALSE(CheckStreamSetups(*state)) << c.reason;
    const std::string text =
        std::string("PDbase and Decom Setup Do Not Match for Stream 2 ...") + c.reason;
    ASSERT_EQ(ui.boxes.size(), 1u) << c.reason;
    EXPECT_EQ(ui.boxes[0].caption, "ERROR");
    EXPECT_EQ(ui.boxes[0].text, text);
    EXPECT_EQ(LinesWith(text).back().code, "000002");
  }
}

TEST_F(CheckTest, ImportedFramesPerInterruptAbove255Mismatches) {
  pcmsetupinfo source;
  ResetPcmSetupInfo(source);
  source.DecomSetup.WordsPerFrame = 100;
  source.DecomSetup.WdArrayLength = 100;
  source.DecomSetup.FramesPerInterrupt = 300;
  const std::string path = log.dir().File("fpi.b72");
  ASSERT_TRUE(WriteDdbaseFile(path, source));
  ui.file_answers = {path};
  ASSERT_TRUE(pages_[1]->Run(Page::kImportDecomSetupFile));
  EXPECT_EQ(state->streams.pdbase(1).header.FramesPerInterrupt, 44);
  EXPECT_FALSE(CheckStreamSetups(*state));
  EXPECT_EQ(ui.boxes.back().text,
            "PDbase and Decom Setup Do Not Match for Stream 2 ...Frames Per Interrupt Mismatch");
}

}  // namespace
}  // namespace tessel
