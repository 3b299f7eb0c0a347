// Writing the ASCII PDbase file.
#include "pdbase/pdbase_ascii.h"

#include <filesystem>
#include <string_view>

#include "pdbase/pdbase_binary.h"
#include "support/files.h"
#include "support/format.h"
#include "support/log.h"

namespace tessel {

namespace {

// The comment block, which documents the header lines and the columns, in parts: the
// sixteen client and sixteen server code-word lines and the title line go between them.
constexpr std::string_view kCommentOpening[] = {
    "All text before a triple astersisk are comments.",
    "",
    "",
    "This database consists of a header, followed by the data for the parameters.",
    "All value fields are in base 10 (decimal).",
    "The header is as follows:",
    "FileVersion; //dbase file version",
    "NumSubFrames;     //for pcm and ch8 (ch8 will be 1)  CVT num subframes",
    "NumPcmWordsPerSf; //for pcm and ch8                  CVT words per frame",
    "SfidStartCount; //if sfid counts from 0, or counts from 1",
    "eDbaseType; //pcm, ch8, 1553",
    "CommonWordLen; //common word length, in bits of the data from the serial stream",
    "CommonParamMsbFirst;     //if the common parameter is msb first",
    "CommonWordUpdateRateHz; //the common update rate for the word, in hz",
};

constexpr std::string_view kCommentBetweenCodeWords[] = {
    "cLutFileName[128]; //name of lookup table file",
    "cServerSoftDecomName[128]; //name of server soft decom dll",
};

constexpr std::string_view kCommentColumns[] = {
    "cClientSDSetupFile[128]; //client soft decom setup file..if used",
    "Spare1[64]; //future use",
    "cClientSoftDecomName[128]; //name of client soft decom dll",
    "Spare2[373]; //future use",
    "FspMsw; //fsp msw if used (should be 0 if fsp len < 33)",
    "FspLsw; //fsp lsw if used",
    "FspLen; //if using fsp, the length, valid 0..64",
    "FspTrails; //true if fsp trails, false if leads, if used",
    "EmbAudioIsStereo; //emb audio is stereo (2 channels)",
    "cOriginatorText[5][512]; //text the originator can put in",
    "Ch8SpecificationMode; //which ch8 spec 0=iaw106-93, 1=iaw106-96",
    "Ch8ParityMode; //what to do with ch8 parity check, 0=dontcare,1=hopeforbest,2=dontprocessword,3=resetbus",
    "Ch8HasFrameTime; //ch8 has emb frame time",
    "cEmbTimeDllName[24]  //name of embedded time dll if used",
    "HasEmbAudio; //stream contains embedded audio",
    "EmbAudioStartWord; //1 based",
    "EmbAudioWordInterval;",
    "EmbAudioWordStop;",
    "EmbAudioFormat; //0 = cvsd, 1 = pcm, 2 = adpcm)",
    "EmbAudioSampleRate; //samples per second",
    "EmbAudioIs16BitsPerSample; //true if 16 bits per sample, false if 8 bits per sample",
    "HasEmbVideo; //stream contains embedded video",
    "EmbVideoStartWord; //1 based",
    "EmbVideoWordInterval;",
    "EmbVideoWordStop;",
    "EmbVideoFormat;      //0 = h.261 -CIF, 1 = h.261 -CIF FEC, 2 = h.261 -QCIF, 3 = h.261 -QCIF FEC",
    "EmbVideoAudioBitsPerSample;// 8 or 16",
    "EmbVidUserDefWidth;",
    "EmbVideoFrameRate;  //fps",
    "EmbVidUserDefHeight;",
    "EmbVidSpareChar1;",
    "EmbVideoAudioType; //0 = none, 1 = adpcm, 2 = cvsd, 3 = pcm",
    "EmbVideoVidPid; //if used the mpeg video pid (default 1000 base 10)",
    "EmbVideoAudioPid; //if used the mpeg audio pid (default 1001 base 10)",
    "EmbVideoAudioSampleRate;  //bits per second",
    "EmbVideoReserved3;",
    "HasEmbTime; //stream contains embedded time (use with cEmbTimeDllName)",
    "EmbTimeStartWord; //1 based index",
    "EmbTimeNumWords; //number of words used to put emb time together",
    "EmbtimeUserDef; //user def for embtime dll, for things like mode, etc",
    "HasEmbPcm1; //embedded pcm stream 1",
    "EmbPcm1StartWord; //1 based where emb stream is in main stream",
    "EmbPcm1WordInterval;",
    "EmbPcm1WordsPerFrame;//words per minor frame",
    "EmbPcm1NumSubframes; //num subframes",
    "EmbPcm1SfIdWordNum; //word number for sfid, 1 based",
    "EmbPcm1SfIdStartCount; //sfid counts from 0 or 1",
    "EmbPcm1Cwl; //common word length, in bits",
    "EmbPcm1FspLength; //length of fsp, in bits",
    "EmbPcm1FspWord; //word number for fsp start, 1 based",
    "EmbPcm1Fsp1; //frame sync pattern for first 32 bits of fsp",
    "EmbPcm1StopWord;//1 based the stop word in main stream the emb words are",
    "EmbPcm1StopFrame; //0 based the stop frame in main stream the emb words are",
    "EmbPcm1MsbFirst; //is emb data msb first",
    "EmbPcm1FrameStart; //0 based where emb stream in in main stream",
    "EmbPcm2FrameInterval;",
    "IrigEmbDecomSetupWpf; //to store real decom setup wpf if user using irig106 emb frame only used in pdbase editor gui, only if user checked HasEmbPcm1 and/or 2",
    "IrigEmbDecomSetupNumSf; //to store real decom setup numsf;",
    "EmbPcm1Reserved2;",
    "HasEmbPcm2; //embedded pcm stream 2",
    "EmbPcm2StartWord; //1 based where emb stream is in main stream",
    "EmbPcm2WordInterval;",
    "EmbPcm2WordsPerFrame;//words per minor frame",
    "EmbPcm2NumSubframes; //num subframes",
    "EmbPcm2SfIdWordNum; //word number for sfid, 1 based",
    "EmbPcm2SfIdStartCount; //sfid counts from 0 or 1",
    "EmbPcm2Cwl; //common word length, in bits",
    "EmbPcm2FspLength; //length of fsp, in bits",
    "EmbPcm2FspWord; //word number for fsp start, 1 based",
    "EmbPcm2Fsp1; //frame sync pattern for first 32 bits of fsp",
    "EmbPcm2StopWord;//1 based the stop word in main stream the emb words are",
    "EmbPcm2StopFrame; //0 based the stop frame in main stream the emb words are",
    "EmbPcm2MsbFirst; //is emb data msb first",
    "EmbPcm2FrameStart; //0 based where emb stream in in main stream",
    "EmbPcm2FrameInterval;",
    "Bitrate  //expected data rate",
    "SfIdWordNum  //1 based index, the sfid word number",
    "SfidMsb  //0 based index, the sfid msbit",
    "FramesPerInterrupt  //number minor frames of data on new data",
    "//----- the columns of data are (tab delimited so keep the number of characters within range specified below..no error checking)",
    "Word Name                  (19 chars, 18 chars usable with a space afterwords)",
    "Parameter Name             (19 chars, 18 chars usable with a space afterwords)",
    "CVT Location               (10 chars) (decimal), 0 based index",
    "PTT Location               (10 chars) (decimal), 0 based index",
    "Tag Type (decimal)         (2 chars) (NORMALPROCESSED, CONTIGUOUS)",
    "Unit Of Measure Label      (7 chars)",
    "Parameter Description      (32 chars)",
    "Classification             (1 chars)  (NONE, UNCLASSIFIED, FOUO, FMS, CONFIDENTIAL, SECRET, TOPSECRET, USER1, USER2, USER3, USER4, USER5, USER6 )",
    "Update Rate (hz)           (5 chars)",
    "Is MSB first               (1 chars)  (0 = no, 1 = yes)",
    "MSB                        (2 chars) (decimal), 0 based index",
    "LSB                        (2 chars) (decimal), 0 based index",
    "Parameter Number Of Bits   (2 chars) (decimal)",
    "Word Number Of Bits        (2 chars) (decimal)",
    "Supercom Process Mode      (1 chars) (0 = first, 1 = last, 2 = least, 3 = greatest, 4 = average)",
    "Data Format                (2 chars) (BINARY, TWOS, SINGLE, OFFSETBINARY, IEEEINTEGER, IEEESINGLE, DECSINGLE, MS1750, ONES, LUT, DOUBLE, DATAFMT_MW_DOUBLE ) (decimal)",
    "Special Process Flag       (2 chars) (none, byteswap, wordswap, byteswapwordswap,reverseword,reversewordbyteswap,wordswap64",
    "Mode Param Name            (18 chars)",
    "Mode Tag                   (10 chars) (decimal), 0 based index, 1048575 means not used",
    "Mode Mask                  (10 chars) (decimal), 0 based index",
    "Mode Mask Function         (2 chars) (AND,>,<,OR,XOR mask with value)",
    "Time Param Name            (18 chars)",
    "Time Tag                   (10 chars) (decimal), 0 based index, 1048575 means not used",
    "Second Tag Name            (18 chars)",
    "Second Tag                 (10 chars) (decimal), 0 based index, 1048575 means not used",
    "Lookup Table Number        (2 chars) (decimal)",
    "EUC                        (17 chars) (decimal)",
    "Plus B                     (17 chars) (decimal)",
    "Hardware Field 0           (10 chars) (decimal), 0 based index, pcm/ch8 = pcm start frame",
    "Hardware Field 1           (10 chars) (decimal), 0 based index, pcm/ch8 = pcm start word",
    "Hardware Field 2           (10 chars) (decimal), 0 based index, pcm = frame interval, ch8/1553 = bus",
    "Hardware Field 3           (10 chars) (decimal), 0 based index, pcm = frame stop,     ch8/1553 = rt",
    "Hardware Field 4           (10 chars) (decimal), 0 based index, pcm = word interval,  ch8/1553 = msg",
    "Hardware Field 5           (10 chars) (decimal), 0 based index, pcm = word stop,      ch8/1553 = word number",
    "Hardware Field 6           (10 chars) (decimal), 0 based index, pcm not used,         ch8/1553 = tr bit",
    "Hardware Field 7           (10 chars) (decimal), 0 based index, spare user use",
    "Preprocessed Formula       (128 chars)",
    "Access Code                (3 chars) (decimal)",
    "Default Max Display Value  (17 chars) (decimal)",
    "Default Min Display Value  (17 chars) (decimal)",
    "Param Display Label        (18 chars)",
    "StreamPart                 (10 chars) (decimal),part0 = main, part1 = embeddedstream1, part2 = embeddedstream2",
    "UserDefI1                  (10 chars) (decimal),//user defined, normally for soft decoms",
    "UserDefI2                  (10 chars) (decimal),",
    "UserDefI3                  (10 chars) (decimal),",
    "UserDefI4                  (10 chars) (decimal),",
    "UserDefD1                  (17 chars) (decimal)",
    "UserDefD2                  (17 chars) (decimal)",
    "UserDefD3                  (17 chars) (decimal)",
    "UserDefD4                  (17 chars) (decimal)",
    "Future1  use at own risk (17 chars) (decimal)",
    "Future2  and will be     (17 chars) (decimal)",
    "Future3  implemented at  (17 chars) (decimal)",
    "Future4  any time        (17 chars) (decimal)",
    "Future5                  (17 chars) (decimal)",
    "Future6                  (17 chars) (decimal)",
    "Future7                  (17 chars) (decimal)",
    "Future8                  (17 chars) (decimal)",
    "//-----",
    "",
    "",
    "",
    "After the header is *.*, and then the tag data starts",
    "",
};

constexpr std::string_view kCommentClosing[] = {
    "",
    "",
    "***",
};

constexpr std::string_view kColumnTitlesBeforeHardware[] = {
    "Word Name", "Parameter Name", "CVT Location", "PTT Location", "Tag Type",
    "Unit Of Measure Label", "Parameter Description", "Classification", "Update Rate (hz)",
    "Is MSB first", "MSB", "LSB", "Parameter Number Of Bits", "Word Number Of Bits",
    "Supercom Process Mode", "Data Format", "Special Process", "Mode Param Name", "Mode Tag",
    "Mode Mask", "Mode Function", "Time Param Name", "Time Tag", "Second Tag Name",
    "Second Tag", "Lookup Table Number", "EUC", "Plus B"};

constexpr std::string_view kHardwareTitles[4][8] = {
    {"Frame Start (Hw0)", "Word Start (Hw1)", "Frame Interval (Hw2)", "Frame Stop (Hw3)",
     "Word Interval (Hw4)", "Word Stop (Hw5)", "Spare 1 (Hw6)", "Spare 2 (Hw7)"},
    {"Frame Start (Hw0)", "Word Start (Hw1)", "Bus ID (Hw2)", "RT Num (Hw3)", "Msg Num (Hw4)",
     "Word Num (Hw5)", "T/R Bit (Hw6)", "Spare  (Hw7)"},
    {"Frame Start (Hw0)", "Word Start (Hw1)", "Bus ID (Hw2)", "RT Num (Hw3)", "Sub Addr (Hw4)",
     "Word Num (Hw5)", "T/R Bit (Hw6)", "Spare  (Hw7)"},
    {"Hardware Field 0", "Hardware Field 1", "Hardware Field 2", "Hardware Field 3",
     "Hardware Field 4", "Hardware Field 5", "Hardware Field 6", "Hardware Field 7"}};

constexpr std::string_view kColumnTitlesAfterHardware[] = {
    "Preprocessed Formula", "Access Code", "Default Max Display Value",
    "Default Min Display Value", "Param Display Label", "Stream Part (hex)",
    "User Def I1 (hex)", "User Def I2 (hex)", "User Def I3 (hex)", "User Def I4 (hex)",
    "User Def D1", "User Def D2", "User Def D3", "User Def D4", "FUTURE 1", "FUTURE 2",
    "FUTURE 3", "FUTURE 4", "FUTURE 5", "FUTURE 6", "FUTURE 7", "FUTURE 8"};

void AppendCodeWordLines(std::vector<std::string>& lines, std::string_view owner) {
  for (int n = 0; n < 16; ++n) {
    lines.push_back("  " + std::string(owner) + " user def code word " + std::to_string(n) +
                    " //not used, user discretion");
  }
}

template <std::size_t N>
void AppendLines(std::vector<std::string>& lines, const std::string_view (&texts)[N]) {
  for (std::string_view text : texts) lines.emplace_back(text);
}

// Header value lines: the number formats of the text files.
std::string Int32Line(std::int32_t value) { return NumberLineText(value); }
std::string FlagLine(std::uint8_t value) { return NumberLineText(static_cast<std::int32_t>(value)); }
std::string Uint32Line(std::uint32_t value) { return NumberLineText(value); }
std::string Uint16Line(std::uint16_t value) { return NumberLineText(value); }
std::string Uint8Line(std::uint8_t value) { return NumberLineText(value); }
std::string DoubleLine(double value) { return NumberLineText(value); }

// Tag line fields: numbers cut to a maximum width, texts padded or cut to a width.
std::string Number(int max_length, std::int32_t value) { return FixedText(max_length, 0, value); }
std::string Decimal(double value) { return FixedText(17, 16, value); }
template <std::size_t N>
std::string Padded(int width, const char (&field)[N]) {
  return PadRight(width, ' ', RecordText(field));
}

}  // namespace

std::vector<std::string> PdbaseCommentLines(std::int32_t dbase_type) {
  std::vector<std::string> lines;
  AppendLines(lines, kCommentOpening);
  AppendCodeWordLines(lines, "client");
  AppendLines(lines, kCommentBetweenCodeWords);
  AppendCodeWordLines(lines, "server");
  AppendLines(lines, kCommentColumns);
  lines.push_back(PdbaseTitleLine(dbase_type));
  AppendLines(lines, kCommentClosing);
  return lines;
}

std::string PdbaseTitleLine(std::int32_t dbase_type) {
  const std::size_t type_row = dbase_type >= 0 && dbase_type <= 2 ? static_cast<std::size_t>(dbase_type) : 3;
  std::string line;
  auto append = [&line](std::string_view title) {
    if (!line.empty()) line += '\t';
    line += title;
  };
  for (std::string_view title : kColumnTitlesBeforeHardware) append(title);
  for (std::string_view title : kHardwareTitles[type_row]) append(title);
  for (std::string_view title : kColumnTitlesAfterHardware) append(title);
  return line;
}

std::vector<std::string> PdbaseHeaderLines(const pdbaseheaderstruct& h) {
  std::vector<std::string> lines;
  auto add = [&lines](std::string text) { lines.push_back(std::move(text)); };
  add(DoubleLine(h.FileVersion));
  add(Int32Line(h.NumSubFrames));
  add(Int32Line(h.NumPcmWordsPerSf));
  add(Int32Line(h.SfidStartCount));
  const std::string_view type_name = DbaseTypeName(h.eDbaseType);
  add(type_name.empty() ? Int32Line(h.eDbaseType) : std::string(type_name));
  add(Int32Line(h.CommonWordLen));
  add(FlagLine(h.CommonParamMsbFirst));
  add(DoubleLine(h.CommonWordUpdateRateHz));
  for (std::int32_t word : h.ClientUserDefCodeWord) add(Int32Line(word));
  add(RecordText(h.cLutFileName));
  add(RecordText(h.cServerSoftDecomName));
  for (std::int32_t word : h.ServerUserDefCodeWord) add(Int32Line(word));
  add(RecordText(h.cClientSDSetupFile));
  add(RecordText(h.Spare1));
  add(RecordText(h.cClientSoftDecomName));
  add(RecordText(h.Spare2));
  add(Uint32Line(h.FspMsw));
  add(Uint32Line(h.FspLsw));
  add(Uint8Line(h.FspLen));
  add(FlagLine(h.FspTrails));
  add(FlagLine(h.EmbAudioIsStereo));
  for (const auto& text : h.cOriginatorText) add(RecordText(text));
  add(Int32Line(h.Ch8SpecificationMode));
  add(Int32Line(h.Ch8ParityMode));
  add(FlagLine(h.Ch8HasFrameTime));
  add(RecordText(h.cEmbTimeDllName));
  add(FlagLine(h.HasEmbAudio));
  add(Int32Line(h.EmbAudioStartWord));
  add(Uint16Line(h.EmbAudioWordInterval));
  add(Uint16Line(h.EmbAudioWordStop));
  add(Int32Line(h.EmbAudioFormat));
  add(Int32Line(h.EmbAudioSampleRate));
  add(FlagLine(h.EmbAudioIs16BitsPerSample));
  add(FlagLine(h.HasEmbVideo));
  add(Int32Line(h.EmbVideoStartWord));
  add(Uint16Line(h.EmbVideoWordInterval));
  add(Uint16Line(h.EmbVideoWordStop));
  add(Uint8Line(h.EmbVideoFormat));
  add(Uint8Line(h.EmbVideoAudioBitsPerSample));
  add(Uint16Line(h.EmbVidUserDefWidth));
  add(Uint8Line(h.EmbVideoFrameRate));
  add(Uint16Line(h.EmbVidUserDefHeight));
  add(Uint8Line(h.EmbVidSpareChar1));
  add(Uint8Line(h.EmbVideoAudioType));
  add(Uint16Line(h.EmbVideoVidPid));
  add(Uint16Line(h.EmbVideoAudioPid));
  add(Int32Line(h.EmbVideoAudioSampleRate));
  add(Uint16Line(h.EmbVideoReserved3));
  add(FlagLine(h.HasEmbTime));
  add(Uint16Line(h.EmbTimeStartWord));
  add(Uint8Line(h.EmbTimeNumWords));
  add(Uint16Line(h.EmbtimeUserDef));
  add(FlagLine(h.HasEmbPcm1));
  add(Int32Line(h.EmbPcm1StartWord));
  add(Int32Line(h.EmbPcm1WordInterval));
  add(Int32Line(h.EmbPcm1WordsPerFrame));
  add(Int32Line(h.EmbPcm1NumSubframes));
  add(Uint16Line(h.EmbPcm1SfIdWordNum));
  add(Uint16Line(h.EmbPcm1SfIdStartCount));
  add(Int32Line(h.EmbPcm1Cwl));
  add(Int32Line(h.EmbPcm1FspLength));
  add(Int32Line(h.EmbPcm1FspWord));
  add(Int32Line(h.EmbPcm1Fsp1));
  add(Uint16Line(h.EmbPcm1StopWord));
  add(Uint16Line(h.EmbPcm1StopFrame));
  add(FlagLine(h.EmbPcm1MsbFirst));
  add(Int32Line(h.EmbPcm1FrameStart));
  add(Int32Line(h.EmbPcm1FrameInterval));
  add(Uint16Line(h.IrigEmbDecomSetupWpf));
  add(Uint16Line(h.IrigEmbDecomSetupNumSf));
  add(Int32Line(h.EmbPcm1Reserved2));
  add(FlagLine(h.HasEmbPcm2));
  add(Int32Line(h.EmbPcm2StartWord));
  add(Int32Line(h.EmbPcm2WordInterval));
  add(Int32Line(h.EmbPcm2WordsPerFrame));
  add(Int32Line(h.EmbPcm2NumSubframes));
  add(Uint16Line(h.EmbPcm2SfIdWordNum));
  add(Uint16Line(h.EmbPcm2SfIdStartCount));
  add(Int32Line(h.EmbPcm2Cwl));
  add(Int32Line(h.EmbPcm2FspLength));
  add(Int32Line(h.EmbPcm2FspWord));
  add(Int32Line(h.EmbPcm2Fsp1));
  add(Uint16Line(h.EmbPcm2StopWord));
  add(Uint16Line(h.EmbPcm2StopFrame));
  add(FlagLine(h.EmbPcm2MsbFirst));
  add(Int32Line(h.EmbPcm2FrameStart));
  add(Int32Line(h.EmbPcm2FrameInterval));
  add(Int32Line(h.Bitrate));
  add(Uint16Line(h.SfIdWordNum));
  add(Uint8Line(h.SfidMsb));
  add(Uint8Line(h.FramesPerInterrupt));
  add("*.*");
  return lines;
}

std::string PdbaseParamLine(const pdbaseparamstruct& p) {
  const std::int32_t update_rate = p.UpdateRateHz > 99999 ? 99999 : p.UpdateRateHz.Get();
  const std::int32_t stream_part = p.StreamPart < 0 ? 0 : p.StreamPart.Get();
  std::vector<std::string> fields = {
      Padded(18, p.WordName),
      Padded(18, p.ParameterName),
      Number(10, p.CvtLocation),
      Number(10, p.PttLocation),
      Number(2, p.TagType),
      Padded(7, p.UnitOfMeasure),
      Padded(32, p.Description),
      Number(1, p.Classification),
      Number(5, update_rate),
      Number(1, p.IsMsbFirst),
      Number(2, p.Msb),
      Number(2, p.Lsb),
      Number(2, p.ParamNumBits),
      Number(2, p.WordNumBits),
      Number(1, p.SupercomMode),
      Number(2, p.DataFormat),
      Number(2, p.SpecialProcess),
      Padded(18, p.ModeParamName),
      Number(10, p.ModeTag),
      Number(10, p.ModeMask),
      Number(2, p.ModeFunction),
      Padded(18, p.TimeParamName),
      Number(10, p.TimeTag),
      Padded(18, p.SecondTagName),
      Number(10, p.SecondTag),
      Number(2, p.LookupTableNumber),
      Decimal(p.Euc),
      Decimal(p.PlusB),
  };
  for (std::int32_t hw : p.Hw) fields.push_back(Number(10, hw));
  fields.push_back(Padded(127, p.PreprocessedFormula));
  fields.push_back(Number(3, p.AccessCode & 15));
  fields.push_back(Decimal(p.DefaultMaxDisplay));
  fields.push_back(Decimal(p.DefaultMinDisplay));
  fields.push_back(Padded(18, p.DisplayLabel));
  fields.push_back(Number(10, stream_part));
  for (std::int32_t value : p.UserDefI) fields.push_back(Number(10, value));
  for (double value : p.UserDefD) fields.push_back(Decimal(value));
  for (double value : p.Future) fields.push_back(Decimal(value));

  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += '\t';
    line += fields[i];
  }
  return line;
}

bool SaveToAsciiFilePDbase(pdbaseheaderstruct& header, const std::string& file_name,
                           std::span<pdbaseparamstruct> records) {
  OutputFile file;
  if (!file.Create(file_name)) {
    LogError(file_name + "  SaveToAsciiFilePDbase FAILED..CANT OPEN FILE ", 255, true);
    return false;
  }
  for (const std::string& line : PdbaseCommentLines(header.eDbaseType)) file.WriteLine(line);
  header.FileVersion = kPdbaseFileVersion;
  for (const std::string& line : PdbaseHeaderLines(header)) file.WriteLine(line);
  for (pdbaseparamstruct& record : records) {
    if (!file.ok()) break;
    if (record.StreamPart < 0) record.StreamPart = 0;
    file.WriteLine(PdbaseParamLine(record));
  }
  if (!file.Close()) {
    LogError(file_name + "  SaveToAsciiFilePDbase FAILED.." + file.error(), 255, true);
    std::error_code ignored;
    std::filesystem::remove(file_name, ignored);
    return false;
  }
  return true;
}

bool WritePdbaseFiles(const std::string& file_name, pdbaseclass& database) {
  std::error_code ignored;
  if (!StartDirectory().empty()) std::filesystem::current_path(StartDirectory(), ignored);
  const bool binary_written =
      SaveToFilePDbaseBinary(database.header, file_name, database.Params());
  const bool ascii_written = SaveToAsciiFilePDbase(database.header, file_name, database.Params());
  return binary_written && ascii_written;
}

}  // namespace tessel
