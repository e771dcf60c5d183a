#include "values/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <map>

#include "values/collation_table.h"
#include "values/scsu.h"

namespace portalmend {

namespace {

constexpr std::int32_t kUtf8CodePage = 65001;
constexpr char32_t kReplacementCharacter = 0xFFFD;
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// iconv converters into UTF-8, one per code page, opened on first use by each thread
// (a converter carries state and may not be shared between threads).
class ConverterCache {
 public:
  ConverterCache() = default;
  ConverterCache(const ConverterCache&) = delete;
  ConverterCache& operator=(const ConverterCache&) = delete;
  ~ConverterCache() {
    for (auto& [code_page, cd] : converters_) {
      if (cd != kNoConverter) iconv_close(cd);
    }
  }

  // The converter from `code_page`, or kNoConverter when the system has none.
  iconv_t get(std::int32_t code_page) {
    const auto it = converters_.find(code_page);
    if (it != converters_.end()) return it->second;
    const std::string name = iconv_name_of_code_page(code_page);
    const iconv_t cd = name.empty() ? kNoConverter : iconv_open("UTF-8", name.c_str());
    converters_.emplace(code_page, cd);
    return cd;
  }

 private:
  std::map<std::int32_t, iconv_t> converters_;
};

ConverterCache& converters() {
  thread_local ConverterCache cache;
  return cache;
}

// Runs `cd` over [in, in + length) and appends the UTF-8 result to `out`.
void convert(iconv_t cd, const std::uint8_t* in, std::size_t length, std::string& out) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* source = reinterpret_cast<char*>(const_cast<std::uint8_t*>(in));
  std::size_t source_left = length;
  char buffer[1024];
  while (source_left > 0) {
    char* target = buffer;
    std::size_t target_left = sizeof buffer;
    const std::size_t result = iconv(cd, &source, &source_left, &target, &target_left);
    out.append(buffer, static_cast<std::size_t>(target - buffer));
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // An undefined byte (EILSEQ) or a sequence cut off by the end of the value (EINVAL).
    AppendUtf8(out, kReplacementCharacter);
    if (errno == EINVAL) break;
    ++source;
    --source_left;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  // Flush any shift state.
  char* target = buffer;
  std::size_t target_left = sizeof buffer;
  iconv(cd, nullptr, nullptr, &target, &target_left);
  out.append(buffer, static_cast<std::size_t>(target - buffer));
}

}  // namespace

std::string iconv_name_of_code_page(std::int32_t code_page) {
  if (code_page <= 0) return {};
  if (code_page == kUtf8CodePage) return "UTF-8";
  return "CP" + std::to_string(code_page);
}

bool code_page_supported(std::int32_t code_page) { return converters().get(code_page) != kNoConverter; }

std::string eight_bit_text(const ByteReader& bytes, std::int32_t code_page) {
  std::size_t length = 0;
  while (length < bytes.size() && bytes.u8_or(length) != 0) ++length;
  std::string out;
  if (length == 0) return out;
  iconv_t cd = converters().get(code_page);
  if (cd == kNoConverter) cd = converters().get(kSystemAnsiCodePage);
  if (cd == kNoConverter) {
    // Without any converter, keep the bytes as Latin-1 rather than lose the value.
    for (std::size_t i = 0; i < length; ++i) AppendUtf8(out, bytes.u8_or(i));
    return out;
  }
  convert(cd, bytes.data(), length, out);
  return out;
}

std::string utf16_text(const ByteReader& bytes) {
  std::size_t length = 0;
  while (bytes.has(length, 2) && bytes.u16_or(length) != 0) length += 2;
  return Utf16LeToUtf8(bytes.clamp(0, length));
}

}  // namespace portalmend
