#include "storage/text_record.h"


namespace portalmend {

TextRecord TextRecord::Decode(ByteReader record) {
  TextRecord out;
  out.status_a_ = record.u8_or(kStatusAOffset);
  out.status_b_ = record.u8_or(kStatusBOffset);
  out.fixed_end_ = record.u16_or(kFixedEndOffset);
  if (out.fixed_end_ > kDataOffset) {
    const std::size_t length = out.fixed_end_ - kDataOffset;
    // The data must end inside the view (which ends with the page).
    if (auto data = record.copy(kDataOffset, length)) out.data_ = std::move(*data);
  }
  return out;
}

}  // namespace portalmend
