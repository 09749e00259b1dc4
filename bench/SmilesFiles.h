#pragma once

// The SMILES of a test-data file that the benchmarks run, one a line (a name after it is
// dropped), read once.

#include <fstream>
#include <string>
#include <vector>

#include "io/SmilesParser.h"

namespace benchdata {

// Every SMILES of the file at path that keep accepts (all when keep is null).
inline std::vector<std::string> smilesOfFile(const std::string& path,
                                             bool (*keep)(const std::string&) = nullptr) {
  std::vector<std::string> out;
  std::ifstream in(path);
  std::string line, smiles, name;
  while (std::getline(in, line)) {
    SmilesParser::splitSmilesLine(line, smiles, name);
    if (!smiles.empty() && (keep == nullptr || keep(smiles))) out.push_back(smiles);
  }
  return out;
}

}  // namespace benchdata
