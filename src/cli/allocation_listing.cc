#include "cli/allocation_listing.h"

#include <algorithm>
#include <memory>
#include <string>

#include "storage/lob_render.h"
#include "storage/lob_structure.h"

namespace portalmend::cli {
namespace {

// Longest run of bytes shown as hex digits before it is cut with "...".
constexpr std::size_t kShownBytes = 32;

std::string ShortHex(ByteReader bytes) {
  std::string text = HexDigits(bytes.clamp(0, kShownBytes));
  if (bytes.size() > kShownBytes) text += "...";
  return text;
}

std::string Address(const PageAddress& a) { return std::to_string(a.file_id) + ":" + std::to_string(a.page_number); }

}  // namespace

void print_iam_page(std::FILE* out, const IamPage& page) {
  std::fprintf(out, "IAM start page: %s\n", Address(page.start_page()).c_str());
  std::fprintf(out, "IAM single pages:");
  for (const PageAddress& single : page.single_pages()) std::fprintf(out, " %s", Address(single).c_str());
  std::fprintf(out, "\n");
  const auto extents = page.extent_list();
  std::fprintf(out, "IAM extents: %zu\n", extents.size());
  for (const ExtentEntry& extent : extents) {
    std::fprintf(out, "  extent %s-%d\n", Address(extent.first).c_str(), extent.last_page);
  }
}

void print_text_page(std::FILE* out, const TextMixPage& page) {
  std::fprintf(out, "text records: %zu\n", page.records().size());
  for (std::size_t slot = 0; slot < page.records().size(); ++slot) {
    const auto& record = page.records()[slot];
    if (!record) {
      std::fprintf(out, "  slot %zu: no record\n", slot);
      continue;
    }
    const std::uint16_t type = record->structure_type();
    std::fprintf(out, "  slot %zu: blob id %llu, %s (type %u)", slot,
                 static_cast<unsigned long long>(record->blob_id()), LobStructureTypeName(type), unsigned{type});
    TextRecord copy = *record;
    const std::unique_ptr<LobStructureBase> structure = MakeLobStructure(std::move(copy));
    if (!structure) {
      std::fprintf(out, ", no value\n");
      continue;
    }
    if (!structure->links().empty() || type == kLobInternal || type >= kLobLargeRootYukon4) {
      std::fprintf(out, ", %zu links\n", structure->links().size());
      for (const LobLink& link : structure->links()) {
        std::fprintf(out, "    -> %u:%d slot %u (%s %llu)\n", unsigned{link.file_id}, link.page_number,
                     unsigned{link.slot}, type == kLobInternal ? "offset" : "end",
                     static_cast<unsigned long long>(link.offset_or_size));
      }
    } else {
      std::fprintf(out, ", %zu data bytes: %s\n", structure->data().size(), ShortHex(structure->data()).c_str());
    }
  }
}

void print_compression_info(std::FILE* out, const PageCompressionInfo& info) {
  std::fprintf(out, "compression information: flags 0x%02X, size %u, dictionary offset %u\n", unsigned{info.flags},
               unsigned{info.size}, unsigned{info.dictionary_offset});
  std::fprintf(out, "anchor values: %zu\n", info.anchor_values.size());
  for (std::size_t i = 0; i < info.anchor_values.size(); ++i) {
    const AnchorColumnValue& value = info.anchor_values[i];
    if (value.kind == AnchorColumnValue::Kind::kNull) {
      std::fprintf(out, "  column %zu: NULL\n", i);
    } else if (value.kind == AnchorColumnValue::Kind::kEmpty) {
      std::fprintf(out, "  column %zu: empty\n", i);
    } else {
      std::fprintf(out, "  column %zu: %zu bytes %s\n", i, value.bytes.size(), ShortHex(ByteReader(value.bytes)).c_str());
    }
  }
  std::fprintf(out, "dictionary entries: %zu\n", info.dictionary.size());
  for (std::size_t i = 0; i < info.dictionary.size(); ++i) {
    std::fprintf(out, "  entry %zu: %zu bytes %s\n", i, info.dictionary[i].size(),
                 ShortHex(ByteReader(info.dictionary[i])).c_str());
  }
}

void print_page_contents(std::FILE* out, const CPage_Header& header, const std::vector<std::uint8_t>& raw,
                         const DatabaseFile& file) {
  constexpr std::uint8_t kTextMixPage = 3, kTextTreePage = 4;
  if (header.page_type() == CPage_Header::kIamPage) {
    ReadOptions options;
    options.poll_abort = false;
    print_iam_page(out, IamPage(raw, &file, options));
  } else if (header.page_type() == kTextMixPage || header.page_type() == kTextTreePage) {
    print_text_page(out, TextMixPage(raw, &file));
  }
  if (header.has_compression_info()) {
    if (auto info = ReadCompressionInfo(ByteReader(raw.data(), std::min(raw.size(), std::size_t{8192})))) {
      print_compression_info(out, *info);
    } else {
      std::fprintf(out, "compression information: none (size 0)\n");
    }
  }
}

}  // namespace portalmend::cli
