// portalmend-cli objects FILE: every object of the catalog.

#include <cstdio>
#include <map>

#include "cli/catalog_open.h"
#include "cli/commands.h"

namespace portalmend::cli {

int run_objects(const Args& args) {
  static const Command kSelf = {"objects", "objects FILE", "", nullptr};
  if (args.size() != 1) return usage_error(kSelf, args.empty() ? "a data file is needed" : "too many arguments");
  std::unique_ptr<OpenCatalog> opened = open_catalog("objects", args[0]);
  if (!opened) return 1;
  const Catalog& catalog = *opened->catalog;
  const std::vector<ObjectEntry>& objects = catalog.lists().objects;

  std::map<std::string, std::size_t> per_type;
  for (const ObjectEntry& object : objects) ++per_type[object.type];
  std::printf("layout %s; %zu objects:", catalog.legacy() ? "legacy" : "modern", objects.size());
  const char* separator = " ";
  for (const auto& [type, count] : per_type) {
    std::printf("%s%s %zu", separator, quoted_type(type).c_str(), count);
    separator = ", ";
  }
  std::printf("\n");
  std::printf("id\ttype\tname\tparent id\n");
  for (const ObjectEntry& object : objects) {
    std::printf("%d\t%s\t%s\t%d\n", object.id, quoted_type(object.type).c_str(), object.name.c_str(), object.parent_id);
  }
  return 0;
}

}  // namespace portalmend::cli
