#include "storage/compressed_seam.h"

#include "storage/record.h"

namespace portalmend {

void decode_compressed_record(CPrimaryRecord& record, ByteReader bytes, const ReadOptions&) {
  record.mutable_compressed_pieces().source = bytes.to_vector();
}

void read_compression_info(PrimaryRecordPage&, const ReadOptions&) {}

void rebuild_compressed_record(CPrimaryRecord&, const PrimaryRecordPage&, const ReadOptions&) {}

}  // namespace portalmend
