#ifndef KV_TOOLS_TABLECHECKER_H
#define KV_TOOLS_TABLECHECKER_H

// Checks loaded parameter tables for faults the readers accept: values outside their physical
// range, duplicate keys, types the atom-type table does not know, and pattern rows that shadow
// an exact row below them, bond lengths outside what their element pair shows in real molecules,
// element symbols not in their standard case. For typing it also checks that every type a rule, ring template or
// the hybrid table gives has its own atom-type row, that every rule level starts from types an
// earlier level can give, and that every element the tables use has an element row. Each fault
// is one line in `problems`.

#include "parameters/InputParameters.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

class TableChecker {
public:
  explicit TableChecker(InputParameters& tables);
  std::vector<std::string> check();

  // The lines the readers rejected while `load` ran: a reader reports a line it cannot use on
  // the error channel and reads on, so the loaded tables alone do not show it.
  static std::vector<std::string> rejectedLines(const std::function<void()>& load);

private:
  void checkAtomTypes();
  void checkBonds();
  // Defined in TableCheckerBands.cpp.
  void checkBondLengths();
  void checkAngles();
  void checkDihedrals();
  void checkBondOrders();
  void checkEmag();
  void checkRingStrain();
  void checkRingsAndRules();
  // Types given by rules, templates and the hybrid table need a row of their own: the set-up
  // pipeline looks each one up by its exact name.
  void checkGivenTypes();
  // A rule fires only on an atom whose current type is its MAIN, so that type must be given by
  // the start (element symbols, DUM) or by a level applied before the rule's own.
  void checkRuleLevels();
  void checkElementRows();
  void checkRulesOfLevel(int level, const std::set<std::string>& available);
  // A type name, super type, base type or element symbol of the atom-type table.
  bool known(const std::string& name) const;
  void problem(const std::string& table, const std::string& text);

  InputParameters& tables;
  std::set<std::string> names;
  std::set<std::string> typeRows;      // exact TYPE names of the atom-type table
  std::set<std::string> startTypes;    // what typing starts from: element symbols and DUM
  std::vector<std::string> problems;
};

#endif
