#include "forcefield/ForceFieldLog.h"

#include <fstream>

std::ostream& forceFieldLog() {
  // Never opened: writes set the fail bit and go nowhere, which is what the callers expect.
  static std::ofstream log;
  return log;
}
