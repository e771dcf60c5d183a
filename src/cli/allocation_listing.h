#pragma once
// Text listings of IAM pages, text pages and the compression information of compressed pages,
// for the page command.

#include <cstdio>
#include <vector>

#include "storage/compression_info.h"
#include "storage/database_file.h"
#include "storage/iam_page.h"
#include "storage/page_header.h"
#include "storage/text_page.h"

namespace portalmend::cli {

// Prints the start page, the eight single-page slots and the allocated extents.
void print_iam_page(std::FILE* out, const IamPage& page);

// Prints one line per slot: blob id, structure type and its links or its data length.
void print_text_page(std::FILE* out, const TextMixPage& page);

// Prints the anchor values (per column: NULL, empty or the bytes) and the dictionary entries.
void print_compression_info(std::FILE* out, const PageCompressionInfo& info);

// What the page holds beyond its records, by page type: an IAM page's allocations, a text
// page's large-object records, a compressed page's anchor values and dictionary.
void print_page_contents(std::FILE* out, const CPage_Header& header, const std::vector<std::uint8_t>& raw,
                         const DatabaseFile& file);

}  // namespace portalmend::cli
