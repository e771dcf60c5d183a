// Every text, ntext and image value of the Northwind sample (Categories.Description and
// .Picture, Employees.Notes and .Photo) assembles from its text pointer to the length the
// install script gives it, and every value reads as the script's text or
// hex digits.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "storage/page.h"
#include "storage/text_page.h"
#include "tabledata/reference_script.h"

namespace portalmend {
namespace {

const std::string kFixtures = PORTALMEND_FIXTURES;

// Number of UTF-16 units of UTF-8 text.
std::size_t Utf16Units(const std::string& utf8) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xC0) != 0x80) units += (c >= 0xF0) ? 2 : 1;
  }
  return units;
}

// Byte lengths of the large-object values the script inserts, with how often each occurs.
std::map<std::size_t, int> ScriptLengths() {
  std::map<std::size_t, int> lengths;
  const auto text = testing::read_script(kFixtures + "/reference/northwind_instnwnd.sql", "UTF-16");
  const std::map<std::string, std::vector<std::string>> lob_columns = {
      {"Categories", {"Description", "Picture"}}, {"Employees", {"Notes", "Photo"}}};
  for (const testing::ScriptRow& row : testing::ScriptParser(text).rows()) {
    auto table = lob_columns.find(row.table);
    if (table == lob_columns.end()) continue;
    for (std::size_t i = 0; i < row.columns.size() && i < row.values.size(); ++i) {
      for (const std::string& column : table->second) {
        if (row.columns[i] != column || row.values[i].kind == testing::ScriptLiteral::kNull) continue;
        const testing::ScriptLiteral& v = row.values[i];
        ++lengths[v.kind == testing::ScriptLiteral::kHex ? (v.text.size() - 2) / 2 : 2 * Utf16Units(v.text)];
      }
    }
  }
  return lengths;
}

// The values the script inserts: ntext as text (Categories.Description, Employees.Notes),
// image as hex digits (Categories.Picture, Employees.Photo).
std::set<std::string> ScriptTexts() {
  std::set<std::string> texts;
  const auto text = testing::read_script(kFixtures + "/reference/northwind_instnwnd.sql", "UTF-16");
  for (const testing::ScriptRow& row : testing::ScriptParser(text).rows()) {
    for (std::size_t i = 0; i < row.columns.size() && i < row.values.size(); ++i) {
      if ((row.columns[i] == "Description" && row.table == "Categories") ||
          (row.columns[i] == "Notes" && row.table == "Employees")) {
        texts.insert(row.values[i].text);
      }
      // Picture and Photo as the hex digits the script writes after its 0x.
      if (row.values[i].kind == testing::ScriptLiteral::kHex &&
          (row.columns[i] == "Picture" || row.columns[i] == "Photo")) {
        std::string digits = row.values[i].text.substr(2);
        for (char& c : digits) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        texts.insert(digits);
      }
    }
  }
  return texts;
}

// Byte lengths of the whole values behind the text pointers in the file's data pages; texts
// receives each value read as UTF-16 text.
std::map<std::size_t, int> FileLengths(const DatabaseFile& db, int& incomplete, std::set<std::string>& texts) {
  std::map<std::size_t, int> lengths;
  ReadOptions options;
  options.poll_abort = false;
  for (const auto& [object_id, refs] : db.data_page_map()) {
    for (const PageRef& ref : refs) {
      auto buffer = db.read_raw_page(ref.address());
      if (!buffer) continue;
      const CDataPage page(std::move(*buffer), &db, options);
      for (const auto& record : page.records()) {
        if (!record || record->rejected()) continue;
        for (const VariableValue& value : record->variable_values()) {
          if (!value.complex || !value.bytes || value.length != 16) continue;
          DatabaseLobSource source(db);
          const LobValue lob = LobAssembler(source).FromTextPointer(ByteReader(value.bytes->data(), 16));
          // The SQL Server 2000 sysindexes pages (object 2) that these upgraded files still hold
          // point into text pages reused since; every other pointer leads to a whole value.
          if (!lob.complete) {
            EXPECT_EQ(object_id, 2) << "page " << ref.page_number;
            ++incomplete;
            continue;
          }
          ++lengths[lob.bytes.size()];
          texts.insert(RenderLobBytes(ByteReader(lob.bytes), {false, true, false, false}));
          texts.insert(HexDigits(ByteReader(lob.bytes)));
        }
      }
    }
  }
  return lengths;
}

TEST(LobFixture, NorthwindTextNtextAndImageValuesHaveTheScriptsLengths) {
  if (!std::filesystem::exists(kFixtures + "/mdf")) GTEST_SKIP() << "fixtures folder absent";
  const auto expected = ScriptLengths();
  ASSERT_EQ([&] { int n = 0; for (const auto& [len, count] : expected) n += count; return n; }(), 34);  // 8 + 8 + 9 + 9
  for (const char* name : {"edwardyi__rentHouse__App_Data__NORTHWND__253297b.MDF", "mikebrind__SessionShoppingCart__App_Data__NORTHWND.MDF",
                           "sankaranarayanan__BI__NORTHWND.MDF"}) {
    HeadlessFrame frame;
    auto db = DatabaseFile::Open(kFixtures + "/mdf/" + name, frame);
    ASSERT_TRUE(db && db->is_open()) << name;
    int incomplete = 0;
    std::set<std::string> texts;
    const auto found = FileLengths(*db, incomplete, texts);
    for (const std::string& text : ScriptTexts()) EXPECT_TRUE(texts.count(text)) << name << ": " << text.substr(0, 60);
    std::printf("%s: %d pointers of the old sysindexes lead nowhere\n", name, incomplete);
    for (const auto& [length, count] : expected) {
      auto it = found.find(length);
      EXPECT_TRUE(it != found.end() && it->second >= count) << name << ": " << count << " values of " << length << " bytes";
    }
  }
}

}  // namespace
}  // namespace portalmend

namespace portalmend {
namespace {

// Every in-row root (complex id 4: a max-type value kept off the row; 2: a row-overflow
// value) in the data pages of files with nvarchar(max)/varbinary(max) columns assembles whole.
TEST(LobFixture, EveryInRowRootOfMaxTypeFilesAssemblesWhole) {
  if (!std::filesystem::exists(kFixtures + "/mdf")) GTEST_SKIP() << "fixtures folder absent";
  ReadOptions options;
  options.poll_abort = false;
  for (const char* name : {"jdhj__edx__AdventureWorksLT2012_Data.zip__AdventureWorksLT2012_Data.mdf",
                           "makwanagautam41__AIResumeBuilder__App_Data.zip__App_Data__ai_resume_builder_db.mdf",
                           "NickLYB__WAPP__App_Data.zip__App_Data__EduConnectDatabase.mdf"}) {
    HeadlessFrame frame;
    auto db = DatabaseFile::Open(kFixtures + "/mdf/" + name, frame);
    ASSERT_TRUE(db && db->is_open()) << name;
    int roots = 0;
    for (const auto& [object_id, refs] : db->data_page_map()) {
      for (const PageRef& ref : refs) {
        auto buffer = db->read_raw_page(ref.address());
        if (!buffer) continue;
        const CDataPage page(std::move(*buffer), db.get(), options);
        for (const auto& record : page.records()) {
          if (!record || record->rejected()) continue;
          for (const VariableValue& value : record->variable_values()) {
            if (!value.complex || !value.bytes || value.length == 16) continue;
            const std::uint8_t kind = (*value.bytes)[0];
            if (kind != 2 && kind != 4) continue;
            DatabaseLobSource source(*db);
            const LobValue lob = LobAssembler(source).FromInRowRoot(ByteReader(*value.bytes));
            EXPECT_TRUE(lob.complete) << name << " object " << object_id << " page " << ref.page_number;
            EXPECT_FALSE(lob.bytes.empty()) << name << " object " << object_id << " page " << ref.page_number;
            ++roots;
          }
        }
      }
    }
    EXPECT_GT(roots, 0) << name;
  }
}

}  // namespace
}  // namespace portalmend
