// Writing and reading of DDbase files.
#include "setup/ddbase_file.h"

#include <array>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <span>
#include <system_error>

#include "setup/stream_config.h"
#include "support/clock.h"
#include "support/files.h"
#include "support/format.h"
#include "support/log.h"

namespace tessel {

namespace {

// Tags of the block headers: the first block carries the setup, the others are plain.
constexpr std::int32_t kSetupBlockTag = 2;
constexpr std::int32_t kPlainBlockTag = 0;
// The twelve bytes between the first header and the decom setup.
constexpr std::int32_t kSetupPrefixWord = 11;
constexpr std::size_t kSetupPrefixBytes = 12;
// The bit synchroniser byte that is cleared on reading.
constexpr std::size_t kBitSyncClearedByte = 32;

constexpr std::size_t kDecomOffset = kDdbaseBlockHeaderBytes + kSetupPrefixBytes;
constexpr std::size_t kSimOffset = kDecomOffset + kDecomSetupBytes + kDdbaseBlockHeaderBytes;
constexpr std::size_t kBitSyncOffset = kSimOffset + kSimSetupBytes + kDdbaseBlockHeaderBytes;
constexpr std::size_t kTrailerOffset =
    kBitSyncOffset + kBitSyncSetupBytes + kDdbaseBlockHeaderBytes;
static_assert(kDecomOffset == 29);
static_assert(kSimOffset == 262414);
static_assert(kBitSyncOffset == 328307);
static_assert(kTrailerOffset == 328360);
static_assert(kTrailerOffset + kTrailerBlockBytes == kDdbaseFileBytes);

// Appends little-endian values and record images to a byte vector.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void Byte(std::uint8_t value) { out_.push_back(value); }
  void Int32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) Byte(static_cast<std::uint8_t>(bits >> shift));
  }
  template <SetupByteImage Record>
  void Image(const Record& record) {
    const std::size_t at = out_.size();
    out_.resize(at + sizeof(Record));
    RecordToBytes(record, std::span<std::uint8_t>(out_).subspan(at));
  }
  void BlockHeader(std::int32_t tag) {
    Int32(kDdbaseFileVersion);
    Byte(1);
    Int32(0);
    Int32(0);
    Int32(tag);
  }

 private:
  std::vector<std::uint8_t>& out_;
};

// Reads little-endian values and record images from a byte span, never past its end.
class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool Int32(std::int32_t& value) {
    if (bytes_.size() - position_ < 4) return false;
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
      bits = (bits << 8) | bytes_[position_ + static_cast<std::size_t>(i)];
    value = static_cast<std::int32_t>(bits);
    position_ += 4;
    return true;
  }
  bool Skip(std::size_t count) {
    if (bytes_.size() - position_ < count) return false;
    position_ += count;
    return true;
  }
  template <SetupByteImage Record>
  bool Image(Record& record) {
    if (!RecordFromBytes(bytes_.subspan(position_), record)) return false;
    position_ += sizeof(Record);
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Zero-fills a text field of a record image past its terminator; a field without one
// gets it in its last byte.
void NormalizeTextBytes(std::vector<std::uint8_t>& image, std::size_t offset, std::size_t size) {
  std::size_t length = 0;
  while (length < size - 1 && image[offset + length] != 0) ++length;
  for (std::size_t i = length; i < size; ++i) image[offset + i] = 0;
}

// The top bit of an SFID counter that starts at bit 0: one less than the binary digits
// of the largest counter value. Older files stored the start bit differently.
template <typename StartBit>
void RecomputeSfidStartBit(StartBit& start_bit, std::int32_t num_subframes,
                           std::int32_t first_frame) {
  if (num_subframes < 2) return;
  const auto largest =
      static_cast<std::uint32_t>(first_frame == 1 ? num_subframes : num_subframes - 1);
  start_bit = static_cast<StartBit>(BitWidth(largest) - 1);
}

// Settings outside the simulator's ranges mean the block is damaged.
bool SimSettingsInRange(const simsetupstruct& sim) {
  return InRange(sim.BitOrder, 0, 1) && InRange(sim.SubframeMode, 0, 3) &&
         InRange(sim.SubframeDirection, 0, 1) && InRange(sim.PatternLeads, 0, 1) &&
         InRange(sim.SimBitRate, 10, 33000000) && InRange(sim.SimOutputCode, 0, 17);
}

// The simulator's frame rules, like those of the decom setup: pattern, frame and SFID.
bool SimFrameConsistent(const simsetupstruct& sim) {
  return InRange(sim.FrmSyncPatLen, 3, 64) && InRange(sim.CommonWordLength, 1, 32) &&
         InRange(sim.WordsPerFrame, 1, kDecomMaxWords) && InRange(sim.NumSubframes, 1, 1024) &&
         InRange(sim.SubFrameIdWord, 0, sim.WordsPerFrame) &&
         InRange(sim.SubFrameIdStartBitLsb, 0, sim.CommonWordLength - 1);
}

// The bit synchroniser's rate band limit for its hardware type; -1 when not limited.
std::int32_t BandLimit(std::int32_t hardware_type) {
  switch (hardware_type) {
    case 0:
    case 1:
    case 4:
    case 5:
      return 7;
    case 2:
    case 3:
      return 16;
    default:
      return -1;
  }
}

// A relative name is taken from the start directory, as the file dialogs leave it.
std::string InStartDirectory(const std::string& path) {
  const std::filesystem::path name(path);
  const std::string& start = StartDirectory();
  if (name.is_relative() && !start.empty()) return (std::filesystem::path(start) / name).string();
  return path;
}

bool RefuseRead(const std::string& path, const std::string& reason) {
  LogMessage("DDbase file " + path + " " + reason, 255);
  return false;
}

// The bytes of the file, at most one DDbase file's worth; false when it cannot be read.
bool LoadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  InputFile file;
  if (!file.Open(path)) {
    error = file.error();
    return false;
  }
  bytes.resize(kDdbaseFileBytes);
  std::size_t got = 0;
  while (got < bytes.size()) {
    const std::int64_t count = file.Read(bytes.data() + got, bytes.size() - got);
    if (count < 0) {
      error = "cannot be read: " + SystemErrorText(file.last_errno());
      return false;
    }
    if (count == 0) break;
    got += static_cast<std::size_t>(count);
  }
  bytes.resize(got);
  return true;
}

}  // namespace

std::vector<std::uint8_t> DdbaseFileImage(const decomsetupstruct& decom, const simsetupstruct& sim,
                                          const trailerblockstruct& trailer,
                                          const bitsyncsetupstruct& bitsync) {
  std::vector<std::uint8_t> image;
  image.reserve(kDdbaseFileBytes);
  ByteWriter out(image);
  out.BlockHeader(kSetupBlockTag);
  out.Int32(kSetupPrefixWord);
  out.Int32(0);
  constexpr std::array<std::uint8_t, 4> kPrefixFlags = {1, 0, 1, 0};
  for (std::uint8_t flag : kPrefixFlags) out.Byte(flag);
  out.Image(decom);
  out.BlockHeader(kPlainBlockTag);
  out.Image(sim);
  out.BlockHeader(kPlainBlockTag);
  out.Image(bitsync);
  out.BlockHeader(kPlainBlockTag);
  trailerblockstruct written_trailer = trailer;
  written_trailer.Reserved0 = 0;
  out.Image(written_trailer);

  NormalizeTextBytes(image, kDecomOffset + offsetof(decomsetupstruct, FrmSyncPat),
                     sizeof(decom.FrmSyncPat));
  NormalizeTextBytes(image, kDecomOffset + offsetof(decomsetupstruct, URCSyncPat),
                     sizeof(decom.URCSyncPat));
  NormalizeTextBytes(image, kSimOffset + offsetof(simsetupstruct, FrmSyncPat),
                     sizeof(sim.FrmSyncPat));
  return image;
}

bool WriteDdbaseFile(const std::string& path, const decomsetupstruct& decom,
                     const simsetupstruct& sim, const trailerblockstruct& trailer,
                     const bitsyncsetupstruct& bitsync) {
  const std::vector<std::uint8_t> image = DdbaseFileImage(decom, sim, trailer, bitsync);
  OutputFile file;
  if (!file.Create(path)) {
    LogError("FAILED OPENING FILE FOR SAVE " + path, 255, true);
    LogMessage(file.error(), 255);
    return false;
  }
  const bool written = file.Write(image.data(), image.size());
  if (!file.Close() || !written) {
    LogError(file.error(), 255, true);
    // A partial setup file must not be taken for a whole one.
    std::error_code error;
    std::filesystem::remove(path, error);
    return false;
  }
  return true;
}

bool WriteDdbaseFile(const std::string& path, const pcmsetupinfo& setup) {
  return WriteDdbaseFile(path, setup.DecomSetup, setup.SimSetup, setup.TrailerBlock,
                         setup.BitSyncSetup);
}

bool ReadDdbaseFile(const std::string& path, decomsetupstruct& decom, simsetupstruct& sim,
                    bitsyncsetupstruct& bitsync) {
  const std::string name = InStartDirectory(path);
  if (!PathExists(name)) return RefuseRead(path, "does not exist");
  std::vector<std::uint8_t> bytes;
  std::string error;
  if (!LoadFileBytes(name, bytes, error)) return RefuseRead(path, error);

  // Everything is read into copies first: the caller's records change only when the
  // whole file is there.
  auto new_decom = std::make_unique<decomsetupstruct>();
  auto new_sim = std::make_unique<simsetupstruct>();
  bitsyncsetupstruct new_bitsync{};
  std::int32_t decom_version = 0;
  std::int32_t sim_version = 0;
  std::int32_t bitsync_version = 0;
  ByteReader in(bytes);
  const auto ends_inside = [&](const char* what) {
    return RefuseRead(path, std::string("ends inside its ") + what + " (" +
                                std::to_string(bytes.size()) + " of " +
                                std::to_string(kDdbaseFileBytes) + " bytes)");
  };
  constexpr std::size_t kHeaderRest = kDdbaseBlockHeaderBytes - 4;
  if (!in.Int32(decom_version) || !in.Skip(kHeaderRest + kSetupPrefixBytes)) {
    return ends_inside("first block header");
  }
  if (!in.Image(*new_decom)) return ends_inside("decom setup");
  if (!in.Int32(sim_version) || !in.Skip(kHeaderRest)) return ends_inside("simulator header");
  if (!in.Image(*new_sim)) return ends_inside("simulator block");
  if (!in.Int32(bitsync_version) || !in.Skip(kHeaderRest)) {
    return ends_inside("bit synchroniser header");
  }
  if (!in.Image(new_bitsync)) return ends_inside("bit synchroniser block");
  if (!in.Skip(kDdbaseBlockHeaderBytes)) return ends_inside("trailer header");
  if (!in.Skip(kTrailerBlockBytes)) return ends_inside("trailer block");

  // The decom setup, with the fixes for the version that wrote it.
  if (decom_version < 2) {
    RecomputeSfidStartBit(new_decom->SubFrameIdStartBitLsb, new_decom->NumSubframes,
                          new_decom->FirstFrame);
  }
  if (decom_version < 3) new_decom->PcmInputCode = 0;
  int code = 0;
  std::string message;
  if (!ValidateDecomSetup(0, *new_decom, code, message)) BeepError();

  // The simulator block: damaged settings bring back its defaults.
  if (sim_version < 2) {
    RecomputeSfidStartBit(new_sim->SubFrameIdStartBitLsb, new_sim->NumSubframes,
                          new_sim->FirstFrame);
  }
  if (!SimSettingsInRange(*new_sim)) {
    LogMessage("Appear to have file corruption for simulator, setting defaults", 255);
    SetSimDefaults(*new_sim);
  } else if (!SimFrameConsistent(*new_sim)) {
    BeepError();
  }

  // The bit synchroniser keeps the hardware it was set up for.
  new_bitsync.HardwareType = bitsync.HardwareType;
  const std::int32_t band_limit = BandLimit(new_bitsync.HardwareType);
  if (band_limit >= 0) {
    new_bitsync.BitRateBand =
        static_cast<std::int32_t>(Clamp(0, band_limit, new_bitsync.BitRateBand));
  }
  new_bitsync.Reserved28[kBitSyncClearedByte - offsetof(bitsyncsetupstruct, Reserved28)] = 0;
  new_decom->BitRate = new_bitsync.BitRate;

  decom = *new_decom;
  sim = *new_sim;
  bitsync = new_bitsync;
  return true;
}

}  // namespace tessel
