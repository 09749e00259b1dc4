// table_checker [folder/]: checks the embedded tables, or the thirteen tables of a folder, and
// exits 1 when any fault is found.

#include "tools/TableChecker.h"

#include <iostream>

int main(int argc, char** argv) {
  InputParameters::instance();   // registers the embedded tables
  InputParameters tables{InputParameters::EmptyTables{}};
  tables.loadTables(argc > 1 ? argv[1] : InputParameters::resourcePrefix);
  std::vector<std::string> problems = TableChecker(tables).check();
  for (const std::string& line : problems)
    std::cerr << "Error: table_checker: " << line << "\n";
  std::cout << (problems.empty() ? "tables ok" : "tables have faults") << "\n";
  return problems.empty() ? 0 : 1;
}
