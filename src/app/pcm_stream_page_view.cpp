// The PCM stream info page: the texts its view shows and its pop-up menus.
#include <string>

#include "app/pcm_stream_page.h"
#include "pdbase/pdbase.h"
#include "setup/pattern_text.h"
#include "support/files.h"
#include "support/format.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {

namespace {

std::string Number6(double value) {
  return FixedText(6, 0, value);
}
std::string Number9(double value) {
  return FixedText(9, 0, value);
}

// A pattern digit text without its leading zeros, padded back to the digits `bits`
// need in the radix (3 or 4 bits per digit, 1 for binary).
std::string PatternLabel(const std::string& digits, int bits, int bits_per_digit) {
  const int width = (bits + bits_per_digit - 1) / bits_per_digit;
  return PadLeft(width, '0', StripLeading('0', digits));
}

MenuItemSpec Item(std::string name, std::string caption, int command, int tag = 0) {
  MenuItemSpec item;
  item.name = std::move(name);
  item.caption = std::move(caption);
  item.command = command;
  item.tag = tag;
  return item;
}

// A sub-menu of numbered items captioned with their values, from `first` to `last`.
MenuItemSpec NumberedSubMenu(std::string name, std::string caption, const std::string& item_name,
                             int command, int first, int last) {
  MenuItemSpec menu = Item(std::move(name), std::move(caption), -1);
  for (int value = first; value <= last; ++value) {
    menu.items.push_back(
        Item(item_name + std::to_string(value), std::to_string(value), command, value));
  }
  return menu;
}

}  // namespace

void PcmStreamInfoPage::UpdatePatternLabels() {
  const decomsetupstruct& d = setup().DecomSetup;
  const int bits = d.FrmSyncPatLen;
  if (bits < 3 || bits > 64) return;
  const std::string pattern = RecordText(d.FrmSyncPat);
  std::string text;
  PatternToHexText(pattern, d.FrmSyncPatRadix, text);
  pattern_hex_ = PatternLabel(text, bits, 4);
  PatternToBinaryText(pattern, d.FrmSyncPatRadix, text);
  pattern_binary_ = PatternLabel(text, bits, 1);
  PatternToOctalText(pattern, d.FrmSyncPatRadix, text);
  pattern_octal_ = PatternLabel(text, bits, 3);
}

void PcmStreamInfoPage::Refresh() {
  const pcmsetupinfo& s = setup();
  const decomsetupstruct& d = s.DecomSetup;
  const streamchannelstruct& c = state_.config().Streams[static_cast<std::size_t>(stream_)];
  channel_info_ = "Recorder Channel ID = " + Number6(c.ChannelId) + " : " +
                  "Type = " + std::string(ChannelDataTypeName(c.DataType));
  UpdatePatternLabels();
  decom_labels_ = {
      {"LabelDdbaseFspLeads", "FSP Leads",
       c.RawData != 0 ? "NONE - Raw Data" : YesNoText(d.PatternLeads != 0)},
      {"LabelDdbaseFspBitCount", "FSP Bit Count", Number6(d.FrmSyncPatLen)},
      {"LabelDdbaseFspHex", "FSP", pattern_hex_},
      {"LabelDdbaseFspOctal", "", pattern_octal_},
      {"LabelDdbaseFspBinary", "", pattern_binary_},
      {"LabelDdbaseCwl", "Common Word Length", Number6(d.CommonWordLength)},
      {"LabelDdbaseMsbFirst", "Msb First", YesNoText(d.BitOrder == 0)},
      {"LabelDdbaseWpsf", "Words Per Minor Frame", Number6(d.WordsPerFrame)},
      {"LabelDdbaseNSf", "Num Subframes", Number6(d.NumSubframes)},
      {"LabelDdbaseSfidStart", "SfId Start Count", Number6(d.FirstFrame)},
      {"LabelDdbaseSfidWordNum", "SfId Word Num", Number6(d.SubFrameIdWord)},
      {"LabelDdbaseSfidStartBit", "Sfid Start Bit", Number6(d.SubFrameIdStartBitLsb)},
      {"LabelDdbaseFpi", "Frames Per Interrupt", Number6(d.FramesPerInterrupt)},
      {"LabelDdbaseBitRate", "Bit Rate", FixedText(12, 0, d.BitRate)},
      {"LabelDecomSetupFn", "Setup Filename", FileTitle(s.DecomSetupFileName)},
  };
  gmode_checked_ = d.bGMode != 0;

  const pdbaseclass& db = state_.streams.pdbase(stream_);
  const pdbaseheaderstruct& h = db.header;
  pdbase_labels_ = {
      {"LabelTypePdbase", "Type Pdbase", std::string(DbaseTypeName(h.eDbaseType))},
      {"LabelPdbaseNumWords", "Num Words", Number6(db.NumWords)},
      {"LabelPdbaseNumParams", "Num Params", Number6(db.NumParams())},
      {"LabelPdbaseCwl", "Common Word Length", Number6(h.CommonWordLen)},
      {"LabelPdbaseMsbFirst", "Msb First", YesNoText(h.CommonParamMsbFirst != 0)},
      {"LabelPdbaseWpsf", "Words Per Minor Frame", Number6(h.IrigEmbDecomSetupWpf)},
      {"LabelPdbaseNSf", "Num Subframes", Number6(h.IrigEmbDecomSetupNumSf)},
      {"LabelPdbaseSfidStart", "SfId Start Count", Number6(h.SfidStartCount)},
      {"LabelPdbaseSfidWordNum", "Sfid Word Number", Number9(h.SfIdWordNum)},
      {"LabelPdbaseSfidMsb", "Sfid MSB", Number9(h.SfidMsb)},
      {"LabelPdbaseBitrate", "Bitr Rate", Number9(h.Bitrate)},
      {"LabelPdbaseFpi", "Frames Per Interrupt", Number9(h.FramesPerInterrupt)},
      {"LabelCvtWpf", "CVT Words Per Frame", Number9(h.NumPcmWordsPerSf)},
      {"LabelCvtNumSf", "CVT Num Subframes", Number9(h.NumSubFrames)},
      {"LabelPdbaseSetupFn", "Setup Filename", FileTitle(s.PdbaseFileName)},
  };
}

std::string PcmStreamInfoPage::LabelText(std::string_view name) const {
  for (const auto* labels : {&decom_labels_, &pdbase_labels_}) {
    for (const PageLabel& label : *labels) {
      if (label.name == name) return label.value;
    }
  }
  return {};
}

std::vector<MenuItemSpec> PcmStreamInfoPage::DecomSetupMenu() {
  MenuItemSpec position = Item("MenuFspPosition", "FSP Position", -1);
  static constexpr const char* kPositions[] = {"TRAILS", "LEADS", "NONE"};
  for (int value = 0; value < 3; ++value) {
    position.items.push_back(
        Item("SubMenuFSPLocation" + std::to_string(value), kPositions[value], kFspPosition, value));
  }
  MenuItemSpec bit_order = Item("MenuMsbFirst", "Msb First", -1);
  bit_order.items.push_back(Item("SubMenuBitOrder0", "MSB FIRST", kMsbFirst, 0));
  bit_order.items.push_back(Item("SubMenuBitOrder1", "LSB FIRST", kMsbFirst, 1));
  MenuItemSpec counts_from = Item("MenuSfidStartCount", "SfID Start Count", -1);
  for (int value = 0; value <= 1; ++value) {
    counts_from.items.push_back(Item("SubMenuCountsFrom" + FixedText(2, 0, value),
                                     std::to_string(value), kSfidStartCount, value));
  }
  return {
      position,
      Item("MenuFspBitCount", "FSP Bit Count", kFspBitCount),
      Item("MenuFsp", "FSP", kFsp),
      MenuSeparator(),
      NumberedSubMenu("MenuCommonWordLength", "Common Word Length", "SubMenuCommonWordLength",
                      kCommonWordLength, 3, 16),
      bit_order,
      Item("MenuWordsPerMinorFrame", "Words Per Minor Frame", kWordsPerFrame),
      MenuSeparator(),
      counts_from,
      Item("MenuSfidWordNumber", "SfID Word Number", kSfidWordNumber),
      NumberedSubMenu("MenuSfidStartBit", "SfID Start Bit", "SubMenuSFIDMsb", kSfidStartBit, 0, 15),
      MenuSeparator(),
      Item("MenuBitRate", "Bit Rate", kBitRate),
      Item("MenuFramesPerInterrupt", "Frames Per Interrupt", kFramesPerInterrupt),
      MenuSeparator(),
      Item("MenuImportDecomSetupFile", "Import Decom Setup File", kImportDecomSetupFile),
  };
}

std::vector<MenuItemSpec> PcmStreamInfoPage::PdbaseSetupMenu() {
  return {Item("MenuAutoGenerate", "Auto Generate", kAutoGenerate),
          Item("MenuLoadPdbaseFile", "Load PDbase File", kLoadPdbaseFile)};
}

}  // namespace tessel
