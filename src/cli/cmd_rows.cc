// portalmend-cli rows FILE TABLE: the rows of one table, as the records list shows them.

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "cli/commands.h"
#include "cli/open_database.h"
#include "storage/app_settings.h"
#include "tabledata/delimited_text.h"
#include "tabledata/table_rows.h"
#include "tabledata/table_source.h"

namespace portalmend::cli {
namespace {

constexpr const char kRowsUsage[] =
    "usage: portalmend-cli rows FILE TABLE [--type U|S] [--mode standard|advanced] [--deleted] "
    "[--advanced-deleted] [--full] [--limit N] [--format tsv|csv] [--verbose]";

struct RowsOptions {
  std::string path;
  std::string table;
  std::string type = "U ";
  bool advanced = false;
  bool deleted = false;
  bool advanced_deleted = false;
  bool full = false;
  std::optional<long long> limit;
  DelimitedFormat format = DelimitedFormat::kTsv;
  bool verbose = false;
};

int usage(const std::string& why) {
  std::fprintf(stderr, "portalmend-cli rows: %s\n%s\n", why.c_str(), kRowsUsage);
  return 2;
}

// Parses the arguments; returns the exit code of a usage error, or 0.
int parse(const Args& args, RowsOptions& options) {
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](const char* name) -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      (void)name;
      return args[++i];
    };
    if (arg == "--type") {
      std::optional<std::string> type = value("--type");
      if (!type || (*type != "U" && *type != "S")) return usage("--type takes U or S");
      options.type = *type + " ";
    } else if (arg == "--mode") {
      std::optional<std::string> mode = value("--mode");
      if (!mode || (*mode != "standard" && *mode != "advanced")) return usage("--mode takes standard or advanced");
      options.advanced = *mode == "advanced";
    } else if (arg == "--deleted") {
      options.deleted = true;
    } else if (arg == "--advanced-deleted") {
      options.advanced_deleted = true;
    } else if (arg == "--full") {
      options.full = true;
    } else if (arg == "--limit") {
      std::optional<std::string> text = value("--limit");
      std::optional<long long> limit = text ? parse_integer(*text) : std::nullopt;
      if (!limit || *limit < 0) return usage("--limit takes a number of rows (0 or more)");
      options.limit = limit;
    } else if (arg == "--format") {
      std::optional<std::string> format = value("--format");
      if (!format || (*format != "tsv" && *format != "csv")) return usage("--format takes tsv or csv");
      options.format = *format == "csv" ? DelimitedFormat::kCsv : DelimitedFormat::kTsv;
    } else if (arg == "--verbose" || arg == "-v") {
      options.verbose = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage("unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return usage("expected a data file and a table name");
  options.path = positional[0];
  options.table = positional[1];
  return 0;
}

}  // namespace

int run_rows(const Args& args) {
  RowsOptions options;
  if (int code = parse(args, options)) return code;

  theApp.reset();
  theApp.recovery_mode = options.advanced ? CQuillonLedgerlineProjApp::kAdvancedMode : 1;
  // Ghost rows are found by carving only while they are also shown.
  theApp.show_deleted_records = (options.deleted || options.advanced_deleted) ? 1 : 0;
  theApp.advanced_deleted_records = options.advanced_deleted ? 1 : 0;

  HeadlessFrame frame;
  std::unique_ptr<DatabaseFile> file = open_database(options.path, frame, options.verbose);
  if (!file) return 1;
  std::unique_ptr<Catalog> catalog = Catalog::Build(*file);
  if (!catalog) {
    std::fprintf(stderr, "portalmend-cli rows: the catalog of %s cannot be read.\n", options.path.c_str());
    return 1;
  }
  file->set_catalog(catalog.get());

  const ObjectEntry object = catalog->FindObject(options.table, options.type);
  if (object.id == -1 || object.type != options.type) {
    std::fprintf(stderr, "portalmend-cli rows: %s has no %s table named \"%s\".\n", options.path.c_str(),
                 options.type == "S " ? "system" : "user", options.table.c_str());
    return 1;
  }
  catalog->set_column_descriptions(catalog->PrepareObject(options.table, options.type, ObjectValuesCache{}));
  if (!catalog->current().is_table || catalog->column_descriptions().empty()) {
    std::fprintf(stderr, "portalmend-cli rows: the columns of table \"%s\" cannot be read.\n", options.table.c_str());
    return 1;
  }

  const TableSource source = table_source_of(*catalog, options.table);
  // Hidden columns (without storage) are not shown, except in the 2000 layout where the
  // records list shows every column.
  const bool show_hidden = catalog->legacy();
  std::vector<std::string> header;
  for (const ColumnDescription& column : source.columns) {
    if (show_hidden || !column.hidden()) header.push_back(column.name);
  }
  std::fputs(delimited_line(header, options.format).c_str(), stdout);

  TableReadSettings settings = TableReadSettings::from_settings();
  settings.binary_placeholders = !options.full;
  const std::size_t first_shown = catalog->current().first_shown_column;
  long long printed = 0;
  std::vector<std::string> fields;
  EveryRowConsumer consumer([&](const RowRecord& row) {
    if (options.limit && printed >= *options.limit) return false;
    if (row_shows_nothing(row, first_shown)) return true;
    fields.clear();
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (show_hidden || !row.column(i).hidden()) fields.push_back(row.text(i));
    }
    std::fputs(delimited_line(fields, options.format).c_str(), stdout);
    ++printed;
    return !(options.limit && printed >= *options.limit);
  });
  TablePageList pages;
  if (!options.limit || *options.limit > 0) {
    read_table_rows(*file, source, settings, pages, consumer, &frame);
  }
  if (options.verbose) {
    std::fprintf(stderr, "%lld rows from %zu pages\n", printed, pages.pages.size());
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace portalmend::cli
