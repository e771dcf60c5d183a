#include "catalog/repair_names.h"

namespace portalmend {

namespace {

constexpr const char* kRepairObjectPrefix = "Repairname";
constexpr const char* kRepairColumnPrefix = "RepairColumn";

std::string made_up(const char* prefix, std::uint64_t& repair_counter) {
  std::string name = prefix + std::to_string(repair_counter);
  ++repair_counter;
  return name;
}

}  // namespace

std::string row_name(const RowPieces& row, NamedRowKind kind, std::uint64_t& repair_counter) {
  std::string name;
  const std::optional<ByteReader> first = row.variable_at(0);
  if (!first) {
    name = made_up(kind == NamedRowKind::kObject ? kRepairObjectPrefix : kRepairColumnPrefix, repair_counter);
  } else {
    name = utf16_name_text(*first);
  }
  if (name.empty()) name = made_up(kRepairColumnPrefix, repair_counter);
  return name;
}

}  // namespace portalmend
