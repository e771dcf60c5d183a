// portalmend-cli: reads SQL Server data files from the command line.

#include <cstdio>
#include <cstring>
#include <string>

#include "cli/commands.h"
#include "storage/app_settings.h"
#include "storage/product.h"

namespace portalmend::cli {

int run_version(const Args& args);
int run_info(const Args& args);
int run_page(const Args& args);
int run_demo(const Args& args);
int run_xml(const Args& args);
int run_objects(const Args& args);
int run_columns(const Args& args);
int run_rows(const Args& args);

namespace {

const Command kCommands[] = {
    {"version", "version", "print the program's name and version", run_version},
    {"info", "info FILE [--verbose]",
     "open a data file and print its size, alignment, page maps, version, name and collation", run_info},
    {"page", "page FILE N [--file-id F] [--deleted] [--advanced-deleted]",
     "print the decoded header and the records of page N", run_page},
    {"demo", "demo [--out FOLDER]", "write the built-in demo database and run the main job on it", run_demo},
    {"xml", "xml HEX|-", "print the text of a stored xml value (hex digits, or - for bytes on stdin)", run_xml},
    {"objects", "objects FILE", "list every object of the catalog: id, type, name, parent id", run_objects},
    {"columns", "columns FILE TABLE [--type U|S]", "describe the columns and pages of a table", run_columns},
    {"rows",
     "rows FILE TABLE [--type U|S] [--mode standard|advanced] [--deleted] [--advanced-deleted] [--full] "
     "[--limit N] [--format tsv|csv]",
     "print the rows of a table, one tab- or comma-separated line per row", run_rows},
};

void print_overview(std::FILE* out) {
  std::fprintf(out, "usage: portalmend-cli COMMAND [ARGS...]\n\ncommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %-40s %s\n", command.usage, command.summary);
  }
  std::fprintf(out, "\nEvery command takes --help.\n");
}

}  // namespace

int usage_error(const Command& command, const std::string& why) {
  if (!why.empty()) std::fprintf(stderr, "portalmend-cli %s: %s\n", command.name, why.c_str());
  std::fprintf(stderr, "usage: portalmend-cli %s\n", command.usage);
  return 2;
}

bool wants_help(const Args& args) {
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

int run_version(const Args& args) {
  if (wants_help(args)) {
    std::printf("usage: portalmend-cli version\n");
    return 0;
  }
  std::printf("%s\n", portalmend::kProductName);
  return 0;
}

}  // namespace portalmend::cli

int main(int argc, char** argv) {
  using namespace portalmend::cli;
  if (argc < 2) {
    print_overview(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    print_overview(stdout);
    return 0;
  }
  Args args(argv + 2, argv + argc);
  // The collation table names collations and picks the code page of 8-bit text; without
  // collation.txt beside the program it stays empty and 8-bit text reads as Windows-1252.
  portalmend::theApp.collation_table.load_beside_executable();
  for (const Command& command : kCommands) {
    if (name == command.name) {
      if (wants_help(args)) {
        std::printf("usage: portalmend-cli %s\n%s\n", command.usage, command.summary);
        return 0;
      }
      return command.run(args);
    }
  }
  std::fprintf(stderr, "portalmend-cli: unknown command '%s'\n", name.c_str());
  print_overview(stderr);
  return 2;
}
