#include "values/scsu.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace portalmend {
namespace {

std::vector<std::uint8_t> Hex(const std::string& text) {
  std::vector<std::uint8_t> out;
  std::istringstream in(text);
  std::string byte;
  while (in >> byte) out.push_back(static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
  return out;
}

struct Vector {
  const char* bytes;
  const char* text;
};

// The vectors of the SCSU notes: two from the standard, six real compressed rows, four of ours.
const Vector kVectors[] = {
    {"D6 6C 20 66 6C 69 65 DF 74", "Öl fließt"},
    {"12 9C BE C1 BA B2 B0", "Москва"},
    {"61", "a"},
    {"12 E8 E8 E8 E8 E8 E8 E8 E8 E8 E8", "ѨѨѨѨѨѨѨѨѨѨ"},
    {"08 DE 15 A7 82 CC 08 DE A7 82 CC", "～であれ～であれ"},
    {"20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 20 10", "                    "},
    {"31 32 33 34 35 36 37 38 39 30 10", "1234567890"},
    {"15 A7 A7 A7 41 41 41 41 41 41 A7 A7 41 A7 58", "でででAAAAAAででAでX"},
    {"0F 30 42 30 44 E0 41", "あいA"},
    {"0E 30 42", "あ"},
    {"0F E9 08 81", "Ё"},
    {"02 41", "Á"},
    {"0B 20 01 81", "\xF0\x90\x82\x81"},  // U+10081 from an extended window
};

TEST(Scsu, DecodesEveryReferenceVector) {
  for (const Vector& v : kVectors) {
    const auto bytes = Hex(v.bytes);
    EXPECT_EQ(DecodeScsu(ByteReader(bytes)), v.text) << v.bytes;
  }
}

TEST(Scsu, DamagedInputGivesReplacementAndKeepsTheRest) {
  const struct {
    const char* bytes;
    const char* text;
  } cases[] = {
      {"41 0C 42", "A\xEF\xBF\xBD" "B"},    // reserved tag
      {"41 18 00 42", "A\xEF\xBF\xBD" "B"}, // reserved window offset
      {"41 01", "A\xEF\xBF\xBD"},           // quote cut off by the end
      {"41 0E 30", "A\xEF\xBF\xBD"},        // SQU cut off
      {"0F 30", "\xEF\xBF\xBD"},            // Unicode unit cut off
      {"0F D8 00 00 41", "\xEF\xBF\xBD" "A"},  // lone high surrogate
      {"0F F2 00 41", "\xEF\xBF\xBD" "A"},  // reserved Unicode-mode tag
      {"", ""},
  };
  for (const auto& c : cases) {
    const auto bytes = Hex(c.bytes);
    EXPECT_EQ(DecodeScsu(ByteReader(bytes)), c.text) << c.bytes;
  }
}

TEST(Scsu, CompressedUnicodeTellsSchemeByLengthParity) {
  const auto plain = Hex("41 00 42 00");
  EXPECT_EQ(CompressedUnicodeToUtf16Le(ByteReader(plain)), plain);
  const auto packed = Hex("41 42 10");
  EXPECT_EQ(CompressedUnicodeToUtf16Le(ByteReader(packed)), plain);
}

TEST(Scsu, Utf16LeToUtf8CombinesSurrogatePairs) {
  const auto bytes = Hex("3D D8 00 DE 41 00 FF");  // U+1F600, 'A', trailing odd byte
  EXPECT_EQ(Utf16LeToUtf8(ByteReader(bytes)), "\xF0\x9F\x98\x80" "A");
}

// Random text drawn from blocks that exercise every window kind of the scheme.
std::u32string RandomText(std::mt19937& rng) {
  static const std::pair<char32_t, char32_t> kBlocks[] = {
      {0x20, 0x7E},       {0xA0, 0xFF},       {0x100, 0x17F},     {0x400, 0x4FF},
      {0x600, 0x6FF},     {0x900, 0x97F},     {0x3041, 0x3096},   {0x30A1, 0x30FA},
      {0x4E00, 0x4FFF},   {0xAC00, 0xAD00},   {0xFF01, 0xFF5E},   {0x1F600, 0x1F64F},
      {0x10000, 0x1007F}, {0x2000, 0x206F},   {0x0300, 0x036F},   {0x0370, 0x03FF},
  };
  std::uniform_int_distribution<std::size_t> block_pick(0, std::size(kBlocks) - 1);
  std::uniform_int_distribution<int> run_length(1, 12);
  std::uniform_int_distribution<int> runs(1, 8);
  std::u32string text;
  for (int r = runs(rng); r > 0; --r) {
    const auto [lo, hi] = kBlocks[block_pick(rng)];
    std::uniform_int_distribution<char32_t> pick(lo, hi);
    for (int n = run_length(rng); n > 0; --n) text.push_back(pick(rng));
  }
  return text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Scsu, RoundTripsTextEncodedByIcu) {
  if (std::system("command -v uconv >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "uconv (icu-devtools) is not installed";
  }
  char dir_template[] = "/tmp/scsu_test_XXXXXX";
  ASSERT_NE(mkdtemp(dir_template), nullptr);
  const std::string dir = dir_template;
  std::mt19937 rng(20260611);
  for (int round = 0; round < 40; ++round) {
    std::string utf8;
    for (char32_t c : RandomText(rng)) AppendUtf8(utf8, c);
    const std::string in = dir + "/in.txt", out = dir + "/out.scsu";
    std::ofstream(in, std::ios::binary) << utf8;
    const std::string command = "uconv -f UTF-8 -t SCSU -o " + out + " " + in;
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string encoded = ReadFile(out);
    const ByteReader bytes(reinterpret_cast<const std::uint8_t*>(encoded.data()), encoded.size());
    EXPECT_EQ(DecodeScsu(bytes), utf8) << "round " << round;
  }
  std::system(("rm -rf " + dir).c_str());
}

}  // namespace
}  // namespace portalmend
