#include "tabledata/column_value_text.h"

#include <utility>
#include <vector>

#include "storage/database_file.h"
#include "storage/lob_value.h"
#include "storage/text_page.h"
#include "values/sql_variant.h"
#include "values/value_text.h"
#include "values/xml_value_text.h"

namespace portalmend {
namespace {

LobRenderOptions render_options(const LargeValueFlags& flags) {
  LobRenderOptions options;
  options.hex = flags.binary;
  options.unicode = flags.unicode;
  options.variant = flags.variant;
  return options;
}

std::string xml_of(const LobValue& value) {
  std::vector<std::uint8_t> joined;
  for (const std::vector<std::uint8_t>& piece : value.pieces) joined.insert(joined.end(), piece.begin(), piece.end());
  const std::string text = xml_value_text(ByteReader(joined));
  return text.empty() ? std::string(" ") : text;
}

}  // namespace

ValueShape ColumnValueText::shape(const ColumnDescription& column, BitColumnState* bits) const {
  return shape_by_type(value_column_of(column), bits);
}

std::string ColumnValueText::value_text(ValueShape& shape, const ColumnDescription& column, ByteReader bytes) const {
  return value_to_text(shape, value_column_of(column), bytes);
}

std::int64_t ColumnValueText::bytes_used(const ValueShape& shape) const {
  return shape.storage_length > 0 ? shape.storage_length : shape.fixed_size;
}

std::string ColumnValueText::variant_text(ByteReader bytes) const {
  return variant_to_text(bytes, static_cast<std::int64_t>(bytes.size()));
}

std::string ColumnValueText::text_pointer_text(ByteReader pointer, const LargeValueFlags& flags) const {
  if (!file_) return " ";
  DatabaseLobSource source(*file_);
  return TextFromTextPointer(source, pointer, render_options(flags), LobWalkLimitsFromSettings());
}

std::string ColumnValueText::root_text(ByteReader root, const LargeValueFlags& flags) const {
  if (!file_) return std::string();
  DatabaseLobSource source(*file_);
  return TextFromInRowRoot(source, root, render_options(flags), LobWalkLimitsFromSettings());
}

std::string ColumnValueText::xml_from_text_pointer(ByteReader pointer) const {
  if (!file_) return " ";
  DatabaseLobSource source(*file_);
  return xml_of(LobAssembler(source, true, LobWalkLimitsFromSettings()).FromTextPointer(pointer));
}

std::string ColumnValueText::xml_from_root(ByteReader root) const {
  if (!file_) return " ";
  DatabaseLobSource source(*file_);
  return xml_of(LobAssembler(source, true, LobWalkLimitsFromSettings()).FromInRowRoot(root));
}

}  // namespace portalmend
