// One libFuzzer target: the entry named by KV_FUZZ_TARGET (set per executable in
// fuzz/CMakeLists.txt), fed from memory. Standard output is dropped, so the optimisers' reports
// do not flood the run; the sanitizers and libFuzzer report on standard error.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "fuzz/FuzzEntries.h"

namespace {

const fuzzentries::Entry* entry = nullptr;

// The command line with this target's defaults added: kept for the whole run, as libFuzzer
// keeps the pointers it is handed.
std::vector<std::string> arguments;
std::vector<char*> argumentPointers;

bool hasFlag(int argc, char** argv, const char* flag) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
  return false;
}

}  // namespace

// The target's input limit and dictionary become defaults of its command line, so that a run by
// hand fuzzes the way the runner does.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  entry = fuzzentries::findEntry(KV_FUZZ_TARGET);
  if (entry == nullptr) {
    std::fprintf(stderr, "fuzz target \"%s\" has no entry\n", KV_FUZZ_TARGET);
    std::exit(2);
  }
  std::cout.rdbuf(nullptr);
  fuzzentries::setUp();

  arguments.assign(*argv, *argv + *argc);
  if (!hasFlag(*argc, *argv, "-max_len="))
    arguments.push_back("-max_len=" + std::to_string(entry->maxInputBytes));
  if (!hasFlag(*argc, *argv, "-dict="))
    arguments.push_back(std::string("-dict=") + KV_SOURCE_DIR + "/fuzz/dict/" + entry->dictionary +
                        ".dict");
  for (std::string& argument : arguments) argumentPointers.push_back(&argument[0]);
  argumentPointers.push_back(nullptr);
  *argc = static_cast<int>(arguments.size());
  *argv = argumentPointers.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > entry->maxInputBytes) return -1;   // not kept in the corpus
  const std::string fault = entry->run(std::string(reinterpret_cast<const char*>(data), size));
  if (!fault.empty()) {
    std::fprintf(stderr, "==fuzz_%s== %s\n", entry->name, fault.c_str());
    std::abort();
  }
  return 0;
}
