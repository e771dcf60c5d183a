// Runs a fuzz target (a function with libFuzzer's entry point, LLVMFuzzerTestOneInput) without
// libFuzzer: first over every file of the given corpus folders or files, then over inputs made by
// mutating corpus entries with a fixed-seed generator, until a number of runs or seconds is used.
// The same seed gives the same inputs, so a failure found in CI can be repeated.
//
//   <target> [--runs=N] [--seconds=S] [--max-len=N] [--seed=N] CORPUS...
//
// When the target crashes or aborts, the input that did it is written to "fuzz-crash-input" in
// the current folder; run the target with that file as its only corpus to repeat it.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Present when the program is built with a sanitizer, which ends the program on its own.
extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace {

// The input being run, for the crash handler.
const std::uint8_t* g_input = nullptr;
std::size_t g_input_size = 0;

void SaveInput() {
  const int fd = ::open("fuzz-crash-input", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) {
    if (g_input_size > 0 && ::write(fd, g_input, g_input_size) < 0) {
      // Nothing more can be done inside a signal handler.
    }
    ::close(fd);
  }
  static const char kMessage[] = "\nfuzz driver: the failing input was written to fuzz-crash-input\n";
  if (::write(STDERR_FILENO, kMessage, sizeof kMessage - 1) < 0) {
  }
}

void WriteCrashInput(int signal_number) {
  SaveInput();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

void Run(const std::vector<std::uint8_t>& input) {
  g_input = input.data();
  g_input_size = input.size();
  LLVMFuzzerTestOneInput(input.data(), input.size());
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Byte values that mean something to most binary formats: boundaries of signed and unsigned
// fields, and the continuation bit of variable-length integers.
const std::uint8_t kInteresting[] = {0x00, 0x01, 0x02, 0x7F, 0x80, 0x81, 0xFE, 0xFF};

class Mutator {
 public:
  explicit Mutator(std::uint64_t seed) : random_(seed) {}

  std::size_t Below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

  std::vector<std::uint8_t> Mutate(const std::vector<std::vector<std::uint8_t>>& corpus, std::size_t max_len) {
    std::vector<std::uint8_t> data = corpus[Below(corpus.size())];
    const std::size_t steps = 1 + Below(4);
    for (std::size_t step = 0; step < steps; ++step) {
      switch (Below(8)) {
        case 0:  // flip a bit
          if (!data.empty()) data[Below(data.size())] ^= static_cast<std::uint8_t>(1u << Below(8));
          break;
        case 1:  // set a byte to an interesting value
          if (!data.empty()) data[Below(data.size())] = kInteresting[Below(sizeof kInteresting)];
          break;
        case 2:  // set a byte to anything
          if (!data.empty()) data[Below(data.size())] = static_cast<std::uint8_t>(Below(256));
          break;
        case 3: {  // insert bytes
          const std::size_t at = Below(data.size() + 1);
          const std::size_t count = 1 + Below(8);
          std::vector<std::uint8_t> bytes(count);
          for (auto& b : bytes) b = Below(2) ? kInteresting[Below(sizeof kInteresting)] : static_cast<std::uint8_t>(Below(256));
          data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin(), bytes.end());
          break;
        }
        case 4: {  // erase a range
          if (data.empty()) break;
          const std::size_t at = Below(data.size());
          const std::size_t count = 1 + Below(std::min<std::size_t>(16, data.size() - at));
          data.erase(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + count));
          break;
        }
        case 5: {  // copy a range of the input to another place
          if (data.empty()) break;
          const std::size_t from = Below(data.size());
          const std::size_t count = 1 + Below(std::min<std::size_t>(64, data.size() - from));
          const std::vector<std::uint8_t> chunk(data.begin() + static_cast<std::ptrdiff_t>(from),
                                                data.begin() + static_cast<std::ptrdiff_t>(from + count));
          const std::size_t to = Below(data.size() + 1);
          data.insert(data.begin() + static_cast<std::ptrdiff_t>(to), chunk.begin(), chunk.end());
          break;
        }
        case 6: {  // splice: the head of this input, the tail of another
          const auto& other = corpus[Below(corpus.size())];
          const std::size_t keep = Below(data.size() + 1);
          const std::size_t from = Below(other.size() + 1);
          data.resize(keep);
          data.insert(data.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
          break;
        }
        default:  // cut the end off
          data.resize(Below(data.size() + 1));
          break;
      }
    }
    if (data.size() > max_len) data.resize(max_len);
    return data;
  }

 private:
  std::mt19937_64 random_;
};

bool Option(const std::string& arg, const char* name, std::uint64_t* value) {
  const std::string prefix = std::string("--") + name + "=";
  if (arg.rfind(prefix, 0) != 0) return false;
  *value = std::strtoull(arg.c_str() + prefix.size(), nullptr, 10);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint64_t runs = 10000, seconds = 10, max_len = 4096, seed = 20261211;
  std::vector<std::vector<std::uint8_t>> corpus;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (Option(arg, "runs", &runs) || Option(arg, "seconds", &seconds) || Option(arg, "max-len", &max_len) ||
        Option(arg, "seed", &seed)) {
      continue;
    }
    const std::filesystem::path path(arg);
    if (std::filesystem::is_directory(path)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
      std::sort(files.begin(), files.end());
      for (const auto& file : files) corpus.push_back(ReadFile(file));
    } else if (std::filesystem::is_regular_file(path)) {
      corpus.push_back(ReadFile(path));
    } else {
      std::fprintf(stderr, "fuzz driver: %s is neither a file nor a folder\n", arg.c_str());
      return 2;
    }
  }
  if (corpus.empty()) corpus.emplace_back();

  if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(SaveInput);
  std::signal(SIGSEGV, WriteCrashInput);
  std::signal(SIGABRT, WriteCrashInput);
  std::signal(SIGFPE, WriteCrashInput);
  std::signal(SIGBUS, WriteCrashInput);

  for (const auto& input : corpus) Run(input);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  Mutator mutator(seed);
  std::uint64_t done = 0;
  for (; done < runs && std::chrono::steady_clock::now() < deadline; ++done) {
    Run(mutator.Mutate(corpus, max_len));
  }
  std::printf("fuzz driver: %zu corpus inputs and %llu mutated inputs (seed %llu) ran cleanly\n", corpus.size(),
              static_cast<unsigned long long>(done), static_cast<unsigned long long>(seed));
  return 0;
}
