#pragma once
// Assembling a large-object value from the pointer a row holds.
//
// Row pointers that lead into a tree of text-page records:
// - Text pointer (16-byte complex value of text, ntext and image columns):
//   | 0 | 8 | timestamp | 8 | 4 | page number | 12 | 2 | file id | 14 | 2 | slot of the root |
// - In-row root (complex value with complex id 2 or 4: max types and row-overflow columns):
//   a 12-byte header, then entries of 12 bytes to the end of the value:
//   | 0 | 4 | size | 4 | 4 | page number | 8 | 2 | file id | 10 | 2 | slot |
//   Entries whose size is 0 or negative are skipped; a file id above 1000 is read as file 1.
//
// The walk follows links depth first, in order, and joins the bytes of the leaves. It never
// reads the same (file, page, slot) twice and never goes deeper than a fixed limit, so a
// damaged tree whose links lead back to an ancestor or into a cycle ends with what was read
// so far. Rendering happens once on the joined bytes (see lob_render.h).

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "storage/byte_reader.h"
#include "storage/lob_render.h"
#include "storage/lob_structure.h"
#include "storage/text_record.h"

namespace portalmend {

// Where the walk gets its records from (text pages of a data file, or pages built in memory).
class LobPageSource {
 public:
  virtual ~LobPageSource() = default;
  // The text record at slot of the page, or nothing when the page cannot be read or the slot
  // holds no record.
  virtual std::optional<TextRecord> ReadTextRecord(const LobLink& link) = 0;
};

struct LobWalkLimits {
  // Deepest level followed below the row's pointer (real trees are a few levels deep).
  int max_depth = 32;
  // Polled before every record; returning true ends the walk with what was read so far.
  std::function<bool()> stop;
};

// An assembled value.
struct LobValue {
  // The value's bytes in order (empty in collect mode).
  std::vector<std::uint8_t> bytes;
  // Collect mode: the leaves' bytes, one piece per record, in order.
  std::vector<std::vector<std::uint8_t>> pieces;
  // False when a link led to a missing record, an unusable structure, a record already
  // visited, below the depth limit, or the walk was stopped.
  bool complete = true;
  // Records read during the walk.
  std::size_t records_read = 0;
};

class LobAssembler {
 public:
  static constexpr std::size_t kTextPointerSize = 16;
  static constexpr std::size_t kTextPointerPageOffset = 8;
  static constexpr std::size_t kInRowRootHeaderSize = 12;
  static constexpr std::size_t kInRowRootEntrySize = 12;
  static constexpr std::uint16_t kHighestFileId = 1000;
  // Most bytes reserved ahead for a value whose root announces its length.
  static constexpr std::uint64_t kMaxReserve = 256u * 1024 * 1024;

  LobAssembler(LobPageSource& source, bool collect = false, LobWalkLimits limits = {})
      : source_(source), collect_(collect), limits_(std::move(limits)) {}

  // The value a 16-byte text pointer leads to.
  LobValue FromTextPointer(ByteReader pointer);
  // The value of an in-row root (complex id 2 or 4), all entries joined.
  LobValue FromInRowRoot(ByteReader value);
  // The value of the tree below one link.
  LobValue FromLink(const LobLink& link);

 private:
  void Walk(const LobLink& link, int depth, LobValue& out);

  LobPageSource& source_;
  bool collect_;
  LobWalkLimits limits_;
  std::set<std::uint64_t> visited_;
};

// The links an in-row root holds (entries with a size above 0).
std::vector<LobLink> InRowRootLinks(ByteReader value);
// The link a text pointer holds, or nothing when it is not 16 bytes.
std::optional<LobLink> TextPointerLink(ByteReader pointer);

// Text of the value behind a text pointer; an empty value reads " " (one space).
std::string TextFromTextPointer(LobPageSource& source, ByteReader pointer, const LobRenderOptions& options,
                                const LobWalkLimits& limits = {});
// Text of the value behind an in-row root.
std::string TextFromInRowRoot(LobPageSource& source, ByteReader value, const LobRenderOptions& options,
                              const LobWalkLimits& limits = {});

}  // namespace portalmend
