#pragma once

// Table answers remembered for one pass over a molecule. A protein asks the same few hundred
// questions of the bond table and the type rules a hundred thousand times, and each question
// is a scan of the table; a memo asks each once. The answers are the lookups' own, so a memo
// must not outlive the pass it serves: the tables may change between passes (calibration
// rewrites rows in place).

#include <string>
#include <unordered_map>
#include <utility>

#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

// InputParameters::findBondParameters, remembered.
class BondLookupMemo {
 public:
  explicit BondLookupMemo(InputParameters& tables) : tables_(tables) {}
  int find(const std::string& type1, const std::string& type2, int bondOrder,
           BondParameters& out);

 private:
  InputParameters& tables_;
  std::unordered_map<std::string, std::pair<int, BondParameters> > answers_;
};

// InputParameters::findTypeRules, remembered; the query's lists must be sorted as the rules'
// are, which the lookup needs anyway.
class TypeRuleMemo {
 public:
  explicit TypeRuleMemo(InputParameters& tables) : tables_(tables) {}
  bool find(const TypeRules& query, int level, std::string& type);

 private:
  InputParameters& tables_;
  std::unordered_map<std::string, std::pair<bool, std::string> > answers_;
};
