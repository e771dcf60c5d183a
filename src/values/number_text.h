#pragma once
// Text of the numeric, money, uniqueidentifier and binary values.
//
//   | type             | stored as                                                           |
//   |------------------|---------------------------------------------------------------------|
//   | money            | signed 64-bit count of 1/10000                                       |
//   | smallmoney       | signed 32-bit count of 1/10000                                       |
//   | float            | IEEE 754 double                                                      |
//   | real             | IEEE 754 single                                                      |
//   | decimal, numeric | byte 0 sign (1 positive, 0 negative), then an unsigned little-endian |
//   |                  | magnitude of 4, 8, 12 or 16 bytes for precision 1-9, 10-19, 20-28,   |
//   |                  | 29-38                                                                |
//   | uniqueidentifier | 16 bytes: a 32-bit, two 16-bit little-endian groups, 8 bytes as is   |

#include <cstdint>
#include <string>

#include "storage/byte_reader.h"

namespace portalmend {

// money: the amount with exactly four decimals ("0.0123", "-12.3456").
std::string money_text(std::int64_t ten_thousandths);

// smallmoney: the amount with exactly four decimals.
std::string smallmoney_text(std::int32_t ten_thousandths);

// float: fixed notation with 15 - ceil(log10|x|) decimals (six for 0); "0" for an infinity
// or not-a-number.
std::string float_text(double value);

// real: the usual stream text (six significant digits, scientific notation for very small
// or large values, e.g. "1e-05"); "0" for an infinity or not-a-number.
std::string real_text(float value);

// decimal / numeric of `precision` and `scale` from the sign byte and magnitude at the start
// of `bytes`. Empty text when the bytes are too short for the precision.
std::string decimal_text(const ByteReader& bytes, int precision, int scale);

// Bytes of the magnitude of a decimal of `precision` (4, 8, 12 or 16).
int decimal_magnitude_bytes(int precision);

// uniqueidentifier in the 8-4-4-4-12 form, uppercase; empty when fewer than 16 bytes.
std::string guid_text(const ByteReader& bytes);

// Two uppercase hex digits per byte.
std::string hex_digits(const ByteReader& bytes);

}  // namespace portalmend
