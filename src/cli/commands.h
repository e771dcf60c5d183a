#pragma once
// The commands of portalmend-cli. Each command lives in its own file and is listed in
// main.cc; it returns the process exit code: 0 success, 1 failure of the work, 2 usage.

#include <string>
#include <vector>

namespace portalmend::cli {

using Args = std::vector<std::string>;

struct Command {
  const char* name;
  const char* usage;    // "info FILE"
  const char* summary;  // one line for the command list
  int (*run)(const Args& args);  // args after the command name
};

// Prints "usage: portalmend-cli <usage>" on stderr and returns 2.
int usage_error(const Command& command, const std::string& why = {});

// True when args hold --help or -h.
bool wants_help(const Args& args);

}  // namespace portalmend::cli
