// Readers of the block tables: type rules, basic rings and combine rules. Keywords are known by
// their first characters, so "DOUBL" counts as DOUBLE and "AROMATIC" as AROMAT.

#include "parameters/InputParameters.h"

#include "math/UtilityEngine.h"
#include "parameters/TableText.h"

#include <iostream>
#include <map>
#include <memory>
#include <utility>

namespace {

void upperCase(std::string& text) {
  UtilityEngine::instance()->toUpper(text);
}

std::vector<std::string> tokens(const std::string& text) {
  std::vector<std::string> result;
  UtilityEngine::instance()->tokenize(text, result, " \t");
  return result;
}

std::string secondToken(const std::string& line) {
  std::vector<std::string> split = tokens(line);
  return split.size() > 1 ? split[1] : std::string();
}

std::string textFrom(const std::string& line, size_t index) {
  return index < line.size() ? line.substr(index) : std::string();
}

}  // namespace

void InputParameters::parseTypeRulesTable(const std::string& text) {
  int level = 0;
  std::unique_ptr<TypeRules> current;
  UtilityEngine* utility = UtilityEngine::instance();
  // The matcher walks the lists in sorted order, "*" entries last.
  auto close = [&]() {
    if (!current)
      return;
    current->level = level;
    utility->sortStringVector(current->aromatic);
    utility->sortStringVector(current->triple);
    utility->sortStringVector(current->double_);
    utility->sortStringVector(current->single);
    typeRules.push_back(current.release());
  };
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    upperCase(line);
    std::string keyword = line.substr(0, 4);
    if (keyword == "LEVE") {
      int number = 0;
      std::string token = secondToken(line);
      if (!TableText::toInt(token, number)) {
        ErrorLine() << "Error: InputParameters::readInTypeRulesTable: bad level \"" << token
                    << "\" in line \"" << line << "\"";
        continue;
      }
      // The open rule belongs to the level before this line.
      close();
      level = number;
      if (level > maxTypeRuleLevel)
        maxTypeRuleLevel = level;
      if (level < minTypeRuleLevel)
        minTypeRuleLevel = level;
    } else if (keyword == "TYPE") {
      close();
      current = std::make_unique<TypeRules>();
      current->type = secondToken(line);
    } else if (keyword == "MAIN" || keyword == "SING" || keyword == "DOUB" ||
               keyword == "TRIP" || keyword == "AROM") {
      if (!current) {
        ErrorLine() << "Error: InputParameters::readInTypeRulesTable: no TYPE before \"" << line
                    << "\"";
        continue;
      }
      std::vector<std::string> split = tokens(line);
      if (keyword == "MAIN") {
        current->main = split.size() > 1 ? split[1] : std::string();
        continue;
      }
      std::vector<std::string>& list = keyword == "SING"   ? current->single
                                       : keyword == "DOUB" ? current->double_
                                       : keyword == "TRIP" ? current->triple
                                                           : current->aromatic;
      list.insert(list.end(), split.begin() + 1, split.end());
    }
  }
  close();
}

static int bondOrderWord(const std::string& word) {
  if (word == "DOUBLE")
    return 2;
  if (word == "AROMAT")
    return 9;
  return 1;
}

void InputParameters::parseBasicRingTable(const std::string& text) {
  size_t firstNew = basicRings.size();
  BasicRings* current = nullptr;   // owned by basicRings once opened
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    upperCase(line);
    std::string keyword4 = line.substr(0, 4);
    std::string keyword6 = line.substr(0, 6);
    if (keyword4 == "RING" || keyword4 == "SRIN") {
      current = new BasicRings();
      current->substituted = keyword4 == "SRIN";
      current->name = secondToken(line);
      basicRings.push_back(current);
      continue;
    }
    bool isPairs = keyword6 == "SINGLE" || keyword6 == "DOUBLE" || keyword6 == "AROMAT";
    if (keyword4 != "ISAR" && keyword4 != "ATOM" && !isPairs && keyword6 != "UPDATE")
      continue;
    if (!current) {
      ErrorLine() << "Error: InputParameters::readInBasicRingTable: no RING before \"" << line
                  << "\"";
      continue;
    }
    std::vector<std::string> split = tokens(line);
    if (keyword4 == "ISAR") {
      if (split.size() > 1 && split[1] == "TRUE")
        current->aromatic = true;
    } else if (keyword4 == "ATOM") {
      split.resize(4);   // label, element and type; missing ones stay empty
      current->atomLabels.push_back(split[1]);
      current->atomElements.push_back(split[2]);
      current->atomTypes.push_back(split[3]);
    } else {
      bool isUpdate = keyword6 == "UPDATE";
      size_t firstPair = isUpdate ? 3 : 1;
      // The keyword (and the two order words of an UPDATE) followed by whole pairs.
      if (split.size() % 2 == 0 || split.size() < firstPair) {
        ErrorLine() << " Wrong entry for RING " << current->name << " : " << line;
        continue;
      }
      int before = isUpdate ? bondOrderWord(split[1]) : bondOrderWord(keyword6);
      int after = isUpdate ? bondOrderWord(split[2]) : before;
      if (isUpdate)
        current->hasUpdate = true;
      for (size_t i = firstPair; i + 1 < split.size(); i += 2) {
        current->bondFrom.push_back(split[i]);
        current->bondTo.push_back(split[i + 1]);
        current->bondOrders.push_back(before);
        current->newBondOrders.push_back(after);
      }
    }
  }
  for (size_t i = firstNew; i < basicRings.size(); ++i)
    chainBasicRing(*basicRings[i]);
}

// Brings the pairs into ring order, pair k running from atom k to atom k+1, and the atoms with
// them, so that a perceived ring can be compared with the template by rotation.
void InputParameters::chainBasicRing(BasicRings& ring) {
  const size_t n = ring.bondFrom.size();
  if (n == 0)
    return;
  auto swapPairs = [&ring](size_t a, size_t b) {
    std::swap(ring.bondFrom[a], ring.bondFrom[b]);
    std::swap(ring.bondTo[a], ring.bondTo[b]);
    std::swap(ring.bondOrders[a], ring.bondOrders[b]);
    std::swap(ring.newBondOrders[a], ring.newBondOrders[b]);
  };
  for (size_t i = 0; i + 1 < n; ++i) {
    const std::string next = ring.bondTo[i];
    for (size_t j = i + 1; j < n; ++j) {
      if (ring.bondFrom[j] == next) {
        swapPairs(i + 1, j);
        break;
      }
      if (ring.bondTo[j] == next) {
        swapPairs(i + 1, j);
        std::swap(ring.bondFrom[i + 1], ring.bondTo[i + 1]);
        break;
      }
      if (j == n - 1)
        ErrorLine() << ring.name << ": Does Not Make A Ring!";
    }
  }
  if (ring.bondTo[n - 1] != ring.bondFrom[0]) {
    ErrorLine() << ring.name << ": Does Not Make A Ring!";
    return;
  }
  std::map<std::string, size_t> atomLine;
  for (size_t i = 0; i < ring.atomLabels.size(); ++i)
    atomLine[ring.atomLabels[i]] = i;   // a repeated label keeps the later line
  std::vector<std::string> elements;
  std::vector<std::string> types;
  for (const std::string& label : ring.bondFrom) {
    // A label without an ATOM line takes the block's first ATOM line.
    auto found = atomLine.find(label);
    size_t index = found == atomLine.end() ? 0 : found->second;
    bool known = index < ring.atomElements.size();
    elements.push_back(known ? ring.atomElements[index] : std::string());
    types.push_back(known ? ring.atomTypes[index] : std::string());
  }
  ring.atomLabels = ring.bondFrom;
  ring.atomElements = elements;
  ring.atomTypes = types;
}

void InputParameters::parseCombineRules(const std::string& text) {
  UpdateRules* current = nullptr;   // owned by ownedUpdateRules
  std::vector<std::string> pendingKeys;
  auto enterKeys = [&]() {
    if (!current)
      return;
    for (const std::string& key : pendingKeys)
      combineRules[key] = current;   // a later block replaces an earlier one's key
  };
  // Pairs from the text after a keyword, joined by one blank; false on an odd count.
  auto pairs = [](const std::string& rest, std::vector<std::string>& out) {
    std::vector<std::string> split = tokens(rest);
    if (split.size() % 2 != 0)
      return false;
    for (size_t i = 0; i + 1 < split.size(); i += 2)
      out.push_back(split[i] + " " + split[i + 1]);
    return true;
  };
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, " "))
      continue;
    upperCase(line);
    bool good = true;
    if (TableText::startsWith(line, "RULE")) {
      enterKeys();
      pendingKeys.clear();
      current = new UpdateRules();
      ownedUpdateRules.push_back(current);
    } else if (TableText::startsWith(line, "COMB")) {
      good = pairs(textFrom(line, 5), pendingKeys);
    } else if (TableText::startsWith(line, "UPDATE")) {
      std::vector<std::string> ignored;
      good = pairs(textFrom(line, 6), current ? current->updates : ignored);
    } else if (TableText::startsWith(line, "RENAME")) {
      std::vector<std::string> ignored;
      good = pairs(textFrom(line, 6), current ? current->renames : ignored);
    } else if (TableText::startsWith(line, "GROUP")) {
      std::vector<std::string> split = tokens(textFrom(line, 6));
      if (current && !split.empty())
        current->group = split[0];
    }
    if (!good) {
      // The rest of the table is not trusted; what was entered so far stays.
      ErrorLine() << "Error: worng entry in combinerules.txt";
      return;
    }
  }
  enterKeys();
}
