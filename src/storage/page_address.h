#pragma once
// Addresses of pages in the data files of one database.
//
// A page is named by the file that holds it (file id 1 is the primary .mdf file,
// higher ids are secondary .ndf files) and its page number in that file. On disk,
// page pointers are stored page number first (4 bytes) and file id second (2 bytes);
// readers that take a pointer from disk swap it into a PageAddress.

#include <compare>
#include <cstddef>
#include <cstdint>

namespace portalmend {

// Byte size of every page of a data file.
inline constexpr std::size_t kPageSize = 8192;

// Byte size of the buffers handed out by the page readers: one page and a zero byte
// after it, so that a reader running one byte past the page still reads inside the buffer.
inline constexpr std::size_t kPageBufferSize = kPageSize + 1;

// File id of the primary data file.
inline constexpr std::uint16_t kPrimaryFileId = 1;

struct PageAddress {
  // The data file holding the page (1 = primary file).
  std::uint16_t file_id = 0;
  // The page's number inside its file, counted from 0.
  std::int32_t page_number = 0;

  friend auto operator<=>(const PageAddress&, const PageAddress&) = default;
};

// One entry of a page map: where a page lies and what kind of page it is.
//
// Stored in 8 bytes, so that the maps of a file of many gigabytes stay small:
// the page type is the header's 1-byte page type (or the constants 1 and 10 of
// the data and IAM page maps), so it fits in a byte without loss.
struct PageRef {
  constexpr PageRef() = default;
  constexpr PageRef(std::uint16_t file, std::uint32_t page, std::uint32_t type)
      : file_id(file), page_type(static_cast<std::uint8_t>(type)), page_number(page) {}

  // The file id taken from the page header (or the registered id of a secondary file).
  std::uint16_t file_id = 0;
  // The header's page type byte.
  std::uint8_t page_type = 0;
  // The page's position in its file, counted from 0 (not the number in its header).
  std::uint32_t page_number = 0;

  // The address to read this page with.
  constexpr PageAddress address() const {
    return PageAddress{file_id, static_cast<std::int32_t>(page_number)};
  }

  friend bool operator==(const PageRef&, const PageRef&) = default;
};

static_assert(sizeof(PageRef) == 8, "page map entries are kept in 8 bytes");

}  // namespace portalmend
