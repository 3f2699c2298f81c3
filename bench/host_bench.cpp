// Google Benchmark timings of the platform-free code on the host: the search keyword's form
// encoding, and reading the program's own skin archive (assets/skin/MiniKorvel.askin) from
// memory, as the program reads it from its resource at start.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive.h"
#include "encoding.h"
#include "skin.h"

namespace {

// The search field's default keyword and two other shapes of input.
const std::u16string kChineseKeyword = u"手饰";
const std::string kAsciiKeyword = "silver ring 925";

std::string MixedText(size_t size) {
  const std::string pattern = "Lumivar 手工编织手链 ¥39.00 & 珍珠耳饰/复古银戒指? ";
  std::string text;
  while (text.size() < size) text += pattern;
  text.resize(size);
  return text;
}

std::string EveryByteOnce() {
  std::string text;
  for (int value = 1; value < 256; ++value) text += char(value);
  return text;
}

void FormEncodeOf(benchmark::State& state, const std::string& input) {
  for (auto _ : state) {
    std::string encoded = portal::FormEncode(input);
    benchmark::DoNotOptimize(encoded);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(input.size()));
}

void BM_FormEncode_Keyword(benchmark::State& state) {
  FormEncodeOf(state, portal::Utf16ToUtf8(kChineseKeyword));
}
void BM_FormEncode_Ascii(benchmark::State& state) { FormEncodeOf(state, kAsciiKeyword); }
void BM_FormEncode_Mixed1KiB(benchmark::State& state) { FormEncodeOf(state, MixedText(1024)); }
void BM_FormEncode_EveryByte(benchmark::State& state) { FormEncodeOf(state, EveryByteOnce()); }

// The whole keyword step of a search: UTF-16 text to UTF-8, encoded, widened back.
void BM_SearchKeyword_Utf16ToQuery(benchmark::State& state) {
  for (auto _ : state) {
    std::u16string query =
        portal::AsciiToUtf16(portal::FormEncode(portal::Utf16ToUtf8(kChineseKeyword)));
    benchmark::DoNotOptimize(query);
  }
}

const std::vector<std::uint8_t>& SkinBytes() {
  static const std::vector<std::uint8_t> bytes = [] {
    const auto path = std::filesystem::path(MK_SOURCE_DIR) / "assets/skin/MiniKorvel.askin";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), {});
  }();
  return bytes;
}

void BM_Skin_ReadArchive(benchmark::State& state) {
  const auto& bytes = SkinBytes();
  for (auto _ : state) {
    skin::Archive archive = skin::ReadArchive(bytes);
    benchmark::DoNotOptimize(archive);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

void BM_Skin_Load(benchmark::State& state) {
  const auto& bytes = SkinBytes();
  for (auto _ : state) {
    skin::Skin loaded = skin::Skin::Load(bytes);
    benchmark::DoNotOptimize(loaded);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

// Load and every image member decoded: all the skin work of a start.
void BM_Skin_LoadAndDecodeImages(benchmark::State& state) {
  const auto& bytes = SkinBytes();
  for (auto _ : state) {
    skin::Skin loaded = skin::Skin::Load(bytes);
    for (const skin::Member& member : loaded.Members().members) {
      if (skin::SameName(member.name, "Options.dat")) continue;
      auto image = loaded.MemberImage(member.name);
      benchmark::DoNotOptimize(image);
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
}

}  // namespace

BENCHMARK(BM_FormEncode_Keyword);
BENCHMARK(BM_FormEncode_Ascii);
BENCHMARK(BM_FormEncode_EveryByte);
BENCHMARK(BM_FormEncode_Mixed1KiB);
BENCHMARK(BM_SearchKeyword_Utf16ToQuery);
BENCHMARK(BM_Skin_ReadArchive)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Skin_Load)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Skin_LoadAndDecodeImages)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
