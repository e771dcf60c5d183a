#include "storage/compression_rebuild.h"

#include <algorithm>

#include "values/scsu.h"

namespace portalmend {
namespace {

// Internal type codes this file treats specially.
enum TypeCode : std::uint32_t {
  kBigint = 0, kBinary = 1, kBit = 2, kChar = 3, kDatetime = 4, kDate = 5, kTime = 6,
  kDatetime2 = 7, kDatetimeOffset = 8, kInt = 9, kNchar = 10, kNvarchar = 11, kSmallint = 13,
  kTinyint = 14, kUniqueidentifier = 15, kVarbinary = 16, kVarchar = 17, kNtext = 19,
  kMoney = 21, kFloat = 22, kNumeric = 23, kDecimal = 24, kImage = 25, kText = 26,
  kSmalldatetime = 27, kReal = 28, kSmallmoney = 29, kTimestamp = 30, kXml = 34,
};

bool HoldsRow(int record_type) {
  constexpr int kPrimary = 0, kForwarded = 1, kGhostData = 6;
  return record_type == kPrimary || record_type == kForwarded || record_type == kGhostData;
}

bool AlwaysVariable(std::uint32_t code) {
  return code == kVarbinary || code == kVarchar || code == kImage || code == kXml ||
         code == kNtext || code == kText;
}

// Size of a fixed column when its declared length is unknown.
int DefaultFixedSize(std::uint32_t code) {
  switch (code) {
    case kDate: return 3;
    case kTime: return 5;
    case kDatetimeOffset: return 10;
    case kInt: case kSmalldatetime: case kReal: case kSmallmoney: return 4;
    case kSmallint: return 2;
    case kTinyint: case kBit: return 1;
    case kUniqueidentifier: return 16;
    case kNumeric: return 19;
    default: return 8;
  }
}

std::vector<std::uint8_t> ApplyPrefix(ByteReader value, const AnchorColumnValue* anchor) {
  if (!anchor || !anchor->has_bytes() || value.empty()) return value.to_vector();
  const std::size_t prefix = *value.u8(0);
  if (anchor->bytes.size() < prefix) return value.to_vector();
  std::vector<std::uint8_t> out(anchor->bytes.begin(), anchor->bytes.begin() + static_cast<std::ptrdiff_t>(prefix));
  const ByteReader rest = value.tail(1);
  out.insert(out.end(), rest.data(), rest.data() + rest.size());
  return out;
}

std::uint8_t PadByte(std::uint32_t code, std::size_t position) {
  if (code == kChar) return 0x20;
  if (code == kNchar) return position % 2 == 0 ? 0x20 : 0x00;
  return 0x00;
}

class Rebuilder {
 public:
  Rebuilder(const CompressedRecordParts& record, const PageCompressionInfo* info,
            const std::vector<CompressedColumn>& columns)
      : record_(record), info_(info), columns_(columns) {}

  RebuiltRecord Run() {
    out_.null_bitmap.assign((columns_.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
      RebuiltColumn column = Expand(i);
      Place(i, column);
      out_.columns.push_back(std::move(column));
    }
    return std::move(out_);
  }

 private:
  // The column's value as the record stores it, with anchor and dictionary applied.
  RebuiltColumn Expand(std::size_t i) {
    RebuiltColumn column;
    const std::uint8_t code = record_.code(i);
    const AnchorColumnValue* anchor = info_ ? info_->anchor_value(i) : nullptr;
    std::vector<std::uint8_t> raw;
    switch (code) {
      case kCodeNull:
        return column;
      case kCodeEmpty:
        if (anchor && anchor->kind == AnchorColumnValue::Kind::kNull) return column;
        if (anchor && anchor->has_bytes()) raw = anchor->bytes;
        break;
      case kCodeLong: {
        const std::size_t index = long_cursor_++;
        if (index < record_.long_values.size()) {
          const CompressedLongValue& value = record_.long_values[index];
          column.complex = value.complex;
          raw = value.complex ? value.bytes : ApplyPrefix(ByteReader(value.bytes), anchor);
        }
        break;
      }
      case kCodeDictionary: {
        const ByteReader index_byte = record_.short_value(i);
        const std::vector<std::uint8_t>* entry =
            info_ && !index_byte.empty() ? info_->entry(*index_byte.u8(0)) : nullptr;
        if (entry) raw = ApplyPrefix(ByteReader(*entry), anchor);
        break;
      }
      case kCodeUnused:
        break;
      default:
        raw = ApplyPrefix(record_.short_value(i), anchor);
        break;
    }
    column.state = RebuiltColumn::State::kValue;
    column.bytes = Normalise(columns_[i], std::move(raw), column.complex);
    return column;
  }

  // Undoes the per-type compression of a value.
  std::vector<std::uint8_t> Normalise(const CompressedColumn& c, std::vector<std::uint8_t> raw, bool complex) {
    if (complex) return raw;
    if (IsCompressedIntegerType(c.type_code)) return ExpandCompressedInteger(ByteReader(raw), FixedColumnSize(c));
    if (c.type_code == kNchar || c.type_code == kNvarchar) return CompressedUnicodeToUtf16Le(ByteReader(raw));
    return raw;
  }

  void Place(std::size_t i, RebuiltColumn& column) {
    const CompressedColumn& c = columns_[i];
    if (column.state == RebuiltColumn::State::kNull) {
      out_.null_bitmap[i / 8] = static_cast<std::uint8_t>(out_.null_bitmap[i / 8] | (1u << (i % 8)));
    }
    if (c.variable || AlwaysVariable(c.type_code)) {
      out_.variable_values.push_back({column.bytes, column.complex});
      return;
    }
    if (c.type_code == kBit) {
      PlaceBit(column);
      return;
    }
    const std::size_t size = static_cast<std::size_t>(FixedColumnSize(c));
    const std::size_t start = out_.fixed_data.size();
    for (std::size_t k = 0; k < size; ++k) {
      out_.fixed_data.push_back(k < column.bytes.size() ? column.bytes[k] : PadByte(c.type_code, k));
    }
    if (column.state == RebuiltColumn::State::kNull) {
      std::fill(out_.fixed_data.begin() + static_cast<std::ptrdiff_t>(start), out_.fixed_data.end(), 0);
    }
    column.longer_than_column = column.bytes.size() > size;
  }

  // Up to eight bit columns share one byte of the fixed data, allocated by the first of them.
  void PlaceBit(const RebuiltColumn& column) {
    if (bits_used_ == 8) {
      bit_byte_ = out_.fixed_data.size();
      out_.fixed_data.push_back(0);
      bits_used_ = 0;
    }
    const bool set = std::any_of(column.bytes.begin(), column.bytes.end(), [](std::uint8_t b) { return b != 0; });
    if (set && column.state == RebuiltColumn::State::kValue) {
      out_.fixed_data[bit_byte_] = static_cast<std::uint8_t>(out_.fixed_data[bit_byte_] | (1u << bits_used_));
    }
    ++bits_used_;
  }

  const CompressedRecordParts& record_;
  const PageCompressionInfo* info_;
  const std::vector<CompressedColumn>& columns_;
  RebuiltRecord out_;
  std::size_t long_cursor_ = 0;
  std::size_t bit_byte_ = 0;
  int bits_used_ = 8;
};

}  // namespace

bool IsCompressedIntegerType(std::uint32_t code) {
  return code == kBigint || code == kDatetime || code == kInt || code == kSmallint ||
         code == kMoney || code == kSmallmoney;
}

int FixedColumnSize(const CompressedColumn& column) {
  if (column.type_code == kBit) return 1;
  if (column.declared_length > 0 && column.declared_length <= 8000) return column.declared_length;
  return DefaultFixedSize(column.type_code);
}

std::vector<std::uint8_t> ExpandCompressedInteger(ByteReader value, int width) {
  const std::size_t out_width = static_cast<std::size_t>(std::clamp(width, 1, 8));
  std::vector<std::uint8_t> out(out_width, 0);
  if (value.empty()) return out;
  // Only the last 8 bytes can carry a 64-bit number.
  const ByteReader digits = value.size() > 8 ? value.tail(value.size() - 8) : value;
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) number = (number << 8) | *digits.u8(i);
  const unsigned bits = static_cast<unsigned>(8 * digits.size());
  const std::uint64_t sign_flag = std::uint64_t{1} << (bits - 1);
  number ^= sign_flag;  // bit 7 of the first byte set means "not negative"
  if (number & sign_flag && bits < 64) number |= ~((std::uint64_t{1} << bits) - 1);
  for (std::size_t i = 0; i < out_width; ++i) out[i] = static_cast<std::uint8_t>(number >> (8 * i));
  return out;
}

std::optional<RebuiltRecord> RebuildCompressedRecord(const CompressedRecordParts& record,
                                                     const PageCompressionInfo* info,
                                                     const std::vector<CompressedColumn>& columns) {
  if (record.rejected || !HoldsRow(record.record_type)) return std::nullopt;
  if (record.column_count != static_cast<int>(columns.size())) return std::nullopt;
  return Rebuilder(record, info, columns).Run();
}

}  // namespace portalmend
