#pragma once
// Composes a database boot page: header of page type 13 and the boot record's version,
// creation version, name (UTF-16, blank-padded to 104 units) and collation id.

#include <cstdint>
#include <string>
#include <vector>

namespace portalmend::writer {

struct BootPageFields {
  std::int32_t page_number = 9;
  std::uint16_t version = 706;
  std::uint16_t create_version = 706;
  // Each character becomes one UTF-16 unit (its byte as the low byte).
  std::string name = "Sales";
  // Pad the name with blanks to 104 units (as the server does) instead of ending it with 0.
  bool blank_padded = true;
  std::int32_t collation_id = 872468488;
};

std::vector<std::uint8_t> boot_page(const BootPageFields& fields);

}  // namespace portalmend::writer
