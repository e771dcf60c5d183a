#pragma once
// Text of a sql_variant value. The value carries its own base type:
//
//   | offset | width | meaning                                                          |
//   |--------|-------|------------------------------------------------------------------|
//   | 0      | 1     | base system type id                                              |
//   | 1      | 1     | version (1)                                                      |
//   | 2      | ...   | properties of the base type, then the value:                     |
//
//   | base type                              | properties                    | value at |
//   |----------------------------------------|-------------------------------|----------|
//   | 41 time, 42 datetime2, 43 datetimeoffset | byte 2: scale               | 3        |
//   | 106 decimal, 108 numeric               | byte 2: precision, 3: scale   | 4        |
//   | 165 varbinary, 173 binary              | bytes 2-3: maximum length     | 4        |
//   | 167 varchar, 175 char, 231 nvarchar,   | bytes 2-3: maximum length,    | 8        |
//   | 239 nchar                              | bytes 4-7: collation id       |          |
//   | every other type                       | none                          | 2        |
//
// A value whose length does not match its base type gives the empty text.

#include <cstdint>
#include <string>

#include "storage/byte_reader.h"
#include "values/value_context.h"

namespace portalmend {

// The text of the sql_variant value of `length` bytes at the start of `bytes`.
std::string variant_to_text(const ByteReader& bytes, std::int64_t length,
                            const ValueContext& context = ValueContext::from_settings());

}  // namespace portalmend
