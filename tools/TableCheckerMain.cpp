// table_checker [folder/]: checks the embedded tables, or the fourteen tables of a folder, and
// exits 1 when any fault is found, a line that a reader rejected included.

#include "tools/TableChecker.h"

#include <iostream>

int main(int argc, char** argv) {
  InputParameters folderTables{InputParameters::EmptyTables{}};
  InputParameters* tables = &folderTables;
  std::vector<std::string> problems = TableChecker::rejectedLines([&] {
    if (argc > 1)
      folderTables.loadTables(argv[1]);
    else
      tables = InputParameters::instance();
  });
  for (const std::string& line : TableChecker(*tables).check()) problems.push_back(line);
  for (const std::string& line : problems)
    std::cerr << "Error: table_checker: " << line << "\n";
  std::cout << (problems.empty() ? "tables ok" : "tables have faults") << "\n";
  return problems.empty() ? 0 : 1;
}
