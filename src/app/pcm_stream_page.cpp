// The PCM stream info page: creation, commands and the consistency check.
#include "app/pcm_stream_page.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/file_dialog.h"
#include "app/prompts.h"
#include "pdbase/pdbase.h"
#include "pdbase/pdbase_binary.h"
#include "pdbase/pdbase_generate.h"
#include "setup/ddbase_file.h"
#include "setup/pattern_text.h"
#include "support/clock.h"
#include "support/files.h"
#include "support/format.h"
#include "support/log.h"
#include "support/ui.h"
#include "support/version.h"
#include "tmats/tmats_p_group.h"

namespace tessel {

namespace {

constexpr const char* kVideoWarning =
    "This is a VIDEO type stream.\r\n"
    "There is nothing you need to edit except the \r\n"
    "  Bit Rate and Frames Per Interrupt \r\n"
    "because the Ch10 Spec is used.\r\n"
    "Change anything else at your own risk!\r\n"
    " (know what you are doing)";

// Hexadecimal pattern digits a 64-bit pattern holds.
constexpr std::size_t kMaxPatternHexDigits = 16;

// A box with an OK button and no log line.
void PlainBox(const std::string& text) {
  if (UserInterface* ui = CurrentUserInterface()) {
    ui->MessageBox(kProgramName, text, BoxIcon::Information);
  }
}

std::string DirectoryOf(const std::string& path) {
  return std::filesystem::path(path).parent_path().string();
}

std::string UpperAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The bit synchroniser and the simulator run at the decom setup's bit rate; a DDbase
// file written from the setup then reads back with the same rate.
void AlignBitRates(pcmsetupinfo& setup) {
  setup.BitSyncSetup.BitRate = setup.DecomSetup.BitRate;
  setup.SimSetup.SimBitRate = setup.DecomSetup.BitRate;
}

}  // namespace

const pgroupstruct* FindStreamPGroup(const PGroupTable& table, std::int32_t channel_id) {
  for (const pgroupstruct& group : table.groups) {
    if (group.TrackChannelId == channel_id && group.DecomSetup) return &group;
  }
  return nullptr;
}

void CopyTmatsDecomSetup(const decomsetupstruct& tmats, pcmsetupinfo& setup) {
  setup.DecomSetup = tmats;
  const decomsetupstruct& d = setup.DecomSetup;
  simsetupstruct& sim = setup.SimSetup;
  sim.BitOrder = d.BitOrder;
  sim.SubframeMode = d.eSyncMethod;
  sim.SubframeDirection = d.SubframeDirection;
  sim.PatternLeads = d.PatternLeads;
  sim.SubFrameIdWord = d.SubFrameIdWord;
  sim.SubFrameIdStartBitLsb = d.SubFrameIdStartBitLsb;
  sim.CommonWordLength = d.CommonWordLength;
  sim.WordsPerFrame = d.WordsPerFrame;
  sim.NumSubframes = d.NumSubframes;
  sim.FrmSyncPatRadix = d.FrmSyncPatRadix;
  SetRecordText(sim.FrmSyncPat, RecordText(d.FrmSyncPat));
  sim.FrmSyncPatLen = d.FrmSyncPatLen;
  sim.FirstFrame = d.FirstFrame;
  sim.bFACEnable = d.bFACEnable;
  for (int k = 0; k < kDecomMaxWords; ++k) {
    sim.FrameWords[k].WordLen = static_cast<std::uint16_t>(d.WdArray[k].iWdLen);
  }
  AlignBitRates(setup);
}

bool CheckStreamSetups(const RunState& state) {
  const streamconfiginfostruct& config = state.config();
  const int count = std::clamp(config.NumStreams, 0, kMaxStreams);
  for (int i = 0; i < count; ++i) {
    const decomsetupstruct& d = config.PcmSetups[static_cast<std::size_t>(i)].DecomSetup;
    const pdbaseclass& database = state.streams.pdbase(i);
    const pdbaseheaderstruct& h = database.header;
    const char* reason = nullptr;
    if (database.NumWords <= 0) {
      reason = "Word Count in PDbase must be greater than 0";
    } else if (database.NumParams() <= 0) {
      reason = "Param Count in PDbase must be greater than 0";
    } else if (d.CommonWordLength != h.CommonWordLen) {
      reason = "Common Word Length Mismatch";
    } else if (d.WordsPerFrame != h.NumPcmWordsPerSf) {
      reason = "Words Per Subframe Mismatch";
    } else if (h.NumSubFrames != d.NumSubframes) {
      reason = "Num Subframes Mismatch";
    } else if (d.FirstFrame != h.SfidStartCount) {
      reason = "Sf ID Start Count Mismatch";
    } else if (h.FramesPerInterrupt != d.FramesPerInterrupt) {
      reason = "Frames Per Interrupt Mismatch";
    } else if (h.Bitrate != d.BitRate) {
      reason = "Bit Rate Mismatch";
    } else if (h.CommonParamMsbFirst != 0 && d.BitOrder != 0) {
      reason = "MSB First Mismatch";
    }
    if (reason != nullptr) {
      LogError("PDbase and Decom Setup Do Not Match for Stream " + FixedText(1, 0, i + 1) + " ..." +
                   reason,
               i + 1, true);
      return false;
    }
  }
  return true;
}

PcmStreamInfoPage::PcmStreamInfoPage(RunState& state, int stream) : state_(state), stream_(stream) {
  video_ = channel().DataType == kTmatsChannelVideo;
  pcm_ = channel().DataType == kTmatsChannelPcm;
}

std::unique_ptr<PcmStreamInfoPage> PcmStreamInfoPage::Create(RunState& state, int stream) {
  if (stream < 0 || stream >= kMaxStreams) return nullptr;
  std::unique_ptr<PcmStreamInfoPage> page(new PcmStreamInfoPage(state, stream));
  page->FillSetup();
  page->Refresh();
  return page;
}

pcmsetupinfo& PcmStreamInfoPage::setup() {
  return state_.config().PcmSetups[static_cast<std::size_t>(stream_)];
}

const pcmsetupinfo& PcmStreamInfoPage::setup() const {
  return state_.config().PcmSetups[static_cast<std::size_t>(stream_)];
}

pdbaseclass& PcmStreamInfoPage::database() {
  return state_.streams.pdbase(stream_);
}

streamchannelstruct& PcmStreamInfoPage::channel() {
  return state_.config().Streams[static_cast<std::size_t>(stream_)];
}

void PcmStreamInfoPage::FillSetup() {
  pcmsetupinfo& s = setup();
  if (video_) {
    GenerateVideoPdbase(s.DecomSetup, database());
  } else {
    if (pcm_) {
      if (const pgroupstruct* group = FindStreamPGroup(state_.pgroups, channel().ChannelId)) {
        CopyTmatsDecomSetup(*group->DecomSetup, s);
        // Both setups now come from the recording's TMATS, as the run summary says.
        s.DecomFromUser = 0;
        s.PdbaseFromUser = 0;
      }
    }
    GeneratePcmPdbase(s.DecomSetup, database());
  }
  AlignBitRates(s);
  s.DecomSetupFileName = FileTitle(state_.Ch10FileName);
  s.PdbaseFileName = s.DecomSetupFileName;
}

void PcmStreamInfoPage::Show() {
  if (shown_once_) return;
  shown_once_ = true;
  Refresh();
  if (video_) LogWarning(kVideoWarning, stream_, true);
}

bool PcmStreamInfoPage::RunMenuItem(const MenuItemSpec& item) {
  if (!item.enabled || item.command < 0) return false;
  return Run(static_cast<Command>(item.command), item.tag);
}

bool PcmStreamInfoPage::Run(Command command, int tag) {
  decomsetupstruct& d = decom();
  const auto offered = [tag](int low, int high) { return tag >= low && tag <= high; };
  bool done = true;
  switch (command) {
    case kSfidStartCount:
      if (!offered(0, 1)) return false;
      d.FirstFrame = static_cast<std::int16_t>(tag);
      break;
    case kSfidStartBit:
      if (!offered(0, 15)) return false;
      d.SubFrameIdStartBitLsb = static_cast<std::int16_t>(tag);
      break;
    case kCommonWordLength:
      if (!offered(3, 16)) return false;
      d.CommonWordLength = static_cast<std::uint8_t>(tag);
      UpdateWordTable();
      break;
    case kMsbFirst:
      if (!offered(0, 1)) return false;
      d.BitOrder = tag;
      UpdateWordTable();
      break;
    case kFspPosition:
      if (!offered(0, 2)) return false;
      d.PatternLeads = tag == 0 ? 0 : 1;
      channel().RawData = tag == 2 ? 1 : 0;
      break;
    case kFspBitCount:
    case kWordsPerFrame:
    case kSfidWordNumber:
    case kBitRate:
    case kFramesPerInterrupt:
      done = PromptField(command);
      break;
    case kFsp:
      done = PromptPattern();
      break;
    case kImportDecomSetupFile:
      done = ImportDecomSetupFile();
      break;
    case kAutoGenerate:
      AutoGenerate();
      break;
    case kLoadPdbaseFile:
      done = LoadPdbaseFile();
      break;
    default:
      return false;
  }
  // The frames per interrupt and the file commands say themselves where their setup
  // came from; every other change is the operator's.
  const bool marks_user = command != kFramesPerInterrupt && command != kImportDecomSetupFile &&
                          command != kAutoGenerate && command != kLoadPdbaseFile;
  if (done && marks_user) setup().DecomFromUser = 1;
  Finish();
  return done;
}

bool PcmStreamInfoPage::PromptField(Command command) {
  decomsetupstruct& d = decom();
  std::int32_t value = 0;
  bool answered = false;
  switch (command) {
    case kFspBitCount:
      value = d.FrmSyncPatLen;
      answered =
          PromptIntInRange("Enter the number of bits for the frame sync pattern", value, 64, 10, 3);
      if (answered) {
        d.FrmSyncPatLen = static_cast<std::int16_t>(value);
        std::string pattern;
        if (StandardSyncPattern(value, d.FrmSyncPatRadix, pattern)) {
          SetRecordText(d.FrmSyncPat, pattern);
        }
      }
      break;
    case kWordsPerFrame:
      value = d.WordsPerFrame;
      answered = PromptIntInRange("Enter the number of Words per Minor Frame", value,
                                  kDecomMaxWords, 10, 3);
      if (answered) {
        // The valid part of the word table follows the frame length.
        if (value != d.WordsPerFrame) d.WdArrayLength = static_cast<std::int16_t>(value);
        d.WordsPerFrame = static_cast<std::int16_t>(value);
        UpdateWordTable();
      }
      break;
    case kSfidWordNumber:
      value = d.SubFrameIdWord;
      answered =
          PromptIntInRange("Enter the Word Number for the SF ID", value, kDecomMaxWords, 10, 1);
      if (answered) d.SubFrameIdWord = static_cast<std::int16_t>(value);
      break;
    case kBitRate: {
      std::uint32_t rate = static_cast<std::uint32_t>(std::max(d.BitRate, 0));
      answered = PromptUnsignedInRange("Enter the Bit Rate", rate, 25000000, 10, 10);
      if (answered) {
        d.BitRate = static_cast<std::int32_t>(rate);
        AlignBitRates(setup());
      }
      break;
    }
    case kFramesPerInterrupt:
      value = d.FramesPerInterrupt;
      answered = PromptIntInRange("Enter the number of Frames Per Interrupt", value, 255, 10, 1);
      if (answered) d.FramesPerInterrupt = static_cast<std::int16_t>(value);
      break;
    default:
      break;
  }
  if (!answered) BeepError();
  return answered;
}

bool PcmStreamInfoPage::PromptPattern() {
  const std::string shown = pattern_hex_;
  std::string answer = shown;
  UserInterface* ui = CurrentUserInterface();
  if (ui == nullptr ||
      !ui->PromptText("Input Pattern", "Enter the " + shown + " pattern in " + "HEX", answer)) {
    answer = shown;
  }
  answer = UpperAscii(answer);
  // Only a hexadecimal pattern of at most 64 bits that fits the record is taken.
  std::string cleaned;
  PatternDontCareMask dont_care{};
  std::uint64_t value = 0;
  const std::string digits = NormalisePatternText(answer, kRadixHex);
  if (digits.empty() || digits.size() > kMaxPatternHexDigits ||
      answer.size() >= sizeof(decomsetupstruct::FrmSyncPat) ||
      !ParsePatternText(kRadixHex, answer, cleaned, dont_care, value)) {
    BeepError();
    return false;
  }
  pattern_hex_ = answer;
  SetRecordText(decom().FrmSyncPat, answer);
  decom().FrmSyncPatRadix = kRadixHex;
  return true;
}

bool PcmStreamInfoPage::ImportDecomSetupFile() {
  MakeStartDirectoryCurrent();
  pcmsetupinfo& s = setup();
  std::string name;
  if (!OpenFileDialog(state_.options.DDbaseDir, "B72", name, s.DecomSetupFileName)) return false;
  if (!ReadDdbaseFile(name, s.DecomSetup, s.SimSetup, s.BitSyncSetup)) {
    BeepError();
    PlainBox("INVALID DECOM SETUP FILE..ABORT LOAD");
    return false;
  }
  s.DecomSetupFileName = name;
  s.DecomFromUser = 1;
  state_.options.DDbaseDir = DirectoryOf(name);
  PlainBox("You should now either Import your PDBase file or Auto Generate one");
  return true;
}

bool PcmStreamInfoPage::LoadPdbaseFile() {
  MakeStartDirectoryCurrent();
  pcmsetupinfo& s = setup();
  std::string name;
  if (!OpenFileDialog(state_.options.PDbaseDir, "PDB", name, s.PdbaseFileName)) return false;
  // Loaded aside first: a refused or empty database leaves the stream's as it was.
  pdbaseclass loaded(static_cast<std::uint32_t>(stream_));
  if (!loadfromfilepdbasebinary(static_cast<std::uint32_t>(stream_), loaded, name) ||
      loaded.NumParams() <= 0) {
    BeepError();
    PlainBox("INVALID PDBASE SETUP FILE..ABORT LOAD");
    return false;
  }
  database() = std::move(loaded);
  s.PdbaseFileName = name;
  s.PdbaseFromUser = 1;
  state_.options.PDbaseDir = DirectoryOf(name);
  return true;
}

void PcmStreamInfoPage::AutoGenerate() {
  pcmsetupinfo& s = setup();
  if (video_) {
    GenerateVideoPdbase(s.DecomSetup, database());
    AlignBitRates(s);
  } else {
    GeneratePcmPdbase(s.DecomSetup, database());
  }
  s.PdbaseFileName = FileTitle(state_.Ch10FileName);
  s.PdbaseFromUser = 1;
}

void PcmStreamInfoPage::SetGMode(bool checked) {
  decom().bGMode = checked ? 1 : 0;
  Finish();
}

void PcmStreamInfoPage::UpdateWordTable() {
  decomsetupstruct& d = decom();
  const int words = std::clamp(static_cast<int>(d.WordsPerFrame), 0, kDecomMaxWords);
  for (int k = 0; k < words; ++k) {
    d.WdArray[k].iWdLen = d.CommonWordLength;
    d.WdArray[k].bLSBF = d.BitOrder == 1 ? 1 : 0;
  }
}

void PcmStreamInfoPage::Finish() {
  SyncPdbaseHeader(database(), decom());
  Refresh();
}

}  // namespace tessel
