#pragma once

// kvtool --scan: the dihedral profiler's relaxed torsion scan without its window.

#include <cstdio>
#include <string>

#include "tools/kvtoolReaders.h"

namespace kvtool {

// The four atoms (1-based, as the profiler shows them) and the step in degrees.
struct ScanRequest {
  int atoms[4] = {0, 0, 0, 0};
  double step = 10.0;
};

// Parses "I,J,K,L" or "I,J,K,L,STEP"; false for anything else (atoms below 1, a step that is
// not a positive number below 360).
bool parseScanRequest(const std::string& text, ScanRequest& request);

// Scans the finished molecule of the record from 0 to 360 degrees and writes one line
// "angle energy" per point (degrees, kcal/mol above the lowest point) to the report. False,
// after a line on standard error, when the molecule is missing or the dihedral cannot be turned.
bool runScan(const ScanRequest& request, Record& record, FILE* report);

}  // namespace kvtool
