#include "tools/kvtoolScan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

#include "forcefield/MolecularSystem.h"

namespace kvtool {

bool parseScanRequest(const std::string& text, ScanRequest& request) {
  std::vector<std::string> fields;
  std::stringstream stream(text);
  std::string field;
  while (std::getline(stream, field, ',')) fields.push_back(field);
  if (fields.size() != 4 && fields.size() != 5) return false;
  for (int a = 0; a < 4; ++a) {
    char* end = nullptr;
    const long value = std::strtol(fields[a].c_str(), &end, 10);
    if (fields[a].empty() || *end != '\0' || value < 1 || value > 1000000) return false;
    request.atoms[a] = static_cast<int>(value);
  }
  if (fields.size() == 5) {
    char* end = nullptr;
    const double step = std::strtod(fields[4].c_str(), &end);
    if (fields[4].empty() || *end != '\0' || !(step > 0.0 && step < 360.0)) return false;
    request.step = step;
  }
  return true;
}

bool runScan(const ScanRequest& request, Record& record, FILE* report) {
  if (!record.molecule || !record.error.empty()) {
    std::cerr << "Error: kvtool: no molecule to scan in \"" << record.name << "\"\n";
    return false;
  }
  MolecularSystem system(record.molecule.get());
  int id[4];
  for (int a = 0; a < 4; ++a) {
    id[a] = request.atoms[a] - 1;
    if (id[a] >= system.atomCount) {
      std::cerr << "Error: kvtool: atom " << request.atoms[a] << " beyond the "
                << system.atomCount << " atoms of \"" << record.name << "\"\n";
      return false;
    }
  }
  // The profiler's own guards, with its messages.
  if (!system.isDihedral(id[0], id[1], id[2], id[3])) {
    std::cerr << "Error: Dihedral angle not defined\n";
    return false;
  }
  if (!system.isRotatableBond(id[1], id[2])) {
    std::cerr << "Error: Unable to rotate this dihedral angle\n";
    return false;
  }
  std::map<float, float> profile;
  const MolecularSystem::ScanResult result =
      system.dihedralProfile(id[0], id[1], id[2], id[3], 0.0, 360.0, request.step, profile);
  if (result != MolecularSystem::ScanResult::Done || profile.empty()) {
    std::cerr << "Error: kvtool: no scan points for \"" << record.name << "\"\n";
    return false;
  }
  const std::vector<float>& open = system.unconvergedScanAngles;
  for (const auto& point : profile)
    std::fprintf(report, "%g %.4f%s\n", static_cast<double>(point.first),
                 static_cast<double>(point.second),
                 std::find(open.begin(), open.end(), point.first) != open.end()
                     ? " not-converged"
                     : "");
  std::fflush(report);
  return true;
}

}  // namespace kvtool
