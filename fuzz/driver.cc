// A stand-in for libFuzzer where the compiler has none: replays every file of the corpus folders
// given on the command line, then feeds random and mutated inputs until -max_total_time seconds
// (default 10) have passed. Any crash or sanitizer report fails the run, as under libFuzzer.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Run(const std::string& input) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 10;
  std::vector<std::string> corpus;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "-max_total_time=", 16) == 0) {
      seconds = std::atof(argv[i] + 16);
    } else if (argv[i][0] != '-') {
      std::filesystem::path path(argv[i]);
      std::error_code ec;
      if (std::filesystem::is_directory(path, ec)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ec)) {
          if (entry.is_regular_file()) corpus.push_back(ReadAll(entry.path()));
        }
      } else if (std::filesystem::is_regular_file(path, ec)) {
        corpus.push_back(ReadAll(path));
      }
    }
  }
  for (const std::string& input : corpus) Run(input);
  if (corpus.empty()) corpus.push_back("");

  std::mt19937_64 rng(12345);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  uint64_t runs = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    std::string input = corpus[rng() % corpus.size()];
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
      const size_t pos = input.empty() ? 0 : rng() % (input.size() + 1);
      switch (rng() % 4) {
        case 0:  // insert a random byte
          input.insert(input.begin() + static_cast<std::ptrdiff_t>(pos), static_cast<char>(rng()));
          break;
        case 1:  // flip a byte
          if (!input.empty()) input[pos % input.size()] = static_cast<char>(rng());
          break;
        case 2:  // cut a run
          if (!input.empty()) input.erase(pos % input.size(), rng() % 16);
          break;
        default: {  // splice in a piece of another input
          const std::string& other = corpus[rng() % corpus.size()];
          if (!other.empty()) {
            const size_t from = rng() % other.size();
            input.insert(pos, other.substr(from, rng() % 64));
          }
        }
      }
    }
    Run(input);
    ++runs;
  }
  std::printf("fuzz driver: %zu corpus inputs, %llu random runs, no failure\n", corpus.size(),
              static_cast<unsigned long long>(runs));
  return 0;
}
