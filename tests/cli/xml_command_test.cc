#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/binary_xml_writer.h"

namespace portalmend {
namespace {

struct CliRun {
  int exit_code = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs portalmend-cli with `args` (already quoted for the shell), feeding `input` on stdin.
CliRun RunCli(const std::string& args, const std::vector<std::uint8_t>& input = {}) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("portalmend_xml_cli_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  {
    std::ofstream in(dir / "in", std::ios::binary);
    in.write(reinterpret_cast<const char*>(input.data()), static_cast<std::streamsize>(input.size()));
  }
  const std::string command = std::string("'") + PORTALMEND_CLI + "' " + args + " <'" + (dir / "in").string() +
                              "' >'" + (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
  const int status = std::system(command.c_str());
  CliRun run;
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = Slurp(dir / "out");
  run.err = Slurp(dir / "err");
  std::filesystem::remove_all(dir);
  return run;
}

TEST(XmlCommand, PrintsTheTextOfAValue) {
  struct Case {
    const char* args;
    int exit_code;
    std::string out;
    std::string err;  // part of the message
  };
  const Case cases[] = {
      {"xml dfff01b004f0017200ef000001f00269006400ef000002f801f60211013700f511017800f7", 0, "<r id=\"7\">x</r>\n", ""},
      {"xml 0xDFFF01B004F0016100EF000001F801F7", 0, "<a />\n", ""},
      {"xml 'df ff 01 b0 04 11 01 68 00'", 0, "h\n", ""},
      {"xml dfff01b004f0016100ef000001f801", 1, "", "the bytes are not a binary xml value: The data ends inside element <a>"},
      {"xml dfff01b004f80155", 1, "", "Qualified name 1 is used but was never defined"},
      {"xml 3c0061003e00", 1, "", "signature"},
      {"xml dfff01b00", 2, "", "hexadecimal digits"},
      {"xml zz", 2, "", "usage: portalmend-cli xml"},
      {"xml", 2, "", "usage: portalmend-cli xml"},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.args << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.args;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << c.args << ": " << run.err;
  }
}

TEST(XmlCommand, DashReadsRawBytesFromStandardInput) {
  BinaryXmlWriter w;
  w.Element("a").Text("\xC3\xA9").EndElement();
  const CliRun run = RunCli("xml -", w.bytes());
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "<a>\xC3\xA9</a>\n");

  const CliRun empty = RunCli("xml -");
  EXPECT_EQ(empty.exit_code, 1);
  EXPECT_NE(empty.err.find("too short"), std::string::npos) << empty.err;
}

}  // namespace
}  // namespace portalmend
