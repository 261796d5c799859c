// The root search of the version reader over 16 MiB: zeros, and blocks of nested
// root-key nodes (each the only child of the one before, the innermost unreadable),
// which once made the search quadratic within each block.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "about/version_info.h"

namespace bitvane {
namespace {

constexpr std::size_t kFileSize = 16u << 20;
constexpr std::size_t kBlockSize = 65536;

void PutU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

// One 64 KiB block: as many 40-byte levels as a 16-bit length allows, then zeros.
std::vector<std::uint8_t> NestedBlock() {
  const std::u16string key = NVersionInfo::RootKey();
  const std::size_t level = (6 + 2 * (key.size() + 1) + 3) / 4 * 4;
  const std::size_t depth = 0xFFFF / level;
  std::vector<std::uint8_t> block(kBlockSize, 0);
  for (std::size_t i = 0; i < depth; ++i) {
    const std::size_t at = i * level;
    PutU16(block, at, static_cast<std::uint16_t>((depth - i) * level));
    PutU16(block, at + 4, i + 1 == depth ? 2 : 1);  // type 2: the innermost fails
    for (std::size_t c = 0; c < key.size(); ++c) PutU16(block, at + 6 + 2 * c, key[c]);
  }
  return block;
}

void Search(benchmark::State& state, const std::vector<std::uint8_t>& file) {
  for (auto _ : state) {
    NVersionInfo info;
    benchmark::DoNotOptimize(info.LoadBlock(file.data(), file.size()));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void BM_RootSearch_Zeros16MiB(benchmark::State& state) {
  Search(state, std::vector<std::uint8_t>(kFileSize, 0));
}
BENCHMARK(BM_RootSearch_Zeros16MiB)->Unit(benchmark::kMillisecond);

void BM_RootSearch_NestedRoots16MiB(benchmark::State& state) {
  const std::vector<std::uint8_t> block = NestedBlock();
  std::vector<std::uint8_t> file;
  file.reserve(kFileSize);
  while (file.size() < kFileSize) file.insert(file.end(), block.begin(), block.end());
  Search(state, file);
}
BENCHMARK(BM_RootSearch_NestedRoots16MiB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bitvane
