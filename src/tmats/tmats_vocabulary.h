// The TMATS vocabulary the converter understands, all in one place.
//
// Vocabulary tables map an attribute value (a code, compared exactly and
// case-sensitively) to an index; a value that is not in a table gets the table's last
// index, its "UNK" entry. A parallel name table gives the text the log dumps print for
// each index. The known-name lists say which attribute names each group parser looks
// for, in the order `FindKnownCode` (tmats_lines.h) tries them.
//
// Every table here is a constexpr array; nothing is built at run time.
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace tessel {

// One vocabulary: the codes an attribute may take, in index order, and the display
// name of each index. `names` may be longer than `codes` (time format has an extra,
// empty entry used by time source).
struct TmatsVocabulary {
  std::string_view attribute;  // the TMATS attribute it decodes, e.g. "CDT"
  std::span<const std::string_view> codes;
  std::span<const std::string_view> names;
};

// Index of `value` in `table.codes`; the last code index ("UNK") when absent.
int VocabularyIndex(const TmatsVocabulary& table, std::string_view value);
// Display name of `index`; empty for an index outside `table.names`.
std::string_view VocabularyName(const TmatsVocabulary& table, int index);
// Code text of `index`; empty for an index outside `table.codes`.
std::string_view VocabularyCode(const TmatsVocabulary& table, int index);

// --- The tables -------------------------------------------------------------------

// P D1, PCM code.
inline constexpr std::array<std::string_view, 9> kPcmCodeCodes = {
    "NRZ-L", "NRZ-M", "NRZ-S", "BIO-L", "BIO-M", "BIO-S", "RNRZ-L", "OTHER", "UNK"};

// R CDT, channel data type. The index is also the packet kind code of the reader
// (0 PCM ... 9 image, 10 not handled).
inline constexpr std::array<std::string_view, 11> kChannelDataTypeCodes = {
    "PCMIN",  "ANAIN", "DISIN", "TIMEIN", "VIDIN", "UARTIN",
    "1553IN", "429IN", "MSGIN", "IMGIN",  "UNK"};
inline constexpr std::array<std::string_view, 11> kChannelDataTypeNames = {
    "PCM INPUT",  "ANALOG INPUT", "DISCRETE INPUT",  "IRIG TIME INPUT",    "VIDEO INPUT",
    "UART INPUT", "1553 INPUT",   "ARINC 429 INPUT", "MESSAGE DATA INPUT", "IMAGE DATA INPUT",
    "UNK"};

// R TFMT, time format; R TSRC is looked up among the display names (index 6, the
// empty entry, when it is none of them).
inline constexpr std::array<std::string_view, 6> kTimeFormatCodes = {"A", "B", "G",
                                                                     "I", "U", "UNK"};
inline constexpr std::array<std::string_view, 7> kTimeFormatNames = {
    "IRIG A", "IRIG B", "IRIG G", "GPS NATIVE", "GPS UTC", "UNK", ""};

// M BSG1, baseband signal.
inline constexpr std::array<std::string_view, 6> kBasebandSignalCodes = {"PCM", "ANA", "PAM",
                                                                         "OTH", "NON", "UNK"};
inline constexpr std::array<std::string_view, 6> kBasebandSignalNames = {"PCM",   "ANALOG", "PAM",
                                                                         "OTHER", "NONE",   "UNK"};

// P TF, type format.
inline constexpr std::array<std::string_view, 7> kTypeFormatCodes = {"ONE",  "TWO",  "1553", "BUS",
                                                                     "ALTD", "OTHR", "UNK"};
inline constexpr std::array<std::string_view, 7> kTypeFormatNames = {
    "CLASS I", "CLASS II", "1553", "BUS", "ALT TAG / DATA", "OTHER", "UNK"};

// R PDP, PCM data packing.
inline constexpr std::array<std::string_view, 4> kPcmDataPackingCodes = {"UN", "PFS", "TM", "UNK"};
inline constexpr std::array<std::string_view, 4> kPcmDataPackingNames = {
    "UNPACKED", "PACKED WITH FSP", "THROUGHPUT", "UNK"};

// R PTF, video compression.
inline constexpr std::array<std::string_view, 7> kVideoCompressionCodes = {
    "NONE", "MPEG1", "MPEG2", "H261", "WAVE", "OTHER", "UNK"};

static_assert(kChannelDataTypeNames.size() == kChannelDataTypeCodes.size());
static_assert(kTimeFormatNames.size() == kTimeFormatCodes.size() + 1, "plus the empty entry");
static_assert(kBasebandSignalNames.size() == kBasebandSignalCodes.size());
static_assert(kTypeFormatNames.size() == kTypeFormatCodes.size());
static_assert(kPcmDataPackingNames.size() == kPcmDataPackingCodes.size());

inline constexpr TmatsVocabulary kPcmCodeTable{"D1", kPcmCodeCodes, kPcmCodeCodes};
inline constexpr TmatsVocabulary kChannelDataTypeTable{"CDT", kChannelDataTypeCodes,
                                                       kChannelDataTypeNames};
inline constexpr TmatsVocabulary kTimeFormatTable{"TFMT", kTimeFormatCodes, kTimeFormatNames};
inline constexpr TmatsVocabulary kBasebandSignalTable{"BSG1", kBasebandSignalCodes,
                                                      kBasebandSignalNames};
inline constexpr TmatsVocabulary kTypeFormatTable{"TF", kTypeFormatCodes, kTypeFormatNames};
inline constexpr TmatsVocabulary kPcmDataPackingTable{"PDP", kPcmDataPackingCodes,
                                                      kPcmDataPackingNames};
inline constexpr TmatsVocabulary kVideoCompressionTable{"PTF", kVideoCompressionCodes,
                                                        kVideoCompressionCodes};

// Channel data type indexes (R CDT), the same numbers as the packet kinds.
inline constexpr int kTmatsChannelPcm = 0;
inline constexpr int kTmatsChannelAnalog = 1;
inline constexpr int kTmatsChannelDiscrete = 2;
inline constexpr int kTmatsChannelTime = 3;
inline constexpr int kTmatsChannelVideo = 4;
inline constexpr int kTmatsChannelUart = 5;
inline constexpr int kTmatsChannel1553 = 6;
inline constexpr int kTmatsChannelArinc429 = 7;
inline constexpr int kTmatsChannelMessage = 8;
inline constexpr int kTmatsChannelImage = 9;
inline constexpr int kTmatsChannelUnknown = 10;

// Other indexes the group parsers use by number.
inline constexpr int kTmatsTimeFormatIrigB = 1;
inline constexpr int kTmatsTimeFormatUnknown = 5;
inline constexpr int kTmatsTimeSourceNone = 6;
inline constexpr int kTmatsPackingThroughput = 2;
inline constexpr int kTmatsPackingUnknown = 3;
inline constexpr int kTmatsVideoCompressionUnknown = 6;
inline constexpr int kTmatsBasebandUnknown = 5;
inline constexpr int kTmatsTypeFormatUnknown = 6;

// --- One lookup and one name function per table -------------------------------------

int PcmCodeIndex(std::string_view value);
std::string_view PcmCodeName(int index);
int ChannelDataTypeIndex(std::string_view value);
std::string_view ChannelDataTypeName(int index);  // "PCM INPUT" ...
std::string_view ChannelDataTypeCode(int index);  // "PCMIN" ...
int TimeFormatIndex(std::string_view value);
std::string_view TimeFormatName(int index);  // also the time source's display text
// TSRC: the value's index among the time-format display names; 6 when it is none.
int TimeSourceIndex(std::string_view value);
int BasebandSignalIndex(std::string_view value);
std::string_view BasebandSignalName(int index);
int TypeFormatIndex(std::string_view value);
std::string_view TypeFormatName(int index);
int PcmDataPackingIndex(std::string_view value);
std::string_view PcmDataPackingName(int index);
int VideoCompressionIndex(std::string_view value);
std::string_view VideoCompressionName(int index);

// --- Known attribute names per group, in the order they are tried -------------------

// The groups whose parsers look up attribute names.
enum class TmatsGroup { R, M, P, B };

inline constexpr std::array<std::string_view, 23> kRGroupCodes = {
    "ID",   "N",    "RI1",  "RI2", "TK1", "DSI", "CHE", "CDT", "PDLN", "CDLN", "PDP", "PTF",
    "BDLN", "TFMT", "TSRC", "ACH", "ADP", "ASR", "AMN", "ADL", "AMTO", "ASF",  "AMSK"};
inline constexpr std::array<std::string_view, 3> kMGroupCodes = {"DLN", "BSG1", "ID"};
inline constexpr std::array<std::string_view, 30> kPGroupCodes = {
    "DLN", "D1",   "D2",   "D3",   "D4",   "D5",   "D7",    "D8",    "TF",   "F1",
    "F2",  "MF",   "MF1",  "MF2",  "MF4",  "MF5",  "SYNC2", "SYNC4", "MFW1", "MFW2",
    "ISF", "ISF1", "ISF2", "IDC1", "IDC2", "IDC3", "IDC4",  "IDC6",  "IDC8", "IDC10"};
inline constexpr std::array<std::string_view, 2> kBGroupCodes = {"DLN", "NBS"};

// The known names of a group, in trial order.
std::span<const std::string_view> KnownTmatsCodes(TmatsGroup group);

}  // namespace tessel
