#include "values/number_text.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace portalmend {

namespace {

constexpr int kMoneyDecimals = 4;
constexpr int kFloatSignificantDigits = 15;
constexpr int kDefaultDecimals = 6;

constexpr std::size_t kDecimalSignOffset = 0;
constexpr std::size_t kDecimalMagnitudeOffset = 1;
constexpr std::uint8_t kDecimalPositive = 1;

// Amount in ten-thousandths as text: at least one integer digit, a point, four decimals.
std::string fixed_point_text(std::int64_t ten_thousandths) {
  const bool negative = ten_thousandths < 0;
  // Magnitude in unsigned arithmetic, so that the smallest money value has one too.
  const std::uint64_t magnitude =
      negative ? std::uint64_t{0} - static_cast<std::uint64_t>(ten_thousandths) : static_cast<std::uint64_t>(ten_thousandths);
  std::string digits = std::to_string(magnitude);
  if (digits.size() < kMoneyDecimals + 1) digits.insert(0, kMoneyDecimals + 1 - digits.size(), '0');
  digits.insert(digits.size() - kMoneyDecimals, 1, '.');
  return negative ? "-" + digits : digits;
}

// Decimal digits of a 128-bit unsigned integer.
std::string digits_of(unsigned __int128 value) {
  if (value == 0) return "0";
  std::string digits;
  while (value != 0) {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  }
  return digits;
}

}  // namespace

std::string money_text(std::int64_t ten_thousandths) { return fixed_point_text(ten_thousandths); }

std::string smallmoney_text(std::int32_t ten_thousandths) { return fixed_point_text(ten_thousandths); }

std::string float_text(double value) {
  if (!std::isfinite(value)) return "0";
  const double magnitude = std::fabs(value);
  int decimals = kDefaultDecimals;
  if (magnitude > 0) decimals = kFloatSignificantDigits - static_cast<int>(std::ceil(std::log10(magnitude)));
  // A negative precision would mean "default"; a large value simply gets no decimals.
  if (decimals < 0) decimals = 0;
  const int needed = std::snprintf(nullptr, 0, "%.*f", decimals, value);
  if (needed <= 0) return "0";
  std::string text(static_cast<std::size_t>(needed) + 1, '\0');
  std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
  text.resize(static_cast<std::size_t>(needed));
  return text;
}

std::string real_text(float value) {
  if (!std::isfinite(value)) return "0";
  std::ostringstream out;
  out << static_cast<double>(value);
  return out.str();
}

int decimal_magnitude_bytes(int precision) {
  if (precision <= 9) return 4;
  if (precision <= 19) return 8;
  if (precision <= 28) return 12;
  return 16;
}

std::string decimal_text(const ByteReader& bytes, int precision, int scale) {
  const int magnitude_bytes = decimal_magnitude_bytes(precision);
  const std::optional<std::uint8_t> sign = bytes.u8(kDecimalSignOffset);
  if (!sign || !bytes.has(kDecimalMagnitudeOffset, static_cast<std::size_t>(magnitude_bytes))) return {};
  unsigned __int128 magnitude = 0;
  for (int i = magnitude_bytes - 1; i >= 0; --i) {
    magnitude = (magnitude << 8) | bytes.u8_or(kDecimalMagnitudeOffset + static_cast<std::size_t>(i));
  }
  if (scale < 0) scale = 0;
  const auto fraction_digits = static_cast<std::size_t>(scale);
  if (magnitude == 0) return fraction_digits == 0 ? "0" : "0." + std::string(fraction_digits, '0');

  std::string digits = digits_of(magnitude);
  // A magnitude with more digits than the precision allows (a damaged value) loses trailing
  // fraction digits until it fits.
  std::size_t kept_fraction = fraction_digits;
  const std::size_t allowed = static_cast<std::size_t>(precision > 0 ? precision : 1);
  while (kept_fraction > 0 && digits.size() > allowed) {
    digits.pop_back();
    --kept_fraction;
  }
  std::string text;
  if (kept_fraction == 0) {
    text = digits;
  } else if (digits.size() <= kept_fraction) {
    text = "0." + std::string(kept_fraction - digits.size(), '0') + digits;
  } else {
    text = digits.substr(0, digits.size() - kept_fraction) + "." + digits.substr(digits.size() - kept_fraction);
  }
  return *sign == kDecimalPositive ? text : "-" + text;
}

std::string guid_text(const ByteReader& bytes) {
  if (!bytes.has(0, 16)) return {};
  const auto b = [&](std::size_t i) { return static_cast<unsigned>(bytes.u8_or(i)); };
  char text[40];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b(3), b(2),
                b(1), b(0), b(5), b(4), b(7), b(6), b(8), b(9), b(10), b(11), b(12), b(13), b(14), b(15));
  return text;
}

std::string hex_digits(const ByteReader& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t byte : bytes.span()) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

}  // namespace portalmend
