#include "parameters/LookupMemo.h"

namespace {

// Type names hold no control characters, so these separate the parts of a key unambiguously.
const char kPart = '\x1f';
const char kList = '\x1e';

void appendList(std::string& key, const std::vector<std::string>& names) {
  key += kList;
  for (const std::string& name : names) {
    key += name;
    key += kPart;
  }
}

}  // namespace

int BondLookupMemo::find(const std::string& type1, const std::string& type2, int bondOrder,
                         BondParameters& out) {
  std::string key = type1;
  key += kPart;
  key += type2;
  key += kPart;
  key += std::to_string(bondOrder);
  auto known = answers_.find(key);
  if (known == answers_.end()) {
    BondParameters row;
    const int code = tables_.findBondParameters(type1, type2, bondOrder, row);
    known = answers_.emplace(std::move(key), std::make_pair(code, row)).first;
  }
  out = known->second.second;
  return known->second.first;
}

bool TypeRuleMemo::find(const TypeRules& query, int level, std::string& type) {
  std::string key = std::to_string(level);
  key += kPart;
  key += query.main;
  appendList(key, query.single);
  appendList(key, query.double_);
  appendList(key, query.triple);
  appendList(key, query.aromatic);
  auto known = answers_.find(key);
  if (known == answers_.end()) {
    std::string found;
    const bool matched = tables_.findTypeRules(query, level, found);
    known = answers_.emplace(std::move(key), std::make_pair(matched, found)).first;
  }
  if (known->second.first) type = known->second.second;
  return known->second.first;
}
