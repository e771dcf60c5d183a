// portalmend-cli demo [--out FOLDER]: writes the built-in demo database and runs the main
// job on it.

#include <cstdio>
#include <string>

#include "cli/commands.h"
#include "cli/open_database.h"
#include "support/demo_database.h"
#include "support/temp_dir.h"

namespace portalmend::cli {

void print_file_summary(const DatabaseFile& db, std::FILE* out);

namespace {

constexpr const char kDemoUsage[] = "usage: portalmend-cli demo [--out FOLDER] [--verbose]";

}  // namespace

int run_demo(const Args& args) {
  std::string out_folder;
  bool verbose = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--out" && i + 1 < args.size()) {
      out_folder = args[++i];
    } else if (args[i] == "--verbose" || args[i] == "-v") {
      verbose = true;
    } else {
      std::fprintf(stderr, "portalmend-cli demo: unexpected argument '%s'\n%s\n", args[i].c_str(), kDemoUsage);
      return 2;
    }
  }
  // Without --out the demo file lives in a temporary folder removed at the end.
  writer::TempDir temp;
  const std::string folder = out_folder.empty() ? temp.path() : out_folder;
  if (folder.empty()) {
    std::fprintf(stderr, "No temporary folder could be made for the demo database.\n");
    return 1;
  }
  const std::string path = folder + "/" + writer::kDemoFileName;
  if (!writer::demo_database().write(path)) {
    std::fprintf(stderr, "The demo database could not be written to %s.\n", path.c_str());
    return 1;
  }
  std::printf("Demo database written to %s\n", path.c_str());

  HeadlessFrame frame;
  const std::unique_ptr<DatabaseFile> db = open_database(path, frame, verbose);
  if (!db) return 1;
  print_file_summary(*db, stdout);
  return 0;
}

}  // namespace portalmend::cli
