#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "storage/lob_value.h"
#include "support/lob_writer.h"

namespace portalmend {
namespace {

using writer::Bytes;
using writer::LobPageSet;
using writer::LobShape;
using writer::RecordAddress;
using writer::WriterLink;

// Serves the records of a writer's page set, counting reads.
class MemorySource : public LobPageSource {
 public:
  explicit MemorySource(const LobPageSet& pages) : pages_(pages) {}
  std::optional<TextRecord> ReadTextRecord(const LobLink& link) override {
    ++reads;
    auto page = pages_.pages().find({link.file_id, link.page_number});
    if (page == pages_.pages().end() || link.slot >= page->second.size()) return std::nullopt;
    return TextRecord::Decode(ByteReader(page->second[link.slot]));
  }
  int reads = 0;

 private:
  const LobPageSet& pages_;
};

Bytes Utf16(const std::u16string& s) {
  Bytes out;
  for (char16_t c : s) {
    out.push_back(static_cast<std::uint8_t>(c & 0xFF));
    out.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return out;
}

Bytes Pattern(std::size_t n) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
  return out;
}

std::string Render(const LobPageSet& pages, const RecordAddress& root, const LobRenderOptions& options) {
  MemorySource source(pages);
  const Bytes pointer = writer::TextPointer(root);
  return TextFromTextPointer(source, ByteReader(pointer), options);
}

TEST(LobValue, SmallRootsRenderByColumnKind) {
  const struct {
    Bytes data;
    LobRenderOptions options;
    std::string text;
  } cases[] = {
      {Utf16(u"ABC"), {}, "ABC"},                                   // UTF-16 Latin text seen as such
      {Utf16(u"ABC"), {false, true, false, false}, "ABC"},          // ntext
      {Utf16(u"Москва"), {false, true, false, false}, "Москва"},   // never squeezed to low bytes
      {{'c', 'a', 'f', 0xE9, ' ', 0x80}, {}, "café €"},             // text in Windows-1252
      {{'a', 'b', 0, 'c'}, {}, "ab"},                               // 8-bit text ends at a zero byte
      {{0x00, 0xAB, 0x10}, {true, false, false, false}, "00AB10"},  // image
      {{167, 1, 0, 0, 0, 0, 0, 0, 'h', 'i'}, {false, false, true, false}, "hi"},             // variant varchar
      {{165, 1, 0, 0, 0, 0, 0, 0, 0xDE, 0xAD}, {false, false, true, false}, "DEAD"},        // variant varbinary
      {{231, 1, 0, 0, 0, 0, 0, 0, 'x', 0}, {false, false, true, false}, "x"},              // variant nvarchar
  };
  for (const auto& c : cases) {
    LobPageSet pages;
    const RecordAddress root = writer::WriteLobTree(pages, c.data, LobShape::kSmallRoot);
    EXPECT_EQ(Render(pages, root, c.options), c.text) << c.text;
  }
}

TEST(LobValue, SmallRootOfBadLengthIsEmpty) {
  for (std::uint16_t n : {std::uint16_t{0}, std::uint16_t{8193}, std::uint16_t{40}}) {
    Bytes record = writer::SmallRootRecord(1, Bytes(6, 'x'));
    record[14] = static_cast<std::uint8_t>(n & 0xFF);  // length field: data offset 10 + record offset 4
    record[15] = static_cast<std::uint8_t>(n >> 8);
    LobPageSet pages;
    const RecordAddress root = pages.Add(record);
    EXPECT_EQ(Render(pages, root, {}), " ") << n;
  }
}

TEST(LobValue, EveryTreeShapeAssemblesTheWholeValue) {
  const struct {
    LobShape shape;
    std::size_t size;
  } cases[] = {
      {LobShape::kSmallRoot, 5000}, {LobShape::kLargeRoot, 1},  {LobShape::kLargeRoot, 30000},
      {LobShape::kInternalTree, 8040}, {LobShape::kInternalTree, 5'000'000},
  };
  for (const auto& c : cases) {
    const Bytes value = Pattern(c.size);
    LobPageSet pages;
    const RecordAddress root = writer::WriteLobTree(pages, value, c.shape);
    MemorySource source(pages);
    const LobValue out = LobAssembler(source).FromTextPointer(ByteReader(writer::TextPointer(root)));
    EXPECT_TRUE(out.complete) << c.size;
    EXPECT_EQ(out.bytes, value) << c.size;
  }
}

TEST(LobValue, BinaryValueRendersUppercaseHexWithoutPrefix) {
  LobPageSet pages;
  const auto entries = writer::WriteMaxValue(pages, {0x0A, 0xBC, 0xFF}, 1);
  MemorySource source(pages);
  const Bytes root = writer::InRowRoot(entries);
  EXPECT_EQ(TextFromInRowRoot(source, ByteReader(root), {true, false, false, false}), "0ABCFF");
}

TEST(LobValue, InRowRootJoinsEntriesAndSkipsEmptyOnes) {
  const Bytes value = Pattern(50000);
  LobPageSet pages;
  auto entries = writer::WriteMaxValue(pages, value, 1);
  entries.insert(entries.begin() + 1, WriterLink{0, {1, 999, 0}});  // size 0: skipped
  MemorySource source(pages);
  const LobValue out = LobAssembler(source).FromInRowRoot(ByteReader(writer::InRowRoot(entries)));
  EXPECT_TRUE(out.complete);
  EXPECT_EQ(out.bytes, value);
}

TEST(LobValue, InRowRootFileIdAbove1000ReadsFromFile1) {
  LobPageSet pages;
  auto entries = writer::WriteMaxValue(pages, {'o', 'k'}, 1);
  entries[0].target.file_id = 2000;
  MemorySource source(pages);
  EXPECT_EQ(TextFromInRowRoot(source, ByteReader(writer::InRowRoot(entries)), {}), "ok");
}

TEST(LobValue, RowOverflowPointerReadsItsDataRecord) {
  LobPageSet pages;
  const RecordAddress data = pages.Add(writer::DataRecord(7, {'o', 'v', 'e', 'r'}));
  MemorySource source(pages);
  const Bytes pointer = writer::InRowRoot({{4, data}}, 2);
  EXPECT_EQ(TextFromInRowRoot(source, ByteReader(pointer), {}), "over");
}

TEST(LobValue, DamagedTreesEndWithWhatWasRead) {
  // A large root with links: data "AB", a link back to the root, data "CD", a missing page,
  // a slot beyond its page, and data "EF".
  LobPageSet pages;
  const RecordAddress root = pages.AddAlone(writer::LargeRootRecord(1, {}));
  const RecordAddress ab = pages.Add(writer::DataRecord(1, {'A', 'B'}));
  const RecordAddress cd = pages.Add(writer::DataRecord(1, {'C', 'D'}));
  const RecordAddress ef = pages.Add(writer::DataRecord(1, {'E', 'F'}));
  const RecordAddress beyond{1, ab.page_number, 60};
  pages.Replace(root, writer::LargeRootRecord(1, {{2, ab}, {1, root}, {2, cd}, {2, {1, 5000, 0}}, {2, beyond}, {2, ef}}));
  MemorySource source(pages);
  const LobValue out = LobAssembler(source).FromTextPointer(ByteReader(writer::TextPointer(root)));
  EXPECT_FALSE(out.complete);
  EXPECT_EQ(out.bytes, (Bytes{'A', 'B', 'C', 'D', 'E', 'F'}));
}

TEST(LobValue, InternalNodeLinkingItsOwnAncestorEnds) {
  LobPageSet pages;
  const RecordAddress root = pages.AddAlone(writer::LargeRootRecord(1, {}));
  const RecordAddress node = pages.Add(writer::InternalRecord(1, {}));
  const RecordAddress data = pages.Add(writer::DataRecord(1, {'x'}));
  pages.Replace(node, writer::InternalRecord(1, {{1, data}, {2, root}, {3, node}}));
  pages.Replace(root, writer::LargeRootRecord(1, {{3, node}}));
  MemorySource source(pages);
  const LobValue out = LobAssembler(source).FromTextPointer(ByteReader(writer::TextPointer(root)));
  EXPECT_FALSE(out.complete);
  EXPECT_EQ(out.bytes, Bytes{'x'});
  EXPECT_EQ(source.reads, 3);
}

TEST(LobValue, ChainDeeperThanTheLimitEnds) {
  LobPageSet pages;
  RecordAddress below = pages.Add(writer::DataRecord(1, {'z'}));
  for (int i = 0; i < 40; ++i) below = pages.Add(writer::InternalRecord(1, {{1, below}}));
  MemorySource source(pages);
  LobWalkLimits limits;
  limits.max_depth = 10;
  const LobValue out = LobAssembler(source, false, limits).FromTextPointer(ByteReader(writer::TextPointer(below)));
  EXPECT_FALSE(out.complete);
  EXPECT_TRUE(out.bytes.empty());
  EXPECT_EQ(source.reads, 11);
}

TEST(LobValue, StopRequestEndsTheWalk) {
  const Bytes value = Pattern(100000);
  LobPageSet pages;
  const RecordAddress root = writer::WriteLobTree(pages, value, LobShape::kLargeRoot);
  MemorySource source(pages);
  LobWalkLimits limits;
  limits.stop = [&source] { return source.reads >= 3; };
  const LobValue out = LobAssembler(source, false, limits).FromTextPointer(ByteReader(writer::TextPointer(root)));
  EXPECT_FALSE(out.complete);
  EXPECT_EQ(out.bytes, Bytes(value.begin(), value.begin() + 2 * writer::kLobDataPerRecord));
}

TEST(LobValue, CollectModeHandsBackOnePiecePerRecord) {
  const Bytes value = Pattern(20000);
  LobPageSet pages;
  const RecordAddress root = writer::WriteLobTree(pages, value, LobShape::kLargeRoot);
  MemorySource source(pages);
  const LobValue out = LobAssembler(source, true).FromTextPointer(ByteReader(writer::TextPointer(root)));
  ASSERT_EQ(out.pieces.size(), 3u);
  EXPECT_TRUE(out.bytes.empty());
  Bytes joined;
  for (const Bytes& piece : out.pieces) joined.insert(joined.end(), piece.begin(), piece.end());
  EXPECT_EQ(joined, value);
}

TEST(LobValue, UnicodeCharacterSplitAcrossRecordsReadsWhole) {
  // "Ж" (U+0416) split between two data records: low byte in the first, high byte in the second.
  LobPageSet pages;
  const RecordAddress a = pages.Add(writer::DataRecord(1, {'A', 0, 0x16}));
  const RecordAddress b = pages.Add(writer::DataRecord(1, {0x04}));
  const RecordAddress root = pages.AddAlone(writer::LargeRootRecord(1, {{3, a}, {1, b}}));
  EXPECT_EQ(Render(pages, root, {false, true, false, false}), "AЖ");
}

TEST(LobValue, ColumnTypesChooseTheirRendering) {
  const struct {
    std::uint32_t code;
    bool hex, unicode, variant, collect;
  } cases[] = {{16, true, false, false, false}, {25, true, false, false, false}, {11, false, true, false, false},
               {19, false, true, false, false}, {20, false, false, true, false}, {34, false, false, false, true},
               {26, false, false, false, false}, {17, false, false, false, false}};
  for (const auto& c : cases) {
    const LobRenderOptions o = LobRenderOptionsForType(c.code);
    EXPECT_EQ(o.hex, c.hex) << c.code;
    EXPECT_EQ(o.unicode, c.unicode) << c.code;
    EXPECT_EQ(o.variant, c.variant) << c.code;
    EXPECT_EQ(o.collect, c.collect) << c.code;
  }
}

TEST(LobValue, TextPointerOfWrongSizeOrMissingRootReadsBlank) {
  LobPageSet pages;
  MemorySource source(pages);
  EXPECT_EQ(TextFromTextPointer(source, ByteReader(Bytes(12, 0)), {}), " ");
  EXPECT_EQ(TextFromTextPointer(source, ByteReader(writer::TextPointer({1, 77, 0})), {}), " ");
}

}  // namespace
}  // namespace portalmend
