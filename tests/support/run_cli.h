#pragma once
// Runs a program (the built portalmend-cli in tests) with arguments and collects its exit
// code, standard output and standard error.

#include <string>
#include <vector>

namespace portalmend::writer {

struct CommandResult {
  int exit_code = -1;  // -1 when the program could not be run or did not exit normally
  std::string out;
  std::string err;
};

CommandResult run_program(const std::string& program, const std::vector<std::string>& args);

}  // namespace portalmend::writer
