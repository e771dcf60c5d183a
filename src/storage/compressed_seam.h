#pragma once
// Where the reading of records and pages hands over to the decoder of compressed records and
// of the compression information of page-compressed pages.
//
// Until that decoder is part of the build, compressed_seam.cc keeps every compressed record
// as it is: flagged compressed, its bytes in CompressedPieces::source, no columns decoded.
// The decoder replaces compressed_seam.cc with its own definitions of these three functions.

#include "storage/byte_reader.h"
#include "storage/read_options.h"

namespace portalmend {

class CPrimaryRecord;
class PrimaryRecordPage;

// Fills a compressed record's pieces from its bytes (the view starts at the record and ends at
// its maximum length). Rejects the record when its column count is unusable.
void decode_compressed_record(CPrimaryRecord& record, ByteReader bytes, const ReadOptions& options);

// Reads the anchor record and dictionary of a page whose type flag bits have bit 7 set.
void read_compression_info(PrimaryRecordPage& page, const ReadOptions& options);

// Turns a decoded compressed record into fixed data, null marks and variable values, using the
// page's compression information.
void rebuild_compressed_record(CPrimaryRecord& record, const PrimaryRecordPage& page,
                               const ReadOptions& options);

}  // namespace portalmend
