#include "catalog/row_pieces.h"

#include "values/scsu.h"

namespace portalmend {

std::string utf16_name_text(ByteReader bytes) {
  std::size_t units = bytes.size() / 2;
  for (std::size_t i = 0; i < units; ++i) {
    if (bytes.u16_or(2 * i) == 0) {
      units = i;
      break;
    }
  }
  return Utf16LeToUtf8(bytes.clamp(0, 2 * units));
}

std::string variable_text(const RowPieces& row, std::size_t index) {
  const std::optional<ByteReader> bytes = row.variable_at(index);
  return bytes ? utf16_name_text(*bytes) : std::string();
}

}  // namespace portalmend
