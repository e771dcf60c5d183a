// The IAM chains of the user tables of real sample databases, against the data pages the
// object mapping scan filed for the same allocation units.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <span>

#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "storage/iam_page.h"
#include "storage/page_header.h"

namespace portalmend {
namespace {

const std::string kFixtures = PORTALMEND_FIXTURES;

struct Tally {
  std::size_t units = 0, mapped = 0, in_chain = 0, stale = 0, freed = 0;
};

// The allocation bit (0x40) of a page's byte in its page free space (PFS) page. The first
// PFS page is page 1 and each covers 8088 pages; its single record's bytes, one per page,
// start at page offset 100.
bool PfsSaysAllocated(const DatabaseFile& db, PageAddress page) {
  constexpr std::int32_t kPfsInterval = 8088;
  const std::int32_t pfs = page.page_number < kPfsInterval ? 1 : page.page_number / kPfsInterval * kPfsInterval;
  auto buffer = db.read_raw_page(PageAddress{page.file_id, pfs});
  if (!buffer) return true;
  CPage_Header::Decode(std::span<std::uint8_t>(*buffer));
  return ((*buffer)[100 + static_cast<std::size_t>(page.page_number % kPfsInterval)] & 0x40) != 0;
}

// Allocation units are told apart by the object id and index id their pages carry in their
// headers; an IAM page carries those of the unit it maps. Every unit is checked, the user
// tables' among them.
Tally CheckFile(const std::string& name) {
  Tally tally;
  HeadlessFrame frame;
  auto db = DatabaseFile::Open(kFixtures + "/mdf/" + name, frame);
  EXPECT_TRUE(db && db->is_open()) << name;
  if (!db || !db->is_open()) return tally;
  for (const auto& [object_id, iam_refs] : db->iam_page_map()) {
    // IAM pages of the object by index id, and which of them another one names as next.
    std::map<std::uint16_t, std::vector<PageAddress>> by_unit;
    std::set<PageAddress> named_as_next;
    for (const PageRef& ref : iam_refs) {
      auto header = db->read_page_header(ref.address());
      if (!header || header->page_number() != static_cast<std::int32_t>(ref.page_number)) continue;
      by_unit[header->index_id()].push_back(ref.address());
      named_as_next.insert(header->next_page());
    }
    for (const auto& [index_id, iam_pages] : by_unit) {
      std::set<PageAddress> chain_set;
      for (const PageAddress& head : iam_pages) {
        if (named_as_next.count(head)) continue;
        for (const PageAddress& p : AllocationUnitPages(*db, head)) chain_set.insert(p);
      }
      ++tally.units;
      std::set<PageAddress> mapped;
      for (const PageRef& ref : db->data_pages(object_id)) {
        auto header = db->read_page_header(ref.address());
        if (header && header->index_id() == index_id) mapped.insert(ref.address());
      }
      // Every data page of the unit that a chain lists was filed by the scan.
      for (const PageAddress& page : chain_set) {
        auto header = db->read_page_header(page);
        if (header && header->page_type() == 1 && header->object_id() == object_id &&
            header->index_id() == index_id) {
          EXPECT_TRUE(mapped.count(page)) << name << " object " << object_id << " page " << page.page_number;
        }
      }
      // Every filed page no chain lists is a stale page (its stored number is not its
      // position) or a page the unit freed: listed by no IAM page and marked
      // unallocated in its PFS page.
      for (const PageAddress& page : mapped) {
        ++tally.mapped;
        if (chain_set.count(page)) {
          ++tally.in_chain;
        } else if (db->read_page_header(page)->page_number() != page.page_number) {
          ++tally.stale;
        } else {
          ++tally.freed;
          EXPECT_FALSE(PfsSaysAllocated(*db, page)) << name << " object " << object_id << " page " << page.page_number;
        }
      }
    }
  }
  return tally;
}

TEST(IamChainFixture, ChainsListTheMappedDataPagesOfEveryAllocationUnit) {
  if (!std::filesystem::exists(kFixtures + "/mdf")) GTEST_SKIP() << "fixtures folder absent";
  for (const char* name : {"itsligo__sampledbs__northwnd.mdf", "itsligo__sampledbs__pubs.mdf",
                           "edwardyi__rentHouse__App_Data__NORTHWND__253297b.MDF",
                           "anhnbt-it__hna-c-sharp-assignment-6-mdi-example__pubs.mdf",
                           "jdhj__edx__AdventureWorksLT2012_Data.zip__AdventureWorksLT2012_Data.mdf"}) {
    const Tally t = CheckFile(name);
    std::printf("%s: %zu units, %zu mapped pages, %zu in chain, %zu stale, %zu freed\n", name, t.units, t.mapped,
                t.in_chain, t.stale, t.freed);
    EXPECT_GT(t.units, 0u) << name;
    EXPECT_GT(t.in_chain, 0u) << name;
  }
}

}  // namespace
}  // namespace portalmend
