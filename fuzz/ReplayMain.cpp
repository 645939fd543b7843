// Runs a fuzz entry without a fuzzing engine: every file named on the command
// line is fed to it as it is, and then in a fixed number of mutated copies
// (bytes overwritten, the block cut short; -mutations=N sets how many), from
// a fixed seed so that a failure can be replayed. Used where the compiler has
// no libFuzzer, and by the test suite as a quick smoke run under the
// sanitizers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

constexpr unsigned kSeed = 0x4D766E71;
constexpr int kDefaultMutationsPerFile = 3000;

bool ReadFile(const char* path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::mt19937 rng(kSeed);
  int mutations = kDefaultMutationsPerFile;
  int files = 0;
  for (int a = 1; a < argc; ++a) {
    if (std::strncmp(argv[a], "-mutations=", 11) == 0) {
      mutations = std::atoi(argv[a] + 11);
      continue;
    }
    ++files;
    std::vector<uint8_t> original;
    if (!ReadFile(argv[a], &original)) {
      std::fprintf(stderr, "fuzz replay: cannot read %s\n", argv[a]);
      return 1;
    }
    LLVMFuzzerTestOneInput(original.data(), original.size());
    if (original.empty()) continue;
    std::vector<uint8_t> bytes(original.size());
    for (int m = 0; m < mutations; ++m) {
      std::copy(original.begin(), original.end(), bytes.begin());
      size_t size = bytes.size();
      const int edits = 1 + static_cast<int>(rng() % 4);
      for (int e = 0; e < edits; ++e) bytes[rng() % size] = static_cast<uint8_t>(rng());
      if (rng() % 4 == 0) size = rng() % size;
      // Print the case before running it, so that a crash names it.
      if (std::getenv("MORVANE_FUZZ_VERBOSE")) std::fprintf(stderr, "%s: seed %u, mutation %d\n", argv[a], kSeed, m);
      // An exact-size copy, so that the sanitizers see a read past the end.
      std::unique_ptr<uint8_t[]> exact(new uint8_t[size + (size == 0)]);
      std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), exact.get());
      LLVMFuzzerTestOneInput(exact.get(), size);
    }
  }
  std::printf("fuzz replay: %d file(s), %d mutations each, seed %u\n", files, mutations, kSeed);
  return 0;
}
