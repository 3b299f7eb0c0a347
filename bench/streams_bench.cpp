// The bit stream as the frame synchroniser uses it: one chunk written, then the bits
// read one at a time (searching) or in 10-bit fields (locked). Compared with a
// straightforward first-in first-out that takes bits from one 16-bit word at a time.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

#include "ch10/streams.h"

namespace {

constexpr std::size_t kChunkWords = 40;  // 652-bit frames: 640 bits per chunk

std::vector<std::uint16_t> RandomChunk() {
  std::mt19937 rng(7);
  std::vector<std::uint16_t> chunk(kChunkWords);
  for (auto& w : chunk) w = static_cast<std::uint16_t>(rng());
  return chunk;
}

// Straightforward: a deque of words and the bits left of the current word.
class SimpleBitFifo {
 public:
  void Write(const std::vector<std::uint16_t>& chunk) {
    words_.insert(words_.end(), chunk.begin(), chunk.end());
  }
  std::uint32_t ReadBits(int n) {
    std::uint32_t result = 0;
    while (n > 0) {
      if (left_ == 0) {
        if (words_.empty()) return result << n;
        word_ = words_.front();
        words_.pop_front();
        left_ = 16;
      }
      const int take = n < left_ ? n : left_;
      left_ -= take;
      result =
          (result << take) | ((static_cast<std::uint32_t>(word_) >> left_) & ((1U << take) - 1U));
      n -= take;
    }
    return result;
  }

 private:
  std::deque<std::uint16_t> words_;
  std::uint16_t word_ = 0;
  int left_ = 0;
};

template <typename Stream>
void ReadChunks(benchmark::State& state, Stream& stream, int field_bits) {
  const std::vector<std::uint16_t> chunk = RandomChunk();
  const int reads = static_cast<int>(kChunkWords * 16) / field_bits;
  std::uint32_t sink = 0;
  for (auto _ : state) {
    stream.Write(chunk);
    for (int i = 0; i < reads; ++i) sink ^= stream.ReadBits(field_bits);
  }
  benchmark::DoNotOptimize(sink);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kChunkWords * 2));
}

void BM_BitStream(benchmark::State& state) {
  tessel::ch10bitstreamclass stream(kChunkWords);
  ReadChunks(state, stream, static_cast<int>(state.range(0)));
}

void BM_SimpleFifo(benchmark::State& state) {
  SimpleBitFifo stream;
  ReadChunks(state, stream, static_cast<int>(state.range(0)));
}

BENCHMARK(BM_BitStream)->Arg(1)->Arg(10)->Arg(32);
BENCHMARK(BM_SimpleFifo)->Arg(1)->Arg(10)->Arg(32);

}  // namespace

BENCHMARK_MAIN();
