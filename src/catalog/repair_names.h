#pragma once
// Names for catalog rows whose name column did not survive.
//
// The name of an object or column is its first variable-length column. A damaged row may
// lack it, or hold it empty; such a row still describes a real table or column, so it is
// kept under a made-up name numbered by the catalog's repair counter:
//   objects table: no name column            -> "Repairname<n>"
//                  a name column with no text -> "RepairColumn<n>"
//   column tables: either case                -> "RepairColumn<n>"
// The counter restarts at 0 for each of the two tables.

#include <cstdint>
#include <string>

#include "catalog/row_pieces.h"

namespace portalmend {

enum class NamedRowKind { kObject, kColumn };

// The row's name, or a made-up one; advances `repair_counter` for each made-up name.
std::string row_name(const RowPieces& row, NamedRowKind kind, std::uint64_t& repair_counter);

}  // namespace portalmend
