// portalmend-cli columns FILE TABLE [--type U|S]: the column descriptions of a prepared table.

#include <cstdio>
#include <cinttypes>

#include "cli/catalog_open.h"
#include "cli/commands.h"

namespace portalmend::cli {

namespace {

void print_pointer(const char* what, const CatalogPagePointer& pointer) {
  std::printf("%s %u:%u", what, static_cast<unsigned>(pointer.file_id), pointer.page_number);
}

}  // namespace

int run_columns(const Args& args) {
  static const Command kSelf = {"columns", "columns FILE TABLE [--type U|S]", "", nullptr};
  std::vector<std::string> positional;
  std::string type = "U ";
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--type") {
      if (i + 1 >= args.size()) return usage_error(kSelf, "--type needs U or S");
      const std::string& value = args[++i];
      if (value == "U" || value == "U ") {
        type = "U ";
      } else if (value == "S" || value == "S ") {
        type = "S ";
      } else {
        return usage_error(kSelf, "--type takes U or S, not '" + value + "'");
      }
    } else if (args[i].size() > 1 && args[i][0] == '-' && args[i][1] == '-') {
      return usage_error(kSelf, "unknown option '" + args[i] + "'");
    } else {
      positional.push_back(args[i]);
    }
  }
  if (positional.size() != 2) return usage_error(kSelf, positional.size() < 2 ? "a data file and a table name are needed"
                                                                              : "too many arguments");
  std::unique_ptr<OpenCatalog> opened = open_catalog("columns", positional[0]);
  if (!opened) return 1;
  Catalog& catalog = *opened->catalog;
  const std::string& name = positional[1];

  const ColumnDescriptionList columns = catalog.PrepareObject(name, type, ObjectValuesCache());
  const CurrentObjectSlots& current = catalog.current();
  if (current.object.id == -1) {
    std::fprintf(stderr, "portalmend-cli columns: %s: there is no table named '%s' of type %s.\n",
                 positional[0].c_str(), name.c_str(), quoted_type(type).c_str());
    return 1;
  }
  if (!current.is_table) {
    std::fprintf(stderr, "portalmend-cli columns: %s: '%s' is an object of type %s (id %d), not a table.\n",
                 positional[0].c_str(), name.c_str(), quoted_type(current.object.type).c_str(), current.object.id);
    return 1;
  }

  std::printf("object %d %s %s\n", current.object.id, quoted_type(current.object.type).c_str(),
              current.object.name.c_str());
  if (catalog.legacy()) {
    std::printf("layout legacy: pages found under the object id\n");
  } else {
    std::printf("rowset %" PRId64 " (index id %d)\n", current.rowset.rowset_id, current.rowset.index_id);
    std::printf("allocation unit %" PRId64 ": ", current.alloc_unit.id);
    print_pointer("first page", current.alloc_unit.first_page);
    print_pointer(", root page", current.alloc_unit.root_page);
    print_pointer(", first IAM page", current.alloc_unit.first_iam_page);
    std::printf("\n");
  }
  std::printf("pages in object page list: %zu\n", current.page_list.size());
  if (!catalog.legacy()) {
    std::printf("positions: %zu rowset columns, %zu hobt columns, %zu column map rows\n", current.rowset_columns.size(),
                current.hobt_columns.size(), current.column_maps.size());
  }
  std::printf("first shown column: %zu\n", current.first_shown_column);
  std::printf("id\tname\ttype\tcode\tlength\tnullable\tvariable\tsparse\tphysical id\tleaf offset\tnull bit\t"
              "identity\tcollation id\n");
  for (const ColumnDescription& column : columns) {
    std::printf("%d\t%s\t%s\t%u\t%d\t%u\t%u\t%u\t%d\t%d\t%d\t%s\t%d\n", column.column_id, column.name.c_str(),
                column.type_text.c_str(), column.type_code, column.declared_length, column.nullable, column.variable,
                column.sparse, column.physical_column_id, column.leaf_offset, column.null_bit,
                column.identity_text.c_str(), column.collation_id);
  }
  return 0;
}

}  // namespace portalmend::cli
