// The fast frame synchroniser against the step-by-step reference, in Mbit/s of PCM:
// a locked stream (256 sixteen-bit words; 652-bit frames of 10-bit words) and a random
// stream that never locks (every call a failed search over one frame's worth of bit
// positions). Ends with the speed-up of the fast synchroniser per stream.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "pcm/frame_sync.h"
#include "pcm/frame_sync_reference.h"

namespace {

using tessel::decomsetupstruct;

enum Stream { kLocked16, kLocked652, kRandom16 };
const char* const kStreamNames[] = {"locked 256x16-bit", "locked 652-bit (10-bit words)",
                                    "random, never locks"};

struct BenchStream {
  std::unique_ptr<decomsetupstruct> setup = std::make_unique<decomsetupstruct>();
  std::vector<std::uint16_t> words;  // whole chunks; played in a loop
};

// Appends the low `bits` bits of value to a bit string packed in 16-bit words.
class BitPacker {
 public:
  void Add(std::uint64_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (used_ % 16 == 0) words_.push_back(0);
      if ((value >> i) & 1U)
        words_.back() = static_cast<std::uint16_t>(words_.back() | (0x8000U >> (used_ % 16)));
      ++used_;
    }
  }
  std::vector<std::uint16_t> words_;
  std::size_t used_ = 0;
};

BenchStream MakeStream(Stream kind) {
  BenchStream s;
  tessel::SetDecomDefaults(*s.setup);
  std::mt19937_64 rng(42);
  BitPacker bits;
  if (kind == kLocked652) {
    s.setup->WordsPerFrame = 64;
    s.setup->WdArray[0].iWdLen = 16;
    s.setup->WdArray[1].iWdLen = 16;
    for (int j = 2; j < 64; ++j) s.setup->WdArray[j].iWdLen = 10;
    s.setup->eSyncMethod = tessel::kSyncMethodNone;
    s.setup->NumSubframes = 1;
    // 160 frames of 652 bits are 163 chunks of 640 bits: the loop stays in step.
    for (int f = 0; f < 160; ++f) {
      bits.Add(0xFE6B2840U, 32);
      for (int w = 0; w < 62; ++w) bits.Add(rng(), 10);
    }
  } else if (kind == kLocked16) {
    for (int f = 0; f < 64; ++f) {
      bits.Add(0xFE6B2840U, 32);
      bits.Add(static_cast<std::uint64_t>(f), 16);
      for (int w = 0; w < 253; ++w) bits.Add(rng(), 16);
    }
  } else {
    for (int i = 0; i < 64 * 256; ++i) bits.Add(rng(), 16);
  }
  s.words = std::move(bits.words_);
  return s;
}

template <typename Sync>
void BM_FrameSync(benchmark::State& state) {
  const auto kind = static_cast<Stream>(state.range(0));
  const BenchStream stream = MakeStream(kind);
  Sync sync;
  if (!sync.Setup(true, *stream.setup)) {
    state.SkipWithError("setup refused");
    return;
  }
  const auto chunk = static_cast<std::size_t>(sync.chunk_units());
  const std::span<const std::uint16_t> all(stream.words);
  std::size_t at = 0;
  std::int64_t locked = 0;
  for (auto _ : state) {
    if (at + chunk > all.size()) at = 0;
    locked += sync.Process(all.subspan(at, chunk)) ? 1 : 0;
    at += chunk;
  }
  benchmark::DoNotOptimize(locked);
  const double bits = 16.0 * static_cast<double>(chunk) * static_cast<double>(state.iterations());
  state.counters["Mbit/s"] = benchmark::Counter(bits / 1e6, benchmark::Counter::kIsRate);
  state.counters["locked"] = static_cast<double>(locked) / static_cast<double>(state.iterations());
  state.SetLabel(kStreamNames[kind]);
}

BENCHMARK_TEMPLATE(BM_FrameSync, tessel::referenceframesyncclass)->DenseRange(0, 2);
BENCHMARK_TEMPLATE(BM_FrameSync, tessel::pcmframesyncclass)->DenseRange(0, 2);

// The console output, then per stream the fast synchroniser's Mbit/s over the reference's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto it = run.counters.find("Mbit/s");
      if (it == run.counters.end()) continue;
      const bool fast = run.benchmark_name().find("pcmframesyncclass") != std::string::npos;
      (fast ? fast_ : reference_)[run.report_label] = it->second.value;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [label, fast] : fast_) {
      const auto ref = reference_.find(label);
      if (ref == reference_.end() || ref->second <= 0) continue;
      std::printf("%-32s fast %9.1f Mbit/s, reference %8.1f Mbit/s, ratio %6.1f\n", label.c_str(),
                  fast, ref->second, fast / ref->second);
    }
  }

 private:
  std::map<std::string, double> fast_;
  std::map<std::string, double> reference_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
