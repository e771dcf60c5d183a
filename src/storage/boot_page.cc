#include "storage/boot_page.h"

#include <utility>

#include "storage/app_settings.h"
#include "storage/database_file.h"

namespace portalmend {

namespace {

struct VersionName {
  std::uint16_t version;
  const char* text;
};

// Internal version numbers and the releases that write them.
constexpr VersionName kVersions[] = {
    {408, " SQL Server 6.5"},
    {515, " SQL Server 7.0"},
    {539, " SQL Server 2000"},
    {611, " SQL Server 2005"},
    {612, " SQL Server 2005 SP2+ with VarDecimal enabled"},
    {655, " SQL Server 2008"},
    {660, " SQL Server 2008 R2"},
    {661, " SQL Server 2008 R2"},
    {684, " SQL Server 2012 CTP1"},
    {706, " SQL Server 2012"},
    {782, " SQL Server 2014"},
    {852, " SQL Server 2016"},
    {868, " SQL Server 2017"},
    {869, " SQL Server 2017"},
    {895, " SQL Server 2019"},
    {904, " SQL Server 2019"},
    {957, " SQL Server 2022"},
    {998, " SQL Server 2025"},
};

// System objects whose first page shows how the stored page numbers relate to positions.
constexpr std::int32_t kSysAllocUnits = 7;
constexpr std::int32_t kSysColPars = 41;

}  // namespace

std::string version_text(std::uint16_t version) {
  for (const VersionName& entry : kVersions) {
    if (entry.version == version) return entry.text;
  }
  return kUnknownVersionText;
}

std::string boot_database_name(ByteReader name_units) {
  std::string name;
  for (std::size_t i = 0; i < kBootNameUnits; ++i) {
    const std::optional<std::uint16_t> unit = name_units.u16(2 * i);
    if (!unit) break;
    const auto low = static_cast<char>(*unit & 0xFF);
    if (low == '\0') break;
    name.push_back(low);
  }
  // The name is blank-padded; a blank inside it ends it too, unless the name starts with one.
  const std::size_t blank = name.find(' ');
  if (blank != std::string::npos && blank != 0) name.resize(blank);
  return name;
}

CBootPage::CBootPage(std::vector<std::uint8_t> buffer, const DatabaseFile* file)
    : PrimaryRecordPage(std::move(buffer), file, ReadOptions{}, Build::kNoRecords) {
  const ByteReader page = page_bytes();
  version_ = page.u16_or(kBootVersionOffset);
  create_version_ = page.u16_or(kBootCreateVersionOffset);
  version_text_ = portalmend::version_text(version_);
  database_name_ = boot_database_name(page.clamp(kBootNameOffset, 2 * kBootNameUnits));
  collation_id_ = page.i32_or(kBootCollationOffset);
}

CBootPage::~CBootPage() = default;

bool choose_collation(const CollationTable& table, std::int32_t boot_collation_id, bool automatic,
                      std::int64_t manual_id, ChosenCollation& chosen) {
  if (!automatic) {
    const CollationEntry* entry = table.find(manual_id);
    if (entry == nullptr) return false;
    chosen.choose(manual_id, *entry);
    return true;
  }
  std::int64_t id = boot_collation_id;
  const CollationEntry* entry = table.find(id);
  if (entry == nullptr) {
    id = static_cast<std::uint16_t>(boot_collation_id & 0xFFFF);
    entry = table.find(id);
  }
  if (entry == nullptr) return false;
  chosen.choose(id, *entry);
  return true;
}

std::int64_t measure_page_shift(const DatabaseFile& file) {
  const std::vector<PageRef>* pages = nullptr;
  for (const std::int32_t object : {kSysAllocUnits, kSysColPars}) {
    const std::vector<PageRef>& list = file.system_pages(object);
    if (!list.empty()) {
      pages = &list;
      break;
    }
  }
  if (pages == nullptr) return 0;
  const PageRef& first = pages->front();
  const std::optional<CPage_Header> header = file.read_page_header(first.address());
  if (!header) return 0;
  return static_cast<std::int64_t>(header->page_number()) - static_cast<std::int64_t>(first.page_number);
}

std::optional<BootInfo> read_boot_info(const DatabaseFile& file) {
  BootInfo info;
  info.page_shift = measure_page_shift(file);
  info.position = kBootPageNumber - info.page_shift;
  if (info.position <= 0 || static_cast<std::uint64_t>(info.position) >= file.page_count()) return std::nullopt;
  std::optional<std::vector<std::uint8_t>> buffer =
      file.read_raw_page(PageAddress{kPrimaryFileId, static_cast<std::int32_t>(info.position)});
  if (!buffer) return std::nullopt;
  const CBootPage boot(std::move(*buffer), &file);
  info.version = boot.version();
  info.create_version = boot.create_version();
  info.version_text = boot.version_text();
  info.database_name = boot.database_name();
  info.collation_id = boot.collation_id();
  return info;
}

std::optional<BootInfo> locate_and_read_boot_page(DatabaseFile& file, const CollationTable& table,
                                                  ChosenCollation& chosen) {
  file.set_database_name({});
  std::optional<BootInfo> info = read_boot_info(file);
  if (!info) return std::nullopt;
  file.set_database_name(info->database_name);
  theApp.database_version = info->version_text;
  if (choose_collation(table, info->collation_id, theApp.collation_automatic.load() != 0,
                       theApp.collation_manual_id.load(), chosen)) {
    theApp.collation_name = chosen.name;
  }
  return info;
}

}  // namespace portalmend
