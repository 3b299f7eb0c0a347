// TMATS group P: the PCM formats, each turned into a decom setup.
//
// `ParsePGroup` reads the P lines of the kept TMATS list into up to 16 `pgroupstruct`
// records, in the order of their DLN lines, and derives and validates each one's decom
// setup. A format is taken when its data link name (DLN) is an M group's DLN, which
// gives the recorder channel that carries it; TMATS that names the format straight
// from an enabled R channel's PDLN/CDLN, without an M group, is taken too, with that
// channel's track number. Other formats are not taken.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "setup/decom_setup.h"
#include "tmats/tmats_lines.h"
#include "tmats/tmats_m_group.h"
#include "tmats/tmats_r_group.h"
#include "tmats/tmats_tables.h"
#include "tmats/tmats_vocabulary.h"

namespace tessel {

// PCM formats read at most; the scan ends at a P group number above this.
inline constexpr int kMaxPcmFormats = 16;

// One PCM format: how it was found, its TMATS attributes and the decom setup derived
// from them. Move-only: it owns its (large) decom setup.
struct pgroupstruct {
  std::string MGroupDataLinkNameId;  // the format's DLN value
  std::int32_t MGroupIndex = 0;      // index of the M group with that DLN; -1 when the
                                     // format was found through an R channel instead
  std::int32_t TrackChannelId = 0;   // the recorder channel (track number) carrying it
  std::int32_t MultiplexNum = 0;     // the d of the P-d lines
  std::int32_t InputCode = 0;        // PCM code in the decom setup's numbering (D1, D7, D8)
  std::unique_ptr<decomsetupstruct> DecomSetup = NewDecomSetup();

  // TMATS attributes; the comment names the attribute that sets each.
  std::string DataLinkName;                           // DLN
  std::int32_t PcmCode = 0;                           // D1, index of kPcmCodeCodes
  std::int32_t DataRate = 0;                          // D2, bits per second
  bool IsEncrypted = false;                           // D3 "E"
  bool PolarityNormal = true;                         // D4 "N"
  bool PolarityCorrection = false;                    // D5 "Y"
  bool DataRandomized = false;                        // D7 "Y"
  std::int32_t RandomizedLength = 15;                 // D8: "STD" 15, else 11
  std::int32_t TypeFormat = kTmatsTypeFormatUnknown;  // TF, index of kTypeFormatCodes
  std::int32_t Cwl = 0;                               // F1, common word length in bits
  bool MsbFirst = true;                               // F2 "M"
  std::int32_t NumSubframes = 2;                      // MF, minor frames per major frame
  std::int32_t Wpf = 20;                              // MF1, words per minor frame
  std::int32_t BitsInMinorFrame = 0;                  // MF2
  std::int32_t FspLength = 24;                        // MF4, pattern length in bits
  std::string BinaryFsp = "11111010111100110010";     // MF5, pattern in binary digits
  bool BinaryFspGiven = false;                        // an MF5 line set BinaryFsp
  std::int32_t SyncWindow = 1;                        // SYNC2
  std::int32_t SyncTolerance = 1;                     // SYNC4
  std::int32_t SfidWdNum = 1;                         // MFW1, SFID word after the pattern
  std::int32_t SfidNumBits = 2;                       // MFW2 (F1 or Cwl otherwise)
  std::int32_t NumMinorFrameCounters = 1;             // ISF
  std::string SfidWordName = "UNKSFID";               // ISF1
  bool UseSfidSyncMethod = true;                      // ISF2 "ID"
  std::int32_t SfidWdNumID = 1;                       // IDC1
  std::int32_t SfidWordLength = 0;                    // IDC2
  std::int32_t SfidCounterMsb = 1;                    // IDC3
  std::int32_t SfidCounterNumBits = 1;                // IDC4
  std::int32_t SfidCountsFrom = 0;                    // IDC6
  std::int32_t SfidLastCount = 1;                     // IDC8
  bool SfidCountsUp = true;                           // IDC10 "INC"
};

// The P table, rebuilt by every parse: the formats taken, in the order of their DLN lines.
struct PGroupTable {
  std::vector<pgroupstruct> groups;
};

// Rebuilds `table` from the P lines of `lines`; needs the R and M tables already built.
// A decom setup that fails validation is logged ("DECOM SETUP ERROR FOR PCM STREAM "
// with the format's position counted from 1), BeepError sounds, and it is kept as the
// validation corrected it.
void ParsePGroup(const TmatsLineList& lines, const RGroupTable& r_table, const MGroupTable& m_table,
                 PGroupTable& table);

// Sets one attribute of `group` from a P line's known name and value.
void SetPAttribute(pgroupstruct& group, std::string_view code, std::string_view value);
// Derives `group.DecomSetup` (and `InputCode`) from the attributes, from decom defaults;
// logs and beeps when the pattern is missing or short. Does not validate.
void DerivePDecomSetup(pgroupstruct& group);

// Writes the "TMATS PCM INFO" block to the log: per format its attributes as one
// multi-line entry, then its decom setup dump.
void DumpPGroup(const PGroupTable& table);
// The dump text of one format's attributes, as logged.
std::string PGroupDumpText(const pgroupstruct& group);

// Hooks for ParseTmatsGroups, LoadTmatsText and ReadTmatsFromRecording that rebuild and
// dump `table` in the P group's place; `table` must outlive the hooks.
TmatsGroupHooks PGroupHooks(PGroupTable& table);

}  // namespace tessel
