// The Chapter 10 data types this program names, in one declarative table.
//
// For every data type code the table gives its name in the packet dumps, its label in
// the statistics grid, the reader's kind code (how the conversion loop handles it), its
// row in the 13-row statistics table, and whether the reader loads the packet body or
// seeks over it. Codes not in the table fall into the last row, "UNKNOWN, TYPE ERROR".
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tessel {

// Kind codes of packets; the same numbers index the recorder channel data types.
inline constexpr int kKindPcm = 0;
inline constexpr int kKindAnalog = 1;
inline constexpr int kKindDiscrete = 2;
inline constexpr int kKindTime = 3;
inline constexpr int kKindVideo = 4;
inline constexpr int kKindUart = 5;
inline constexpr int kKindMilStd1553 = 6;
inline constexpr int kKindArinc429 = 7;
inline constexpr int kKindMessage = 8;
inline constexpr int kKindImage = 9;
inline constexpr int kKindNotHandled = 10;

// Data type codes the program acts on.
inline constexpr std::uint8_t kDataTypeUserDefined = 0x00;
inline constexpr std::uint8_t kDataTypeSetupRecord = 0x01;
inline constexpr std::uint8_t kDataTypePcmF1 = 0x09;
inline constexpr std::uint8_t kDataTypeTimeF1 = 0x11;
inline constexpr std::uint8_t kDataTypeMilStd1553F1 = 0x19;
inline constexpr std::uint8_t kDataTypeAnalogF1 = 0x21;
inline constexpr std::uint8_t kDataTypeDiscreteF1 = 0x29;
inline constexpr std::uint8_t kDataTypeMessageF0 = 0x30;
inline constexpr std::uint8_t kDataTypeArinc429F0 = 0x38;
inline constexpr std::uint8_t kDataTypeVideoF0 = 0x40;
inline constexpr std::uint8_t kDataTypeImageF0 = 0x48;
inline constexpr std::uint8_t kDataTypeUartF0 = 0x50;

// Rows of the per-data-type statistics table; the last one counts unknown codes.
inline constexpr int kStatisticsRows = 13;
inline constexpr int kUnknownDataTypeRow = 12;

struct DataTypeInfo {
  std::uint8_t Code;       // data type code (not meaningful in the unknown row)
  std::string_view Name;   // name in the packet header dump
  std::string_view Label;  // label of the statistics grid row
  int Kind;                // kind code, kKindPcm .. kKindNotHandled
  int Row;                 // statistics row, 0 .. kStatisticsRows - 1
  bool BodyRead;           // the reader loads the body (otherwise it seeks over it)
};

// One entry per statistics row, in row order; the last entry stands for every code
// that is not listed above it.
inline constexpr std::array<DataTypeInfo, kStatisticsRows> kDataTypeTable = {{
    {0x00, "Computer Generated User Defined", "0x00 CPU Gen User", kKindNotHandled, 0, false},
    {0x01, "Computer Generated Setup Record", "0x01 CPU Gen Setup", kKindNotHandled, 1, true},
    {0x09, "PCM Data Format 1", "0x09 PCM F1", kKindPcm, 2, true},
    {0x11, "Time Data Format 1", "0x11 Time F1", kKindTime, 3, true},
    {0x19, "MIL-STD-1553 Data Format 1", "0x19 1553 F1", kKindMilStd1553, 4, false},
    {0x21, "Analog Data Format 1", "0x21 Analog F1", kKindAnalog, 5, false},
    {0x29, "Discrete Data Format 1", "0x29 Discrete F1", kKindDiscrete, 6, false},
    {0x30, "Message Data Format 0", "0x30 Msg Data F0", kKindMessage, 7, false},
    {0x38, "ARINC 429 Data Format 0", "0x38 429 F0", kKindArinc429, 8, false},
    {0x40, "Video Data Format 0 (MPEG-2 Video)", "0x40 MPEG-2 Video F0", kKindVideo, 9, true},
    {0x48, "Image Data Format 0 (Image)", "0x48 Image F0", kKindImage, 10, false},
    {0x50, "UART Data Format 0", "0x50 UART F0", kKindUart, 11, false},
    {0xFF, "UNKNOWN, TYPE ERROR", "0xxx UNK", kKindNotHandled, kUnknownDataTypeRow, false},
}};

// The table entry of a data type code; the unknown entry for codes not listed.
constexpr const DataTypeInfo& LookupDataType(std::uint8_t code) {
  for (int row = 0; row < kUnknownDataTypeRow; ++row) {
    const DataTypeInfo& info = kDataTypeTable[static_cast<std::size_t>(row)];
    if (info.Code == code) return info;
  }
  return kDataTypeTable[kUnknownDataTypeRow];
}

// The table entry of a statistics row; the unknown entry for rows out of range.
constexpr const DataTypeInfo& DataTypeOfRow(int row) {
  if (row < 0 || row >= kStatisticsRows) return kDataTypeTable[kUnknownDataTypeRow];
  return kDataTypeTable[static_cast<std::size_t>(row)];
}

// Name of a data type in the packet dumps.
constexpr std::string_view DataTypeName(std::uint8_t code) {
  return LookupDataType(code).Name;
}
// Kind code the reader gives packets of this data type.
constexpr int DataTypeKind(std::uint8_t code) {
  return LookupDataType(code).Kind;
}
// Statistics row of this data type.
constexpr int DataTypeRow(std::uint8_t code) {
  return LookupDataType(code).Row;
}
// True when the reader loads the body of packets of this data type.
constexpr bool DataTypeBodyRead(std::uint8_t code) {
  return LookupDataType(code).BodyRead;
}
// Label of a statistics grid row.
constexpr std::string_view StatisticsRowLabel(int row) {
  return DataTypeOfRow(row).Label;
}

namespace detail {
constexpr bool DataTypeTableIsConsistent() {
  for (int row = 0; row < kStatisticsRows; ++row) {
    const DataTypeInfo& info = kDataTypeTable[static_cast<std::size_t>(row)];
    if (info.Row != row || info.Kind < kKindPcm || info.Kind > kKindNotHandled) return false;
    if (row < kUnknownDataTypeRow && LookupDataType(info.Code).Row != row) return false;
  }
  return true;
}
}  // namespace detail
static_assert(detail::DataTypeTableIsConsistent(),
              "each row lists its own index, a valid kind and a code found by lookup");
static_assert(DataTypeRow(0xFF) == kUnknownDataTypeRow, "0xFF is not a named data type");

}  // namespace tessel
