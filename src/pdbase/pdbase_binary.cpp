// Reading and writing the binary PDbase file.
#include "pdbase/pdbase_binary.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

#include "support/clock.h"
#include "support/files.h"
#include "support/format.h"
#include "support/log.h"
#include "support/ui.h"

namespace tessel {

namespace {

#ifdef _WIN32
constexpr std::string_view kPathSeparators = "/\\:";
#else
constexpr std::string_view kPathSeparators = "/";
#endif

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool AllLowerCase(std::string_view text) {
  return std::none_of(text.begin(), text.end(),
                      [](char c) { return std::isupper(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::string PbinFileName(const std::string& name) {
  const std::size_t last_separator = name.find_last_of(kPathSeparators);
  const std::size_t file_start = last_separator == std::string::npos ? 0 : last_separator + 1;
  const std::string file_part = LowerCase(std::string_view(name).substr(file_start));
  std::size_t match = file_part.find(".pdb");
  std::size_t match_length = 4;
  if (match == std::string::npos) {
    match = file_part.find(".pbin");
    match_length = 5;
  }
  if (match == std::string::npos) return {};
  const std::size_t stem_length = file_start + match;
  if (stem_length == 0) return {};
  const std::string_view matched = std::string_view(name).substr(stem_length + 1, match_length - 1);
  return name.substr(0, stem_length) + (AllLowerCase(matched) ? ".pbin" : ".PBIN");
}

bool SaveToFilePDbaseBinary(pdbaseheaderstruct& header, const std::string& file_name,
                            std::span<const pdbaseparamstruct> records) {
  const std::string name = PbinFileName(file_name);
  OutputFile file;
  if (name.empty() || !file.Create(name)) {
    LogError(name + "  SaveToFilePDbaseBinary FAILED..CANT OPEN FILE ", 255, true);
    return false;
  }
  header.FileVersion = kPdbaseFileVersion;
  pdbaseheaderstruct header_image = header;
  NormalizeHeaderTexts(header_image);
  file.Write(&header_image, sizeof header_image);
  for (const pdbaseparamstruct& record : records) {
    if (!file.ok()) break;
    pdbaseparamstruct image = record;
    image.AccessCode &= 15;
    NormalizeParamTexts(image);
    file.Write(&image, sizeof image);
  }
  if (!file.Close()) {
    LogError(name + "  SaveToFilePDbaseBinary FAILED.." + file.error(), 255, true);
    std::error_code ignored;
    std::filesystem::remove(name, ignored);
    return false;
  }
  return true;
}

std::int32_t AudioSampleRateOfIndex(std::int32_t index) {
  static constexpr std::int32_t kFirstRates[8] = {8000,  11025, 12000, 13000,
                                                  14000, 14400, 15000, 16000};
  if (index >= 0 && index <= 7) return kFirstRates[index];
  if (index >= 8 && index <= 40) return 16500 + 500 * (index - 8);
  if (index == 41) return 44100;
  if (index == 42) return 48000;
  return 16000;
}

namespace {

std::uint16_t Low16(std::int64_t value) {
  return static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFFu);
}

template <std::size_t N>
void ZeroArray(char (&field)[N]) {
  std::memset(field, 0, N);
}

// Brings the header of a file older than the current version up to date, step by step.
void UpgradeHeader(pdbaseheaderstruct& h, double version) {
  if (version < 16) {
    h.IrigEmbDecomSetupWpf = Low16(h.NumPcmWordsPerSf);
    std::int64_t subframes = h.NumSubFrames;
    if (h.HasEmbPcm1 != 0) subframes -= h.EmbPcm1NumSubframes;
    if (h.HasEmbPcm2 != 0) subframes -= h.EmbPcm2NumSubframes;
    h.IrigEmbDecomSetupNumSf = Low16(subframes);
    if (h.cClientSoftDecomName[0] != '\0') {
      static const std::string kRefill =
          "File Version Changed.. YOU MUST FILL OUT THE PCM INFORMATION AGAIN!!";
      BeepWarning();
      if (UserInterface* ui = CurrentUserInterface()) ui->MessageBox("Tessel", kRefill, BoxIcon::Information);
      LogMessage(kRefill, 255);
    }
  }
  if (version < 18) {
    h.EmbVideoAudioType = 0;
    h.EmbVideoVidPid = 1000;
    h.EmbVideoAudioPid = 1001;
    h.EmbVideoAudioSampleRate = 16000;
  }
  if (version < 19) {
    h.EmbAudioIs16BitsPerSample = 0;
    h.EmbAudioSampleRate = AudioSampleRateOfIndex(h.EmbAudioSampleRate);
    h.EmbVideoAudioBitsPerSample = 8;
  }
  if (version < 20) {
    h.EmbPcm1SfIdStartCount = 0;
    h.EmbPcm2SfIdStartCount = 0;
  }
  if (version < 22) {
    h.cLutFileName[sizeof h.cLutFileName - 1] = '\0';
    h.cClientSoftDecomName[sizeof h.cClientSoftDecomName - 1] = '\0';
    ZeroArray(h.cServerSoftDecomName);
    for (auto& word : h.ServerUserDefCodeWord) word = 0;
    ZeroArray(h.cClientSDSetupFile);
    ZeroArray(h.Spare1);
    ZeroArray(h.Spare2);
  }
  if (version < 23) {
    ZeroArray(h.cClientSDSetupFile);
    ZeroArray(h.Spare1);
  }
  if (version < 24) ZeroArray(h.Spare2);
  if (version < 25) {
    h.FspMsw = 0;
    h.FspLsw = 0;
    h.FspLen = 0;
    h.FspTrails = 0;
  }
  if (version < 26) {
    h.EmbAudioWordStop = Low16(h.HasEmbAudio != 0 ? h.NumPcmWordsPerSf : h.EmbAudioStartWord);
    h.EmbVideoWordStop = Low16(h.HasEmbVideo != 0 ? h.NumPcmWordsPerSf : h.EmbVideoStartWord);
  }
}

// Recomputes a loaded record's run-time fields and applies the fixes of older versions.
void FixLoadedParam(pdbaseparamstruct& p, double version, std::int32_t dbase_type,
                    std::uint32_t slot_index) {
  NormalizeParamTexts(p);
  p.PreprocessOps = ParsePreprocessFormula(RecordText(p.PreprocessedFormula));
  SetTagVisibility(p, 0);
  p.RtSlotIndex = static_cast<std::int32_t>(slot_index);
  std::memset(p.RtScratch, 0, sizeof p.RtScratch);
  p.RtFlag = 0;
  if (dbase_type == kDbaseChapter8 || dbase_type == kDbase1553) {
    p.Hw[0] = 0;
    p.Hw[1] = 0;
    p.Hw[7] = 0;
  }
  if (version < 9) {
    p.SpecialProcess = 0;
  } else if (version < 15) {
    // Contiguous tags were once marked by special process 1 or by having no second tag.
    if (p.SpecialProcess == 1) {
      p.TagType = kTagContiguous;
    } else {
      p.TagType = p.SecondTagName[0] == '\0' ? kTagContiguous : kTagNormalProcessed;
    }
    p.SpecialProcess = 0;
  }
  p.RtUpdatePeriod = p.UpdateRateHz != 0 ? 1.0 / static_cast<double>(p.UpdateRateHz) : 0.0;
}

// Reads exactly `size` bytes; false at the end of the file or on a read error.
bool ReadExactly(InputFile& file, void* buffer, std::size_t size, std::string& reason) {
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::size_t done = 0;
  while (done < size) {
    const std::int64_t got = file.Read(bytes + done, size - done);
    if (got < 0) {
      reason = "READ ERROR: " + SystemErrorText(file.last_errno());
      return false;
    }
    if (got == 0) {
      reason = "FILE ENDS EARLY (IT WAS CHANGED WHILE BEING READ)";
      return false;
    }
    done += static_cast<std::size_t>(got);
  }
  return true;
}

void LogLoadFailure(const std::string& file_name, const std::string& reason) {
  LogError(file_name + "  loadfromfilepdbasebinary FAILED.." + reason, 255, true);
}

constexpr std::size_t kRecordsPerRead = 256;

}  // namespace

bool loadfromfilepdbasebinary(std::uint32_t slot_index, pdbaseclass& database,
                              const std::string& file_name, const PdbaseLoadProgress& progress) {
  std::string name = PbinFileName(file_name);
  if (name.empty()) name = file_name;
  if (name.empty()) return false;

  InputFile file;
  if (!file.Open(name)) {
    LogLoadFailure(file_name, "CANT OPEN FILE ");
    return false;
  }
  const std::int64_t size = file.Size();
  if (size < 0) {
    LogLoadFailure(file_name, "CANNOT READ THE FILE SIZE: " + SystemErrorText(file.last_errno()));
    return false;
  }
  const auto header_size = static_cast<std::int64_t>(kPdbaseHeaderSize);
  const auto record_size = static_cast<std::int64_t>(kPdbaseParamSize);
  if (size < header_size) {
    LogLoadFailure(file_name, "FILE OF " + std::to_string(size) +
                                  " BYTES IS SHORTER THAN A PDBASE HEADER (3886 BYTES)");
    return false;
  }
  if ((size - header_size) % record_size != 0) {
    LogLoadFailure(file_name, "FILE ENDS INSIDE A PARAMETER RECORD (" + std::to_string(size) +
                                  " BYTES IS NOT 3886 + 792 x RECORDS)");
    return false;
  }
  const std::int64_t count = (size - header_size) / record_size;
  if (count > pdbaseclass::kMaxParams) {
    LogMessage("EXCEEDED PARAMETERS ALLOWED", 0);
    LogLoadFailure(file_name, "FILE HOLDS " + std::to_string(count) +
                                  " PARAMETER RECORDS, MORE THAN THE 65536 ALLOWED");
    return false;
  }

  std::string reason;
  pdbaseheaderstruct header = ZeroHeader();
  if (!ReadExactly(file, &header, sizeof header, reason)) {
    LogLoadFailure(file_name, reason);
    return false;
  }
  std::vector<pdbaseparamstruct> records(static_cast<std::size_t>(count));
  for (std::size_t first = 0; first < records.size(); first += kRecordsPerRead) {
    const std::size_t n = std::min(kRecordsPerRead, records.size() - first);
    if (!ReadExactly(file, records.data() + first, n * sizeof(pdbaseparamstruct), reason)) {
      LogLoadFailure(file_name, reason);
      return false;
    }
    if (progress) {
      for (std::size_t loaded = (first / 100 + 1) * 100; loaded <= first + n; loaded += 100) {
        if (!progress(slot_index, static_cast<std::int32_t>(loaded))) {
          LogMessage(file_name + "  loadfromfilepdbasebinary CANCELLED", 0);
          return false;
        }
      }
    }
  }
  file.Close();

  const double version = header.FileVersion;
  if (version < kPdbaseFileVersion) UpgradeHeader(header, version);
  NormalizeHeaderTexts(header);

  std::int32_t largest_cvt = 0;
  for (pdbaseparamstruct& record : records) {
    FixLoadedParam(record, version, header.eDbaseType, slot_index);
    largest_cvt = std::max(largest_cvt, record.CvtLocation.Get());
  }
  std::int32_t num_words = 0;
  if (!records.empty()) {
    // A hostile largest location must not overflow the count.
    num_words = largest_cvt == std::numeric_limits<std::int32_t>::max() ? largest_cvt
                                                                        : largest_cvt + 1;
  }

  database.header = header;
  database.ReplaceParams(std::move(records));
  database.NumWords = num_words;
  LogMessage(file_name + "  loadfromfilepdbasebinary ok. Loaded " +
                 FixedText(9, 0, database.NumParams()) + " parameters." + "  " +
                 FixedText(9, 0, database.NumWords) + " words.",
             0);
  return true;
}

}  // namespace tessel
