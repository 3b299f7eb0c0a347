// Builds small archive files for tests: a decom setup of a given shape and an archive
// of numbered records whose frames, header words and device values are predictable.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pcm/archive.h"
#include "setup/decom_setup.h"

namespace tessel::test {

// A defaulted setup with the given frame shape and bit rate (16-bit words).
inline std::unique_ptr<decomsetupstruct> ArkSetup(int words_per_frame, int frames_per_interrupt,
                                                  int bit_rate = 1'024'000) {
  auto setup = NewDecomSetup();
  setup->WordsPerFrame = static_cast<std::int16_t>(words_per_frame);
  setup->FramesPerInterrupt = static_cast<std::int16_t>(frames_per_interrupt);
  setup->CommonWordLength = 16;
  setup->BitRate = bit_rate;
  return setup;
}

// Data word `w` of frame `f` of record `r`.
inline std::uint16_t ArkTestWord(std::size_t r, std::size_t f, std::size_t w) {
  return static_cast<std::uint16_t>(r * 0x1000 + f * 0x100 + w);
}

// What WriteTestArchive wrote.
struct TestArchive {
  arkheaderstruct header;
  ArkLineOffsets offsets;
  std::vector<double> time_stamps;  // one per record
};

// Writes an archive of `records` records to `path`: frame f of record r has the time
// start + (r x frames + f) x frame_time and subframe ID f, its words ArkTestWord(r, f, w);
// the device values are ArkDeviceValues(time stamp, bit rate, 2). Start and Stop are
// rewritten at the end with the first and last frame times; the year is `year`.
inline TestArchive WriteTestArchive(const std::string& path, const decomsetupstruct& setup,
                                    std::size_t records, double start, double frame_time,
                                    int year = 2024) {
  TestArchive out;
  ArkFile file;
  file.SetYearSource([year] { return year; });
  if (!file.Create(path)) return out;
  out.header = BuildArkHeader(setup, 0, "SETUP.B72", ArkTagNames());
  out.offsets = WriteArkHeader(file, out.header);
  const auto words = static_cast<std::size_t>(out.header.WordsPerFrame);
  const auto frames = static_cast<std::size_t>(out.header.FramesPerInterrupt);
  double last = 0.0;
  for (std::size_t r = 0; r < records; ++r) {
    std::vector<std::uint16_t> serial;
    for (std::size_t f = 0; f < frames; ++f) {
      last = start + static_cast<double>(r * frames + f) * frame_time;
      for (std::uint16_t h : ArkFrameHeaderWords(static_cast<int>(f), last)) serial.push_back(h);
      for (std::size_t w = 0; w < words; ++w) serial.push_back(ArkTestWord(r, f, w));
    }
    const double stamp = start + static_cast<double>(r * frames) * frame_time;
    out.time_stamps.push_back(stamp);
    WriteArkRecord(file, stamp, serial, ArkDeviceValues(stamp, setup.BitRate, 2));
  }
  if (records > 0) UpdateArkTimes(file, out.offsets.start_line, start, out.offsets.stop_line, last);
  file.Close();
  out.header.StartTime = records > 0 ? start : 0.0;
  out.header.StopTime = last;
  return out;
}

}  // namespace tessel::test
