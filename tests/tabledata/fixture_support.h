#pragma once
// Reading the rows of a table of a real data file, for the fixture tests, and comparing them
// with the rows of an install script.

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <memory>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "storage/app_settings.h"
#include "storage/database_file.h"
#include "storage/headless_frame.h"
#include "tabledata/reference_script.h"
#include "tabledata/table_rows.h"
#include "tabledata/table_source.h"

namespace portalmend::testing {

inline std::filesystem::path fixture_folder() { return std::filesystem::path(PORTALMEND_FIXTURES); }

struct ReadMode {
  bool advanced = false;
  bool deleted = false;
  bool advanced_deleted = false;
  bool full = true;
};

// An opened data file with its catalog.
class OpenedDatabase {
 public:
  explicit OpenedDatabase(const std::filesystem::path& path) {
    theApp.reset();
    file_ = DatabaseFile::Open(path.string(), frame_);
    if (!file_ || !file_->is_open()) return;
    catalog_ = Catalog::Build(*file_);
    if (catalog_) file_->set_catalog(catalog_.get());
  }

  bool usable() const { return file_ && file_->is_open() && catalog_; }
  Catalog& catalog() { return *catalog_; }
  DatabaseFile& file() { return *file_; }

  // Names of the user tables, in catalog order.
  std::vector<std::string> user_tables() const {
    std::vector<std::string> names;
    for (const ObjectEntry& object : catalog_->lists().objects) {
      if (object.type == "U " && std::find(names.begin(), names.end(), object.name) == names.end()) {
        names.push_back(object.name);
      }
    }
    return names;
  }

  // Every row of the table; false when it is not a table.
  bool read(const std::string& table, const ReadMode& mode, std::vector<RowRecord>& rows,
            std::size_t* first_shown = nullptr, std::vector<PageAddress>* pages_read = nullptr) {
    rows.clear();
    theApp.recovery_mode = mode.advanced ? CQuillonLedgerlineProjApp::kAdvancedMode : 1;
    theApp.show_deleted_records = mode.deleted || mode.advanced_deleted;
    theApp.advanced_deleted_records = mode.advanced_deleted;
    theApp.legacy_catalog_flag = catalog_->legacy() ? 1 : 0;
    catalog_->set_column_descriptions(catalog_->PrepareObject(table, "U ", ObjectValuesCache{}));
    if (!catalog_->current().is_table || catalog_->column_descriptions().empty()) return false;
    if (first_shown) *first_shown = catalog_->current().first_shown_column;
    const TableSource source = table_source_of(*catalog_, table);
    TableReadSettings settings = TableReadSettings::from_settings();
    settings.binary_placeholders = !mode.full;
    TablePageList pages;
    EveryRowConsumer consumer([&](const RowRecord& row) {
      rows.push_back(row);
      return true;
    });
    read_table_rows(*file_, source, settings, pages, consumer);
    if (pages_read) *pages_read = pages.pages;
    return true;
  }

 private:
  HeadlessFrame frame_;
  std::unique_ptr<DatabaseFile> file_;
  std::unique_ptr<Catalog> catalog_;
};

// The differences between the rows of one table and the rows a script inserted into it,
// each row written as its column keys joined by " | ".
struct RowDifferences {
  std::vector<std::string> missing;  // in the script, not in the file
  std::vector<std::string> extra;    // in the file, not in the script
  bool columns_found = true;
};

// Large-object columns (text, ntext, image) may be left out of the comparison.
inline bool large_object_column(const ColumnDescription& column) {
  return column.type_code == 19 || column.type_code == 25 || column.type_code == 26;
}

inline RowDifferences compare_rows(const std::vector<RowRecord>& rows, const std::vector<ScriptRow>& script,
                                   const ColumnDescriptionList& columns, bool skip_large_objects = false,
                                   const std::set<std::string>& ignored = {}) {
  RowDifferences result;
  // The columns a statement names (all stored columns in order when it names none).
  auto column_indexes = [&](const ScriptRow& row) {
    std::vector<std::size_t> indexes;
    if (row.columns.empty()) {
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (!columns[i].hidden()) indexes.push_back(i);
      }
      // A statement without a column list leaves out the identity column.
      if (indexes.size() != row.values.size()) {
        std::erase_if(indexes, [&](std::size_t i) { return !columns[i].identity_text.empty(); });
      }
      return indexes;
    }
    for (const std::string& name : row.columns) {
      std::size_t found = columns.size();
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].name == name) found = i;
      }
      indexes.push_back(found);
    }
    return indexes;
  };
  // Rows are compared on the columns every statement names.
  std::vector<std::map<std::size_t, const ScriptLiteral*>> named;
  std::vector<std::size_t> common;
  bool first = true;
  for (const ScriptRow& row : script) {
    std::vector<std::size_t> indexes = column_indexes(row);
    if (indexes.size() != row.values.size() ||
        std::any_of(indexes.begin(), indexes.end(), [&](std::size_t i) { return i >= columns.size(); })) {
      result.columns_found = false;
      continue;
    }
    std::map<std::size_t, const ScriptLiteral*> values;
    for (std::size_t k = 0; k < indexes.size(); ++k) values[indexes[k]] = &row.values[k];
    std::vector<std::size_t> kept;
    for (const auto& [index, literal] : values) {
      if (skip_large_objects && large_object_column(columns[index])) continue;
      if (ignored.contains(columns[index].name)) continue;
      if (first || std::find(common.begin(), common.end(), index) != common.end()) kept.push_back(index);
    }
    common = kept;
    first = false;
    named.push_back(std::move(values));
  }
  std::map<std::string, int> balance;
  for (const auto& values : named) {
    std::string key;
    for (std::size_t i : common) key += value_key(columns[i].type_code, "", values.at(i)) + " | ";
    ++balance[key];
  }
  if (!named.empty()) {
    for (const RowRecord& row : rows) {
      std::string key;
      for (std::size_t i : common) key += value_key(row.column(i).type_code, row.text(i)) + " | ";
      --balance[key];
    }
  }
  for (const auto& [key, count] : balance) {
    for (int i = 0; i < count; ++i) result.missing.push_back(key);
    for (int i = 0; i < -count; ++i) result.extra.push_back(key);
  }
  return result;
}

}  // namespace portalmend::testing
