#include "tabledata/row_cutter.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tabledata/column_value_text.h"

namespace portalmend {
namespace {

// Complex ids of variable values (first byte, or first 16-bit word when the first byte is 0).
constexpr int kInRowRootSmall = 2;  // in-row root of a value pushed off a full row
constexpr int kInRowRootLarge = 4;  // in-row root of a max-type value
constexpr std::size_t kTextPointerSize = 16;
// The 2000 layout keeps ten columns in every syscomments row.
constexpr std::int16_t kLegacySystemColumnCount = 10;

// Compressed column descriptor codes: up to 9 the value lies among the short (fixed) data,
// 10 and 11 among the long (variable) data.
constexpr std::uint8_t kLastShortCode = 9;
constexpr std::uint8_t kLongCode = 10;
constexpr std::uint8_t kUnusedCode = 11;

int complex_id(ByteReader bytes) {
  const std::optional<std::uint8_t> first = bytes.u8(0);
  if (!first) return -1;
  if (*first != 0) return *first;
  return bytes.u16_or(0);
}

bool binary_display(std::uint32_t code) { return code == kTypeVarbinary || code == kTypeClrOther; }

// The state of one record's cut: the running positions of the readers.
class RecordCutter {
 public:
  RecordCutter(const CPrimaryRecord& record, TableReadContext& context, const RowCutOptions& options,
               const DatabaseFile* file)
      : record_(record), context_(context), options_(options), values_(file) {
    column_count_ = record.column_count();
    if (options.variant == RowCutVariant::kSystemTableRows && options.reader == RowReaderKind::kOrdinal &&
        options.legacy_catalog) {
      column_count_ = kLegacySystemColumnCount;
    }
    if (record.sparse_vector()) sparse_used_.assign(record.sparse_vector()->values.size(), false);
  }

  void cut() {
    // The record stores its columns in order, without the hidden (computed) ones; a stored
    // column beyond the record's own count was added to the table after the row was
    // written, so it is NULL.
    std::int64_t stored = 0;
    for (std::size_t i = 0; i < context_.size(); ++i) {
      if (context_.column(i).hidden()) continue;
      if (++stored > column_count_) {
        context_.set_text(i, kNullText);
      } else {
        cut_column(i);
      }
    }
  }

 private:
  bool leaf() const { return options_.reader == RowReaderKind::kLeafOffset; }
  bool system_rows() const { return options_.variant == RowCutVariant::kSystemTableRows; }
  bool aborted() const { return options_.read.aborted(); }

  std::size_t sparse_count() const {
    return record_.sparse_vector() ? record_.sparse_vector()->values.size() : 0;
  }

  // Bit k of the null bitmap, least significant bit first; 0 without a bitmap.
  bool null_bit(std::int64_t k) const {
    const auto& bitmap = record_.null_bitmap();
    if (!bitmap || k < 0) return false;
    const auto byte = static_cast<std::size_t>(k / 8);
    if (byte >= bitmap->size()) return false;
    return ((*bitmap)[byte] >> (k % 8)) & 1;
  }

  bool column_is_null(const ColumnDescription& column) const {
    if (aborted()) return false;  // a stop in progress decodes rather than drops values
    const std::int64_t p = column.null_bit;
    if (p >= 1 && p <= column_count_) return null_bit(p - 1);
    if (!leaf()) return null_bit(running_column_);
    const std::int64_t q = static_cast<std::int64_t>(column.physical_column_id) -
                           static_cast<std::int64_t>(sparse_count()) - 1;
    if (q >= 1 && q <= column_count_) return null_bit(q);
    return null_bit(static_cast<std::int64_t>(sparse_count()));
  }

  // The compressed descriptor code of column i, when the record has one.
  std::optional<std::uint8_t> compressed_code(std::size_t i) const {
    if (!record_.compressed() || !leaf()) return std::nullopt;
    const auto& parts = record_.compressed_parts();
    if (!parts || i >= parts->codes.size()) return std::nullopt;
    return parts->codes[i];
  }

  void cut_column(std::size_t i) {
    const ColumnDescription& column = context_.column(i);
    if (column.hidden()) return;

    BitColumnState* bits = &bits_;
    ValueShape shape = values_.shape(column, bits);
    bool variable = shape.variable != 0;
    std::int64_t index = running_variable_;
    if (variable && column.leaf_offset < 0) index = -static_cast<std::int64_t>(column.leaf_offset) - 1;

    if (std::optional<std::uint8_t> code = compressed_code(i)) {
      if (*code <= kLastShortCode) {
        variable = false;
      } else if (*code == kLongCode || *code == kUnusedCode) {
        variable = true;
        index = running_variable_;
      }
    }

    if (column.physical_column_id > column_count_) {
      context_.set_physical_column_id(i, column.column_id);
    }
    const ColumnDescription& placed = context_.column(i);

    // NULL: from the null bitmap and the catalog's placement (the leaf-offset variant for
    // system tables takes NULL only from a compressed record's own marks).
    const bool tests_null = !(system_rows() && leaf());
    const bool is_null = tests_null ? column_is_null(placed) : compressed_null(i);
    if (!placed.sparse && ((tests_null && !placed.has_position) || is_null)) {
      if (system_rows() && !leaf() && variable) {
        context_.set_text(i, std::string());
      } else {
        context_.set_text(i, kNullText);
      }
      // A NULL fixed column still takes its bytes in the fixed data.
      if (!variable) running_fixed_ += shape.fixed_size;
      ++running_column_;
      return;
    }

    std::string text;
    std::uint32_t code = placed.type_code;
    if (placed.sparse) {
      text = sparse_value(placed, shape);
    } else if (running_column_ > column_count_) {
      // Nothing left in the record for this column.
    } else if (variable) {
      std::optional<std::string> value = variable_value(placed, shape, index, code);
      ++running_variable_;
      if (!value) {
        // A complex value without bytes: nothing of this row to show.
        context_.set_text(i, std::string());
        return;
      }
      text = std::move(*value);
      ++running_column_;
    } else {
      text = fixed_value(placed, shape);
      ++running_column_;
    }

    // Binary values carry "0x"; a placeholder stands for the value and carries none.
    if (binary_display(code) && text != " " && text != kBinaryPlaceholder && text != kBigBinaryPlaceholder) {
      text = "0x" + text;
    }
    context_.set_text(i, std::move(text));
  }

  // A compressed record marks a NULL column with code 0 (its rebuilt null bitmap says so).
  bool compressed_null(std::size_t i) const {
    if (!record_.compressed()) return false;
    std::optional<std::uint8_t> code = compressed_code(i);
    return code && *code == 0;
  }

  std::string sparse_value(const ColumnDescription& column, ValueShape& shape) {
    std::string text;
    if (!record_.sparse_vector()) return text;
    const auto& entries = record_.sparse_vector()->values;
    for (std::size_t j = 0; j < entries.size(); ++j) {
      const VariableValue& entry = entries[j];
      if (sparse_used_[j] || entry.column_id != column.column_id || !entry.bytes) continue;
      shape.value_length = static_cast<std::int16_t>(entry.length);
      shape.max_length = entry.length;
      text = values_.value_text(shape, column, bytes_of(entry));
      sparse_used_[j] = true;
    }
    return text;
  }

  static ByteReader bytes_of(const VariableValue& entry) {
    if (!entry.bytes) return {};
    const std::size_t length = std::min<std::size_t>(std::max(entry.length, 0), entry.bytes->size());
    return ByteReader(entry.bytes->data(), length);
  }

  // The text of a variable column; nothing for a complex value without bytes. `code` comes
  // back as the type code the binary display step uses.
  std::optional<std::string> variable_value(const ColumnDescription& column, ValueShape& shape,
                                            std::int64_t index, std::uint32_t& code) {
    const std::vector<VariableValue>& entries = record_.variable_values();
    index = legacy_variable_index(column, index);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) return std::string();
    const VariableValue& entry = entries[static_cast<std::size_t>(index)];

    LargeValueFlags flags;
    flags.binary = code == kTypeVarbinary || code == kTypeImage || code == kTypeClrOther;
    if (code == kTypeImage) code = kTypeVarbinary;
    flags.variant = code == kTypeSqlVariant && !(system_rows() && !leaf());
    flags.unicode = code == kTypeNvarchar || code == kTypeNtext;
    const bool xml = code == kTypeXml;
    const bool placeholders = options_.binary_placeholders && !system_rows();
    const bool convert_xml = !(system_rows() && !leaf());

    if (entry.complex) {
      if (!entry.bytes) return std::nullopt;
      const ByteReader bytes = bytes_of(entry);
      if (bytes.size() == kTextPointerSize && bytes.u8_or(0, 1) == 0) {
        if (xml) return convert_xml ? values_.xml_from_text_pointer(bytes) : std::string();
        if (placeholders) return std::string(kBinaryPlaceholder);
        return values_.text_pointer_text(bytes, flags);
      }
      switch (complex_id(bytes)) {
        case kInRowRootSmall:
          if (xml) return convert_xml ? values_.xml_from_root(bytes) : std::string();
          return values_.root_text(bytes, flags);
        case kInRowRootLarge:
          if (xml) {
            if (placeholders && !leaf()) return std::string(kBigBinaryPlaceholder);
            return convert_xml ? values_.xml_from_root(bytes) : std::string();
          }
          if (placeholders) return std::string(kBigBinaryPlaceholder);
          return values_.root_text(bytes, flags);
        default:
          return std::string();
      }
    }
    if (!entry.bytes) return std::string();
    const ByteReader bytes = bytes_of(entry);
    if (flags.variant) return values_.variant_text(bytes);
    shape.value_length = static_cast<std::int16_t>(std::min<std::size_t>(bytes.size(), 0x7FFF));
    return values_.value_text(shape, column, bytes);
  }

  // The ordinal reader in the 2000 layout: an empty entry at the running index gives way to
  // the entry the column's legacy offset names, and the running index moves there.
  std::int64_t legacy_variable_index(const ColumnDescription& column, std::int64_t index) {
    if (leaf() || !options_.legacy_catalog || system_rows()) return index;
    const std::vector<VariableValue>& entries = record_.variable_values();
    index = running_variable_;
    auto usable = [&](std::int64_t k) {
      return k >= 0 && static_cast<std::size_t>(k) < entries.size() && entries[k].bytes && entries[k].length != 0;
    };
    if (!usable(index) && column.legacy_offset < 0) {
      const std::int64_t named = -static_cast<std::int64_t>(column.legacy_offset) - 1;
      if (usable(named)) {
        index = named;
        running_variable_ = named;
      }
    }
    return index;
  }

  std::string fixed_value(const ColumnDescription& column, ValueShape& shape) {
    const auto& fixed = record_.fixed_data();
    if (!fixed) {
      running_fixed_ += shape.fixed_size;
      return std::string();
    }
    const std::int64_t length = static_cast<std::int64_t>(fixed->size());
    const std::int64_t offset = static_cast<std::int64_t>(leaf() ? column.leaf_offset : column.legacy_offset) - 4;
    const bool at_offset = leaf() ? (offset >= 0 && offset <= length) : (offset >= 0 && offset < length);
    std::int64_t start = -1;
    if (at_offset) {
      start = offset;
    } else if (running_fixed_ < length) {
      start = running_fixed_;
    }
    if (start < 0) return std::string();
    shape.max_length = length - start;
    const ByteReader bytes(fixed->data() + start, static_cast<std::size_t>(length - start));
    std::string text = values_.value_text(shape, column, bytes);
    if (!text.empty()) running_fixed_ += values_.bytes_used(shape);
    return text;
  }

  const CPrimaryRecord& record_;
  TableReadContext& context_;
  const RowCutOptions& options_;
  ColumnValueText values_;
  std::int64_t column_count_ = 0;
  std::int64_t running_fixed_ = 0;
  std::int64_t running_variable_ = 0;
  std::int64_t running_column_ = 0;
  BitColumnState bits_;
  std::vector<bool> sparse_used_;
};

}  // namespace

void cut_record(const CPrimaryRecord& record, TableReadContext& context, const RowCutOptions& options,
                const DatabaseFile* file) {
  RecordCutter(record, context, options, file).cut();
}

}  // namespace portalmend
