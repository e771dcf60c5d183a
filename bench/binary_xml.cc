// Decoding throughput of binary xml against a plain pass over the same bytes.
//
// Builds a 10 MB binary xml value of many small elements, the shape of SharePoint's xml columns:
// <rows><row id="1" kind="file"><name>item 1</name><size>4096</size><price>12.50</price>
// <modified>...</modified></row>... with untyped text, typed integers, decimals and dates, and a
// name-table flush every few thousand rows. Then times, alternately and five times each, (a) a
// baseline that reads every byte once (a checksum) and copies the buffer, and (b) decoding the
// value to text. Prints MB/s of both (megabytes of binary input per second), their ratio, and
// how much text came out per input byte.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "support/binary_xml_writer.h"
#include "tabledata/binary_xml_decoder.h"
#include "tabledata/binary_xml_tokens.h"

namespace {

using namespace portalmend;

constexpr std::size_t kTargetBytes = 10u * 1000 * 1000;
constexpr int kRowsPerFlush = 5000;
constexpr int kRounds = 5;

std::vector<std::uint8_t> BuildDocument() {
  BinaryXmlWriter w(2);
  w.Element("rows");
  for (int row = 1; w.bytes().size() < kTargetBytes; ++row) {
    if (row % kRowsPerFlush == 0) w.Flush();
    w.Element("row").Attribute("id").Le(binxml::kSqlInt, static_cast<std::uint32_t>(row), 4);
    w.Attribute("kind").Text(row % 3 == 0 ? "folder" : "file").EndAttributes();
    w.Element("name").Text("item " + std::to_string(row) + (row % 7 == 0 ? " & more" : "")).EndElement();
    w.Element("size").Le(binxml::kSqlBigInt, static_cast<std::uint64_t>(row) * 4096, 8).EndElement();
    w.Element("price").Decimal(binxml::kSqlDecimal, 9, 2, true, {static_cast<std::uint32_t>(row % 100000)}).EndElement();
    w.Element("modified").DateTime2(binxml::kXsdDateTime2, 7, static_cast<std::uint64_t>(row) * 10007, 733167, 0).EndElement();
    w.Element("note").EndElement();
    w.EndElement();
  }
  w.EndElement();
  return w.take();
}

// Timings use the thread's processor time, so that other programs sharing the machine do not
// count against either side of the ratio.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Reads every byte once and copies the buffer: the least any decoder must do.
double Baseline(const std::vector<std::uint8_t>& bytes, std::vector<std::uint8_t>& copy, std::uint64_t& checksum) {
  const double start = CpuSeconds();
  std::uint64_t sum = 0;
  for (const std::uint8_t b : bytes) sum = sum * 31 + b;
  std::memcpy(copy.data(), bytes.data(), bytes.size());
  checksum += sum + copy[copy.size() / 2];
  return CpuSeconds() - start;
}

double Decode(const std::vector<std::uint8_t>& bytes, std::size_t& text_size) {
  const double start = CpuSeconds();
  const BinaryXmlResult result = DecodeBinaryXml(ByteReader(bytes));
  const double seconds = CpuSeconds() - start;
  if (!result.ok) {
    std::fprintf(stderr, "bench_binary_xml: the document did not decode: %s\n", result.error.c_str());
    std::exit(1);
  }
  text_size = result.text.size();
  return seconds;
}

}  // namespace

int main() {
  const std::vector<std::uint8_t> bytes = BuildDocument();
  std::vector<std::uint8_t> copy(bytes.size());
  std::uint64_t checksum = 0;
  std::size_t text_size = 0;
  double best_baseline = 1e9;
  double best_decode = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    best_baseline = std::min(best_baseline, Baseline(bytes, copy, checksum));
    best_decode = std::min(best_decode, Decode(bytes, text_size));
  }
  const double megabytes = static_cast<double>(bytes.size()) / 1e6;
  const double baseline_rate = megabytes / best_baseline;
  const double decode_rate = megabytes / best_decode;
  std::printf("binary xml value: %.2f MB, decoded to %.2f MB of text (%.2f bytes of text per byte)\n", megabytes,
              static_cast<double>(text_size) / 1e6, static_cast<double>(text_size) / static_cast<double>(bytes.size()));
  std::printf("baseline (checksum and copy): %8.1f MB/s\n", baseline_rate);
  std::printf("decoding to text:             %8.1f MB/s\n", decode_rate);
  std::printf("ratio decoding / baseline:    %8.3f\n", decode_rate / baseline_rate);
  std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
  return 0;
}
