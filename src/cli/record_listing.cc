#include "cli/record_listing.h"

#include <string>
#include <vector>

namespace portalmend::cli {

namespace {

const char* record_type_name(std::uint8_t type) {
  static const char* const kNames[] = {"primary",    "forwarded",  "forwarding stub", "index",
                                       "blob fragment", "ghost index", "ghost data",      "ghost version"};
  return type < 8 ? kNames[type] : "?";
}

std::string flags_of(const CPrimaryRecord& record) {
  std::vector<const char*> flags;
  if (record.compressed()) flags.push_back("compressed");
  if (record.has_null_bitmap()) flags.push_back("null-bitmap");
  if (record.has_variable_columns()) flags.push_back("variable");
  if (record.has_versioning()) flags.push_back("versioning");
  if (record.status_b_flag()) flags.push_back("status-b");
  if (record.deleted()) flags.push_back("deleted");
  if (record.rejected()) flags.push_back("rejected");
  if (record.is_forwarding_stub() && record.fixed_length() == kMissingForwardTarget) flags.push_back("target-missing");
  if (record.sparse_vector()) flags.push_back("sparse");
  std::string text;
  for (const char* flag : flags) {
    if (!text.empty()) text += ',';
    text += flag;
  }
  return text.empty() ? "-" : text;
}

std::string hex_of(const std::vector<std::uint8_t>& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text.empty() ? "-" : text;
}

std::string variable_of(const CPrimaryRecord& record) {
  if (record.variable_values().empty()) return "-";
  std::string text;
  for (const VariableValue& value : record.variable_values()) {
    if (!text.empty()) text += ' ';
    text += std::to_string(value.bytes ? value.length : 0);
    if (value.complex) text += '*';
  }
  return text;
}

}  // namespace

void print_boot_info(std::FILE* out, const std::optional<BootInfo>& boot, const CollationTable& table) {
  if (!boot) {
    std::fprintf(out, "boot page: not found\n");
    return;
  }
  // Version texts from the table begin with a blank; the unknown one does not.
  const auto version_line = [](std::uint16_t version) {
    const std::string text = version_text(version);
    return std::to_string(version) + (text.rfind(' ', 0) == 0 ? "" : " ") + text;
  };
  std::fprintf(out, "boot page: %lld (page shift %lld)\n", static_cast<long long>(boot->position),
               static_cast<long long>(boot->page_shift));
  std::fprintf(out, "version: %s\n", version_line(boot->version).c_str());
  std::fprintf(out, "created with version: %s\n", version_line(boot->create_version).c_str());
  std::fprintf(out, "database name: %s\n", boot->database_name.c_str());
  ChosenCollation chosen;
  if (choose_collation(table, boot->collation_id, true, 0, chosen)) {
    std::fprintf(out, "collation: %d %s (code page %d)\n", boot->collation_id, chosen.name.c_str(), chosen.code_page);
  } else {
    std::fprintf(out, "collation: %d (not in the collation table)\n", boot->collation_id);
  }
}

void print_page_records(std::FILE* out, const PrimaryRecordPage& page) {
  const auto& records = page.records();
  const std::size_t slotted = records.size() - static_cast<std::size_t>(page.carved_count());
  std::fprintf(out, "records: %zu", records.size());
  if (page.carved_count() > 0) std::fprintf(out, " (%d carved)", page.carved_count());
  std::fprintf(out, "\n");
  if (records.empty()) return;
  std::fprintf(out, "%-6s %-6s %-15s %-40s %6s %7s %-12s %-24s %6s\n", "slot", "offset", "type", "flags", "fixed",
               "columns", "null bitmap", "variable lengths", "length");
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string slot = i < slotted ? std::to_string(i) : std::to_string(i) + "c";
    const unsigned offset = i < page.record_offsets().size() ? page.record_offsets()[i] : 0u;
    const std::unique_ptr<CPrimaryRecord>& record = records[i];
    if (!record) {
      std::fprintf(out, "%-6s %-6u (empty)\n", slot.c_str(), offset);
      continue;
    }
    std::fprintf(out, "%-6s %-6u %-15s %-40s %6d %7d %-12s %-24s %6d\n", slot.c_str(), offset,
                 record_type_name(record->record_type()), flags_of(*record).c_str(), record->fixed_length(),
                 record->column_count(), record->null_bitmap() ? hex_of(*record->null_bitmap()).c_str() : "-",
                 variable_of(*record).c_str(), record->record_length());
  }
}

}  // namespace portalmend::cli
