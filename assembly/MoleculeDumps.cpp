// Diagnostic files for the developers of the group matching and the ring search: the bond graph
// as GraphViz text under "Dot/", the whole molecule and the connected parts that groups matched
// or left unmatched as mol files. Paths are relative to the working directory.

#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "io/MDLMolParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"

namespace {

// A molecule name becomes one folder or file name: separators and a leading dot would let it
// climb out of the dump folder or hide it, so they become "_".
std::string safeFileName(std::string name) {
  for (char& c : name)
    if (c == '/' || c == '\\') c = '_';
  if (!name.empty() && name[0] == '.') name[0] = '_';
  return name;
}

// Makes the folder (one level) unless it is there; false, after an error line, when it cannot.
bool ensureFolder(const std::string& folder, const char* caller) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(folder, error);
  // Answers false without an error when the folder is there already.
  if (!error) std::filesystem::create_directory(path, error);
  std::error_code ignored;
  if (!error && std::filesystem::is_directory(path, ignored)) return true;
  ErrorLine() << "Error: " << caller << ": cannot make folder \"" << folder << "\""
              << (error ? ": " + error.message() : std::string());
  return false;
}

// The caller's name, or the formula name when it is empty.
std::string dumpName(Molecule& m, const std::string& name) {
  return safeFileName(name.empty() ? m.makeName() : name);
}

struct PartSelection {
  bool matched;          // seed atoms have isMatched equal to this
  const char* folder;    // below the working directory
  const char* suffix;
  const char* caller;
};

const PartSelection kMatchedParts{true, "Unmatched/", "_______matched", "printMatchedParts"};
const PartSelection kUnmatchedParts{false, "UnMatched/", "______unmatched", "printUnmatchedParts"};

Atom* elementCopy(const Atom* source) {
  Atom* copy = Builder::instance()->createAtom();
  copy->element = source->element;
  return copy;
}

// One connected part of the selected atoms, grown breadth-first over bonds whose two ends are
// selected; every atom copied is marked, so it lands in one part only. A seed without such a
// bond is a part of one atom and stays unmarked. Copies carry element and bond order only.
std::unique_ptr<Molecule> collectPart(Atom* seed, bool matched) {
  auto fits = [matched](const Bond* b) {
    return b->atom1 != nullptr && b->atom2 != nullptr && b->atom1->isMatched == matched &&
           b->atom2->isMatched == matched;
  };
  std::unique_ptr<Molecule> part(Builder::instance()->createMolecule());
  std::deque<std::pair<Bond*, Atom*> > queue;   // a bond and the atom it was reached from
  for (Bond* b : seed->bonds)
    if (fits(b)) queue.emplace_back(b, seed);
  if (queue.empty()) {
    part->addAtom(elementCopy(seed));
    return part;
  }
  std::map<const Atom*, Atom*> copies;
  auto copyOf = [&copies, &part](Atom* source) {
    auto it = copies.find(source);
    if (it != copies.end()) return it->second;
    Atom* copy = elementCopy(source);
    part->addAtom(copy);
    source->isMarked = true;
    copies.emplace(source, copy);
    return copy;
  };
  while (!queue.empty()) {
    Bond* b = queue.front().first;
    Atom* from = queue.front().second;
    queue.pop_front();
    // A ring bond is queued from both of its ends; it joins the part once.
    if (b->isMarked) continue;
    b->isMarked = true;
    Bond* copy = Builder::instance()->createBond();
    copy->atom1 = copyOf(b->atom1);
    copy->atom2 = copyOf(b->atom2);
    copy->order = b->order;
    if (part->addBond(copy) != 1) delete copy;
    Atom* next = b->atom1 == from ? b->atom2 : b->atom1;
    for (Bond* onward : next->bonds)
      if (!onward->isMarked && fits(onward)) queue.emplace_back(onward, next);
  }
  return part;
}

void printParts(Molecule& m, const std::string& requested, const PartSelection& selection) {
  const std::string name = dumpName(m, requested);
  const std::string folder = selection.folder + name;
  if (!ensureFolder(folder, selection.caller)) return;
  MDLMolParser writer;
  for (size_t i = 0; i < m.atoms.size(); ++i) {
    Atom* seed = m.atoms[i];
    if (seed->isMarked || seed->isMatched != selection.matched) continue;
    std::unique_ptr<Molecule> part = collectPart(seed, selection.matched);
    const std::string path =
        folder + "/" + name + "_" + std::to_string(i) + selection.suffix + ".mol";
    writer.writeMDLMolFile(part.get(), path.c_str());
  }
}

}  // namespace

void Molecule::printMainMolecule(std::string folder) {
  const std::string name = dumpName(*this, getName());
  const std::string directory = folder + name;
  if (!ensureFolder(directory, "printMainMolecule")) return;
  const std::string path = directory + "/" + name + "____________main.mol";
  MDLMolParser writer;
  writer.writeMDLMolFile(this, path.c_str());
}

void Molecule::printMoleculeInfo() {
  std::string name = names.empty() ? makeName() : names.front();
  name = name.substr(0, name.find(' '));
  const std::string path = "Dot/" + safeFileName(name) + ".dot";
  std::ofstream file(path, std::ios::out | std::ios::trunc);
  if (!file) {
    printError("couldn't  open file " + path);
    return;
  }
  file << "graph " << name << " {\n";
  for (const Bond* b : bonds) {
    if (b->atom1 == nullptr || b->atom2 == nullptr) continue;
    file << b->atom1->name << b->atom1->id << " -- " << b->atom2->name << b->atom2->id << ";\n";
  }
  file << "}";
}

void Molecule::printMatchedParts(std::string name) { printParts(*this, name, kMatchedParts); }

void Molecule::printUnmatchedParts(std::string name) { printParts(*this, name, kUnmatchedParts); }
