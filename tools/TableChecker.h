#ifndef KV_TOOLS_TABLECHECKER_H
#define KV_TOOLS_TABLECHECKER_H

// Checks loaded parameter tables for faults the readers accept: values outside their physical
// range, duplicate keys, types the atom-type table does not know, and pattern rows that shadow
// an exact row below them. Each fault is one line in `problems`.

#include "parameters/InputParameters.h"

#include <set>
#include <string>
#include <vector>

class TableChecker {
public:
  explicit TableChecker(InputParameters& tables);
  std::vector<std::string> check();

private:
  void checkAtomTypes();
  void checkBonds();
  void checkAngles();
  void checkDihedrals();
  void checkBondOrders();
  void checkEmag();
  void checkRingsAndRules();
  // A type name, super type, base type or element symbol of the atom-type table.
  bool known(const std::string& name) const;
  void problem(const std::string& table, const std::string& text);

  InputParameters& tables;
  std::set<std::string> names;
  std::vector<std::string> problems;
};

#endif
