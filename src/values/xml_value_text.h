#pragma once
// The text of an xml value held in SQL Server's binary xml form.
//
// The conversion itself belongs to the binary xml component of the table data reader; value
// decoding reaches it only through this function.

#include <string>

#include "storage/byte_reader.h"

namespace portalmend {

// The xml text of one binary xml value, or the empty text when it cannot be converted.
std::string xml_value_text(const ByteReader& bytes);

}  // namespace portalmend
