// Every input that once broke a reader under the fuzzer is kept in fuzz/regressions/<target>/,
// named after its fault, and replayed here through the target's own entry: it must now end
// without a crash, a sanitizer report or a wrong finished molecule. Each file is its own case.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fuzz/FuzzEntries.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRegressions = fs::path(KV_SOURCE_DIR) / "fuzz" / "regressions";

struct KeptInput {
  std::string target;
  fs::path file;
};

// Names the case by its file in test listings.
void PrintTo(const KeptInput& input, std::ostream* out) { *out << input.file.string(); }

std::vector<KeptInput> keptInputs() {
  std::vector<KeptInput> inputs;
  std::error_code error;
  for (const auto& folder : fs::directory_iterator(kRegressions, error))
    for (const auto& file : fs::directory_iterator(folder.path(), error))
      if (file.is_regular_file()) inputs.push_back({folder.path().filename().string(), file.path()});
  std::sort(inputs.begin(), inputs.end(),
            [](const KeptInput& a, const KeptInput& b) { return a.file < b.file; });
  return inputs;
}

std::string caseName(const ::testing::TestParamInfo<KeptInput>& info) {
  std::string name = info.param.target + "_" + info.param.file.filename().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

class KeptInputs : public ::testing::TestWithParam<KeptInput> {
 protected:
  static void SetUpTestSuite() { fuzzentries::setUp(); }
};

}  // namespace

TEST_P(KeptInputs, ReplaysWithoutFault) {
  const fuzzentries::Entry* entry = fuzzentries::findEntry(GetParam().target);
  ASSERT_NE(nullptr, entry) << "no fuzz target \"" << GetParam().target << "\"";
  std::ifstream in(GetParam().file, std::ios::binary);
  ASSERT_TRUE(in) << GetParam().file;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ("", entry->run(bytes)) << GetParam().file;
}

INSTANTIATE_TEST_SUITE_P(Regressions, KeptInputs, ::testing::ValuesIn(keptInputs()), caseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(KeptInputs);
