// Archive records written through ArkFile's record buffer of several sizes, compared with
// each record's three parts handed straight to the output file. Records of 256-word
// frames, 1 and 16 frames per block; bytes per second are reported for each.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pcm/archive.h"
#include "support/files.h"

namespace {

constexpr int kWords = 256;
constexpr int kRecordsPerRun = 4096;

std::string BenchPath() {
  return (std::filesystem::temp_directory_path() / "tessel_archive_bench.ARK").string();
}

std::int64_t RecordBytes(int frames) {
  return 12 + (kWords + 5) * frames * 2 + 96;
}

// Straight: time stamp and misc, words, device values as three writes of the output file.
void BM_OutputFileDirect(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  const std::vector<std::uint16_t> serial(static_cast<std::size_t>((kWords + 5) * frames), 0x55);
  const auto devices = tessel::ArkDeviceValues(1.0, 1e6, 2);
  for (auto _ : state) {
    tessel::OutputFile out;
    out.Create(BenchPath());
    for (int r = 0; r < kRecordsPerRun; ++r) {
      std::uint8_t prefix[12] = {};
      const double stamp = r;
      std::memcpy(prefix, &stamp, sizeof stamp);
      out.Write(prefix, sizeof prefix);
      out.Write(serial.data(), serial.size() * 2);
      out.Write(devices.data(), devices.size() * 8);
    }
    benchmark::DoNotOptimize(out.Close());
  }
  state.SetBytesProcessed(state.iterations() * kRecordsPerRun * RecordBytes(frames));
}

// Through ArkFile with a record buffer of state.range(1) bytes.
void BM_ArkFileBuffered(benchmark::State& state) {
  const int frames = static_cast<int>(state.range(0));
  const auto buffer = static_cast<std::size_t>(state.range(1));
  const std::vector<std::uint16_t> serial(static_cast<std::size_t>((kWords + 5) * frames), 0x55);
  const auto devices = tessel::ArkDeviceValues(1.0, 1e6, 2);
  tessel::arkheaderstruct header;
  header.BlockSizeSerial = static_cast<std::int32_t>(serial.size() * 2);
  header.BlockSizeDevice = 96;
  header.BlockSizeTotal = header.BlockSizeSerial + 96 + 12;
  header.StatusTagNames = tessel::ArkTagNames();
  for (auto _ : state) {
    tessel::ArkFile file(buffer);
    file.Create(BenchPath());
    tessel::WriteArkHeader(file, header);
    for (int r = 0; r < kRecordsPerRun; ++r) {
      tessel::WriteArkRecord(file, r, serial, devices);
    }
    benchmark::DoNotOptimize(file.Close());
  }
  state.SetBytesProcessed(state.iterations() * kRecordsPerRun * RecordBytes(frames));
}

}  // namespace

BENCHMARK(BM_OutputFileDirect)->Arg(1)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ArkFileBuffered)
    ->ArgsProduct({{1, 16}, {64 << 10, 1 << 20, 4 << 20}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
