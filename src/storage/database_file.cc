#include "storage/database_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "storage/app_settings.h"
#include "storage/byte_reader.h"

namespace portalmend {

namespace {

// Object ids whose pages a secondary file contributes to the system page map: the system
// base tables the catalog reads.
constexpr std::int32_t kSecondarySystemObjects[] = {3, 4, 5, 7, 8, 13, 34, 41, 50, 54, 55, 60, 74};

bool is_secondary_system_object(std::int32_t object_id) {
  return std::find(std::begin(kSecondarySystemObjects), std::end(kSecondarySystemObjects), object_id) !=
         std::end(kSecondarySystemObjects);
}

// Progress is reported about a hundred times per scan: every ceil(page count / 100) pages.
std::uint64_t progress_step(std::uint64_t page_count) { return std::max<std::uint64_t>(1, (page_count + 99) / 100); }

bool abort_requested() { return theApp.abort_flag.load(std::memory_order_relaxed) != 0; }

// Reads one 8192-byte block at offset into block; bytes the file does not have read as zeros.
void read_block(const ReadOnlyFile& file, std::uint64_t offset, std::uint8_t* block) {
  const std::size_t got = file.read_at(offset, block, kPageSize);
  if (got < kPageSize) std::memset(block + got, 0, kPageSize - got);
}

std::string lower_ascii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return text;
}

// Appends refs to the list of key, remembering the last list used (pages of one object
// usually come in runs, so this spares most map look-ups).
class MapAppender {
 public:
  explicit MapAppender(PageMap& map) : map_(map) {}
  void add(std::int32_t key, PageRef ref) {
    if (list_ == nullptr || key != key_) {
      list_ = &map_[key];
      key_ = key;
    }
    list_->push_back(ref);
  }

 private:
  PageMap& map_;
  std::vector<PageRef>* list_ = nullptr;
  std::int32_t key_ = 0;
};

void shrink(PageMap& map) {
  for (auto& [key, list] : map) list.shrink_to_fit();
}

std::size_t map_memory(const PageMap& map) {
  // A tree node holds three pointers and a colour beside the key and the list.
  constexpr std::size_t kNodeOverhead = 4 * sizeof(void*);
  std::size_t bytes = 0;
  for (const auto& [key, list] : map) {
    bytes += kNodeOverhead + sizeof(std::pair<const std::int32_t, std::vector<PageRef>>) +
             list.capacity() * sizeof(PageRef);
  }
  return bytes;
}

void assign_file_id(PageMap& map, std::uint16_t file_id) {
  for (auto& [key, list] : map) {
    for (PageRef& ref : list) ref.file_id = file_id;
  }
}

const std::vector<PageRef>& lookup(const PageMap& map, std::int32_t object_id) {
  static const std::vector<PageRef> kEmpty;
  auto it = map.find(object_id);
  return it == map.end() ? kEmpty : it->second;
}

}  // namespace

struct DatabaseFile::ScanRules {
  // Scanning a secondary file: only the catalog's system tables reach the system page
  // map, and IAM pages are not recorded.
  bool secondary = false;
};

struct DatabaseFile::ScanResult {
  // Pages filed in the system page map.
  std::uint64_t system_count = 0;
  // Those of them that are allocated (object id other than 0) and carry their own
  // position as page number: pages that really belong to a database at this alignment.
  std::uint64_t genuine_system_count = 0;
  // File id of the first page carrying its own position as page number and a file id
  // above 1 (how a secondary file found in the folder learns its id).
  std::optional<std::uint16_t> own_file_id;
};

DatabaseFile::DatabaseFile(std::string path, Frame& frame) : path_(std::move(path)), frame_(&frame) {}

DatabaseFile::~DatabaseFile() = default;

std::unique_ptr<DatabaseFile> DatabaseFile::Open(const std::string& path, Frame& frame) {
  std::unique_ptr<DatabaseFile> database(new DatabaseFile(path, frame));
  database->open();
  return database;
}

void DatabaseFile::open() {
  open_ = false;
  file_ = ReadOnlyFile::Open(path_);
  if (!file_) {
    frame_->send_fatal_error(kCannotOpenText);
    return;
  }
  file_size_ = file_->size();
  if (file_size_ < kPageSize) {
    frame_->send_fatal_error(kNotValidText);
    return;
  }
  const std::uint64_t remainder = file_size_ % kPageSize;
  page_count_ = (file_size_ - remainder) / kPageSize;
  extent_count_ = page_count_ / 8;
  leading_offset_ = remainder;
  leading_offset_ = alignment_check(*file_, page_count_, remainder);

  const ScanResult result =
      mapping_scan(*file_, page_count_, leading_offset_, ScanRules{}, system_pages_, data_pages_, iam_pages_);
  // Zero pages (object id 0) and random bytes also land in the system page map; a file
  // is usable only when at least one system page is a page of this file.
  if (result.genuine_system_count == 0) {
    frame_->send_fatal_error(kNotValidText);
  } else {
    open_ = true;
  }
  // A stop requested while opening ends with the opening itself, not with later work.
  if (abort_requested()) theApp.abort_flag = 0;
}

std::uint64_t DatabaseFile::alignment_check(const ReadOnlyFile& file, std::uint64_t page_count,
                                            std::uint64_t remainder) {
  const std::uint64_t start = page_count > 8 ? 8 : page_count / 4;
  frame_->send_status_text(kAlignmentStartText);
  frame_->send_progress_range(page_count & 0xFFFFFFFFu);
  frame_->send_progress_position(0);
  const std::uint64_t step = progress_step(page_count);
  std::vector<std::uint8_t> block(kPageSize);

  // A block whose stored page number equals its position confirms an alignment.
  auto carries_own_number = [&](std::uint64_t position) {
    const auto stored = ByteReader(block).u32(kPageNumberOffset);
    return stored.has_value() && std::uint64_t{*stored} == position;
  };

  std::optional<std::uint64_t> leading;
  // First pass: pages start after the extra bytes (file size mod 8192) at the front.
  for (std::uint64_t p = start; p <= page_count; ++p) {
    if (abort_requested()) break;
    read_block(file, p * kPageSize + remainder, block.data());
    if (carries_own_number(p)) {
      leading = remainder;
      break;
    }
    if (p % step == 0) frame_->send_progress_position(p);
  }
  // Second pass: pages start at byte 0 and the extra bytes trail them.
  if (!leading && remainder != 0) {
    for (std::uint64_t p = start; p <= page_count; ++p) {
      read_block(file, p * kPageSize, block.data());
      if (carries_own_number(p)) {
        leading = 0;
        break;
      }
      if (p % step == 0) frame_->send_progress_position(p);
    }
  }
  frame_->send_progress_position(page_count);
  frame_->send_status_text(kAlignmentDoneText);
  return leading.value_or(remainder);
}

DatabaseFile::ScanResult DatabaseFile::mapping_scan(const ReadOnlyFile& file, std::uint64_t page_count,
                                                    std::uint64_t leading_offset, const ScanRules& rules,
                                                    PageMap& system, PageMap& data, PageMap& iam) {
  system.clear();
  data.clear();
  iam.clear();
  frame_->send_progress_range(page_count & 0xFFFFFFFFu);
  frame_->send_progress_position(0);
  frame_->send_status_text(kMappingStartText);
  const std::uint64_t step = progress_step(page_count);

  file.advise_sequential();
  ScanResult result;
  MapAppender system_list(system);
  MapAppender data_list(data);
  MapAppender iam_list(iam);
  std::vector<std::uint8_t> block(kPageSize);
  for (std::uint64_t p = 0; p <= page_count; ++p) {
    if (abort_requested()) break;
    read_block(file, leading_offset + p * kPageSize, block.data());
    const ByteReader header(block);
    const std::int32_t object_id = header.i32_or(kObjectIdOffset);
    const std::uint16_t file_id = header.u16_or(kFileIdOffset);
    const std::uint8_t page_type = header.u8_or(kPageTypeOffset);
    const auto position = static_cast<std::uint32_t>(p);

    if (!result.own_file_id && file_id > kPrimaryFileId && header.u32_or(kPageNumberOffset) == p) {
      result.own_file_id = file_id;
    }
    const bool system_page = rules.secondary ? is_secondary_system_object(object_id)
                                             : object_id <= kMaxSystemObjectId;
    if (system_page) {
      system_list.add(object_id, PageRef(file_id, position, page_type));
      ++result.system_count;
      if (object_id != 0 && header.u32_or(kPageNumberOffset) == p) ++result.genuine_system_count;
    }
    if (object_id > 0 && page_type == CPage_Header::kDataPage) {
      data_list.add(object_id, PageRef(file_id, position, CPage_Header::kDataPage));
    }
    if (!rules.secondary && object_id > 0 && page_type == CPage_Header::kIamPage) {
      iam_list.add(object_id, PageRef(file_id, position, CPage_Header::kIamPage));
    }
    if ((p + 1) % step == 0) frame_->send_progress_position(p + 1);
  }
  shrink(system);
  shrink(data);
  shrink(iam);
  frame_->send_progress_position(page_count);
  frame_->send_status_text(kMappingDoneText);
  return result;
}

const std::vector<PageRef>& DatabaseFile::system_pages(std::int32_t object_id) const {
  return lookup(system_pages_, object_id);
}

const std::vector<PageRef>& DatabaseFile::data_pages(std::int32_t object_id) const {
  return lookup(data_pages_, object_id);
}

const std::vector<PageRef>& DatabaseFile::iam_pages(std::int32_t object_id) const {
  return lookup(iam_pages_, object_id);
}

std::size_t DatabaseFile::page_map_memory() const {
  return map_memory(system_pages_) + map_memory(data_pages_) + map_memory(iam_pages_);
}

std::optional<PageBuffer> DatabaseFile::read_raw_page(PageAddress address) const {
  if (address.file_id == 0 || address.page_number <= 0) return std::nullopt;
  const auto page = static_cast<std::uint64_t>(address.page_number);
  if (address.file_id == kPrimaryFileId) {
    if (!file_ || page > page_count_) return std::nullopt;
    const std::uint64_t position = page * kPageSize + leading_offset_;
    if (position > file_size_) return std::nullopt;
    PageBuffer buffer(kPageBufferSize, 0);
    file_->read_at(position, buffer.data(), kPageSize);
    return buffer;
  }
  auto it = secondary_files_.find(address.file_id);
  if (it == secondary_files_.end() || it->second.path.empty()) return std::nullopt;
  const SecondaryFile& secondary = it->second;
  if (page > secondary.page_count) return std::nullopt;
  const std::uint64_t position = page * kPageSize + static_cast<std::uint64_t>(secondary.leading_offset);
  if (position > secondary.file_size) return std::nullopt;
  // A secondary file is opened for this one read; one that cannot be opened makes its
  // pages unreadable without affecting the primary file.
  const std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(secondary.path);
  if (!file) return std::nullopt;
  PageBuffer buffer(kPageBufferSize, 0);
  file->read_at(position, buffer.data(), kPageSize);
  return buffer;
}

std::optional<CPage_Header> DatabaseFile::read_page_header(PageAddress address) const {
  std::optional<PageBuffer> buffer = read_raw_page(address);
  if (!buffer) return std::nullopt;
  return CPage_Header::Decode(*buffer);
}

std::optional<CPage_Header> DatabaseFile::read_header_with_buffer(PageAddress address) {
  last_page_buffer_.clear();
  std::optional<PageBuffer> buffer = read_raw_page(address);
  if (!buffer) return std::nullopt;
  last_page_buffer_ = std::move(*buffer);
  return CPage_Header::Decode(last_page_buffer_);
}

std::size_t DatabaseFile::read_bytes(std::uint64_t offset, std::uint8_t* out, std::size_t length) const {
  if (!file_) return 0;
  return file_->read_at(offset, out, length);
}

std::string DatabaseFile::primary_folder() const {
  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

void DatabaseFile::merge(PageMap& into, PageMap&& from) {
  for (auto& [key, list] : from) {
    std::vector<PageRef>& target = into[key];
    target.insert(target.end(), list.begin(), list.end());
    target.shrink_to_fit();
  }
}

std::vector<SecondaryFile> DatabaseFile::register_listed_files(const std::vector<ListedFile>& files) {
  namespace fs = std::filesystem;
  std::vector<SecondaryFile> registered;
  const fs::path folder = primary_folder();
  for (const ListedFile& listed : files) {
    if (listed.file_id <= kPrimaryFileId || listed.file_id > 0xFFFF) continue;
    if (secondary_files_.count(listed.file_id) != 0) continue;
    // The stored path is a Windows path: the name is what follows its last backslash.
    std::string name = listed.physical_name;
    if (const auto slash = name.find_last_of("\\/"); slash != std::string::npos) name.erase(0, slash + 1);
    if (const auto dot = name.rfind('.'); dot != std::string::npos) name.erase(dot);
    if (name.empty()) continue;
    const std::string wanted = name + ".ndf";
    fs::path candidate = folder / wanted;
    std::error_code error;
    if (!fs::exists(candidate, error)) {
      // Names on the server's disk were not case-sensitive; find the file whatever its case.
      for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (lower_ascii(entry.path().filename().string()) == lower_ascii(wanted)) {
          candidate = entry.path();
          break;
        }
      }
    }
    std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(candidate.string());
    if (!file || file->size() < kPageSize) continue;

    SecondaryFile entry;
    entry.file_id = listed.file_id;
    entry.logical_name = listed.logical_name;
    entry.path = candidate.string();
    entry.file_size = file->size();
    entry.page_count = entry.file_size / kPageSize;
    entry.leading_offset = static_cast<std::int32_t>(entry.file_size % kPageSize);

    PageMap system, data, iam;
    mapping_scan(*file, entry.page_count, static_cast<std::uint64_t>(entry.leading_offset), ScanRules{true}, system,
                 data, iam);
    // Pages of a listed file are filed under its listed id, whatever their headers say.
    assign_file_id(system, static_cast<std::uint16_t>(listed.file_id));
    assign_file_id(data, static_cast<std::uint16_t>(listed.file_id));
    merge(system_pages_, std::move(system));
    merge(data_pages_, std::move(data));
    secondary_files_[entry.file_id] = entry;
    registered.push_back(entry);
  }
  return registered;
}

std::vector<SecondaryFile> DatabaseFile::register_folder_files() {
  namespace fs = std::filesystem;
  std::vector<fs::path> candidates;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(primary_folder(), error)) {
    if (lower_ascii(entry.path().extension().string()) == ".ndf") candidates.push_back(entry.path());
  }
  std::sort(candidates.begin(), candidates.end());

  std::vector<SecondaryFile> registered;
  for (const fs::path& path : candidates) {
    std::optional<ReadOnlyFile> file = ReadOnlyFile::Open(path.string());
    if (!file || file->size() < kPageSize) continue;
    SecondaryFile entry;
    entry.path = path.string();
    entry.file_size = file->size();
    entry.page_count = entry.file_size / kPageSize;
    const std::uint64_t remainder = entry.file_size % kPageSize;
    entry.leading_offset = static_cast<std::int32_t>(alignment_check(*file, entry.page_count, remainder));

    PageMap system, data, iam;
    const ScanResult result = mapping_scan(*file, entry.page_count, static_cast<std::uint64_t>(entry.leading_offset),
                                           ScanRules{true}, system, data, iam);
    if (!result.own_file_id || secondary_files_.count(*result.own_file_id) != 0) continue;
    entry.file_id = *result.own_file_id;
    // Every page scanned here lies in this file, whatever stale id its header carries.
    assign_file_id(system, *result.own_file_id);
    assign_file_id(data, *result.own_file_id);
    merge(system_pages_, std::move(system));
    merge(data_pages_, std::move(data));
    secondary_files_[entry.file_id] = entry;
    registered.push_back(entry);
  }
  return registered;
}

}  // namespace portalmend
