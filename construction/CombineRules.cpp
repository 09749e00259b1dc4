// Combine rules: when a functional group is combined with another, the atoms of its instance
// take new types, new names and a new group name from one rule of the combine-rule table.

#include <map>
#include <string>
#include <vector>

#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Molecule.h"
#include "parameters/ParameterRecords.h"

namespace {

// Entries read "GROUP.ATOM VALUE". Those of the given group become atom name -> value; a later
// entry for the same atom wins. An entry without "." or without both words is passed over.
std::map<std::string, std::string> entriesForGroup(const std::vector<std::string>& entries,
                                                   const std::string& group) {
  std::map<std::string, std::string> out;
  for (const std::string& entry : entries) {
    const size_t dot = entry.find('.');
    if (dot == std::string::npos || entry.compare(0, dot, group) != 0 || dot != group.size())
      continue;
    std::vector<std::string> words;
    UtilityEngine::instance()->tokenize(entry.substr(dot + 1), words, " ");
    if (words.size() < 2) continue;
    out[words[0]] = words[1];
  }
  return out;
}

// Types, then names, of the instance's atoms. The names are matched as they were before the
// rule, so a rename never hides an atom from its type update.
void applyRule(Molecule& m, const std::string& groupInstance, const std::string& groupName,
               const UpdateRules& rule) {
  const std::map<std::string, std::string> types = entriesForGroup(rule.updates, groupName);
  const std::map<std::string, std::string> names = entriesForGroup(rule.renames, groupName);
  for (Atom* a : m.atoms) {
    if (a->groupInstance != groupInstance) continue;
    const auto type = types.find(a->name);
    const auto name = names.find(a->name);
    if (type != types.end() && !type->second.empty()) a->type = type->second;
    if (name != names.end() && !name->second.empty()) a->name = name->second;
    a->groupName = rule.group;
  }
}

}  // namespace

void Molecule::updateCombineRule(std::string groupInstance, UpdateRules* rule) {
  if (rule == nullptr) return;
  // "KETO_3" is instance 3 of group "KETO"; an instance name without "_" is the group name
  // itself and keeps no suffix.
  const size_t cut = groupInstance.find('_');
  const std::string groupName = groupInstance.substr(0, cut);
  const std::string suffix = cut == std::string::npos ? std::string() : groupInstance.substr(cut);
  applyRule(*this, groupInstance, groupName, *rule);
  const std::string renamed = rule->group + suffix;
  for (Atom* a : atoms) {
    if (a->groupInstance == groupInstance) a->groupInstance = renamed;
  }
}

void Molecule::updateCombineRule(std::string groupInstance, std::string groupName,
                                 UpdateRules* rule) {
  if (rule == nullptr) return;
  applyRule(*this, groupInstance, groupName, *rule);
}
