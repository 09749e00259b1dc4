// makelibrary: builds the shipped library (KV_GROUPS, KV_TEMPLATES, KV_MOLECULES and the
// default group icon) from tools/library-list.txt with the application's own code, so every
// type and parameter agrees with the tables it was built with. Each entry is read from its
// SMILES through the whole set-up chain; the chosen hydrogens become bond axes to "DUM" atoms
// exactly as the view's make-axis edit makes them; the result is written as a ".kv" file.
//
//   makelibrary [LIST [ROOT]]     defaults: tools/library-list.txt and the current folder
//
// Run it from the repository root after the tables change; it replaces the three folders.

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "construction/SetupChain.h"
#include "io/IOEngine.h"
#include "io/SmilesParser.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace fs = std::filesystem;

namespace {

constexpr float kAxisLength = 2.11561f;     // Angstrom from the real atom to its "DUM" end
constexpr float kTinyComponent = 0.001f;    // direction components below this count as 0
constexpr int kIconSize = 32;

struct Entry {
  std::string kind;
  std::string folder;
  std::string name;
  std::string display;
  std::string smiles;
  std::vector<int> axes;
  std::vector<std::string> atomNames;
  int line = 0;
};

std::string trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> split(const std::string& s, char by) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    const size_t at = s.find(by, start);
    out.push_back(trimmed(s.substr(start, at == std::string::npos ? std::string::npos : at - start)));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

bool parseEntry(const std::string& line, int number, Entry& entry) {
  const std::vector<std::string> f = split(line, '|');
  if (f.size() < 6) {
    std::cerr << "Error: makelibrary: line " << number << ": too few fields \"" << line << "\"\n";
    return false;
  }
  entry = Entry();
  entry.kind = f[0];
  entry.folder = f[1];
  entry.name = f[2];
  entry.display = f[3];
  entry.smiles = f[4];
  entry.line = number;
  for (const std::string& a : split(f[5], ',')) {
    if (a.empty()) continue;
    char* end = nullptr;
    const long v = std::strtol(a.c_str(), &end, 10);
    if (*end != '\0' || v < 0 || v > 10000) {
      std::cerr << "Error: makelibrary: line " << number << ": bad axis \"" << a << "\"\n";
      return false;
    }
    entry.axes.push_back(static_cast<int>(v));
  }
  if (f.size() > 6 && !f[6].empty()) entry.atomNames = split(f[6], ',');
  if (entry.kind != "group" && entry.kind != "template" && entry.kind != "molecule") {
    std::cerr << "Error: makelibrary: line " << number << ": unknown kind \"" << entry.kind << "\"\n";
    return false;
  }
  return true;
}

bool isHydrogen(const Atom* a) { return a->element == "H" && a->type != "DUM"; }

std::vector<Atom*> hydrogensOf(Atom* atom) {
  std::vector<Atom*> out;
  for (Bond* b : atom->bonds) {
    Atom* other = b->atom1 == atom ? b->atom2 : b->atom1;
    if (other != nullptr && isHydrogen(other)) out.push_back(other);
  }
  return out;
}

// PDB-style hydrogen names from the heavy atom's name: HA on CA, HB2 and HB3 on a CH2, HB1 to
// HB3 on a CH3, H61 and H62 on N6, H5' and H5'' on C5', HO3' on a nucleotide's O3'.
void nameHydrogens(Atom* heavy, bool nucleotide) {
  std::vector<Atom*> hs = hydrogensOf(heavy);
  if (hs.empty()) return;
  const std::string suffix = heavy->name.substr(std::min(heavy->element.size(), heavy->name.size()));
  const std::string base = (nucleotide && heavy->element == "O" ? "HO" : "H") + suffix;
  if (hs.size() == 1) {
    hs[0]->name = base;
    return;
  }
  for (size_t i = 0; i < hs.size(); ++i) {
    if (!suffix.empty() && suffix.back() == '\'')
      hs[i]->name = base + std::string(i, '\'');
    else if (suffix.empty())
      hs[i]->name = i == 0 ? base : base + std::to_string(i + 1);
    else if (heavy->element == "C" && hs.size() == 2)
      hs[i]->name = base + std::to_string(i + 2);
    else
      hs[i]->name = base + std::to_string(i + 1);
  }
}

// The view's make-axis edit on one hydrogen: type "DUM", name "DUM" + id, every bond an axis,
// moved out to the axis length along its old direction.
void makeAxis(Molecule* m, Atom* h) {
  h->type = "DUM";
  h->name = "DUM" + std::to_string(h->id);
  for (Bond* b : h->bonds) b->isBondAxis = true;
  if (h->bonds.empty()) return;
  const Atom* carrier = h->bonds[0]->atom1 == h ? h->bonds[0]->atom2 : h->bonds[0]->atom1;
  const SSEVector4f p = m->positions[static_cast<size_t>(carrier->id)];
  SSEVector4f u = m->positions[static_cast<size_t>(h->id)] - p;
  u.w = 0.0f;
  u.normalize();
  if (std::fabs(u.x) < kTinyComponent) u.x = 0.0f;
  if (std::fabs(u.y) < kTinyComponent) u.y = 0.0f;
  if (std::fabs(u.z) < kTinyComponent) u.z = 0.0f;
  SSEVector4f moved = p + u * kAxisLength;
  moved.w = 1.0f;
  m->positions[static_cast<size_t>(h->id)] = moved;
  h->position = moved;
}

std::unique_ptr<Molecule> build(const Entry& e) {
  auto fail = [&e](const std::string& what) {
    std::cerr << "Error: makelibrary: line " << e.line << " (" << e.name << "): " << what << "\n";
    return std::unique_ptr<Molecule>();
  };
  SmilesParser parser;
  std::unique_ptr<Molecule> m(parser.smilesToMol(e.smiles));
  if (!m) return fail("SMILES not read \"" + e.smiles + "\"");
  if (m->positions.size() != m->atoms.size()) return fail("no coordinates");

  // The atoms other than hydrogen keep the SMILES order; hydrogens written in brackets stand
  // between them, the added ones after them.
  std::vector<Atom*> heavy;
  for (Atom* a : m->atoms)
    if (a->element != "H") heavy.push_back(a);
  const size_t heavyCount = heavy.size();
  if (!e.atomNames.empty()) {
    if (e.atomNames.size() != heavyCount)
      return fail(std::to_string(e.atomNames.size()) + " names for " +
                  std::to_string(heavyCount) + " atoms");
    for (size_t i = 0; i < heavyCount; ++i) heavy[i]->name = e.atomNames[i];
    const bool nucleotide = e.name.size() <= 2;
    for (Atom* a : heavy) nameHydrogens(a, nucleotide);
  }

  SetupSteps steps{SetupStep::Naming, SetupStep::Energies};
  steps.freshName = true;
  if (!e.axes.empty()) {
    for (Atom* a : m->atoms) a->isAromatic = false;
    for (int position : e.axes) {
      if (static_cast<size_t>(position) >= heavyCount)
        return fail("axis atom " + std::to_string(position) + " out of range");
      std::vector<Atom*> hs = hydrogensOf(heavy[static_cast<size_t>(position)]);
      if (hs.empty()) return fail("no hydrogen left for axis at " + std::to_string(position));
      makeAxis(m.get(), hs[0]);
    }
    m->update();
    // The new axes need their parameters and spheroids; the rest keeps its geometry.
    steps = steps.with(SetupStep::Parameters).with(SetupStep::Spheroids);
  }
  const SetupResult setup = runSetupChain(*m, steps);
  if (!setup.ok())
    return fail(std::string("the ") + setupStepName(setup.refused) + " step refused the molecule");

  // The entry's name first, unless it is the formula.
  if (m->getName() != e.name) m->names.insert(m->names.begin(), e.name);
  m->displayName = e.display;
  m->smiles = e.smiles;
  if (e.kind != "molecule") {
    for (Atom* a : m->atoms) {
      a->groupName = e.name;
      a->groupIndex = "1";
      a->groupInstance = e.name + "1";
    }
    for (Bond* b : m->bonds) {
      b->groupName = e.name;
      b->groupIndex = "1";
      b->groupInstance = e.name + "1";
    }
  }
  m->calculateNumBondAxes();
  return m;
}

bool writeIcon(const fs::path& file) {
  QImage image(kIconSize, kIconSize, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(90, 90, 90), 3));
  painter.drawLine(9, 23, 23, 9);   // a bond between two atoms
  painter.setPen(QPen(QColor(40, 40, 40), 1));
  painter.setBrush(QColor(70, 110, 200));
  painter.drawEllipse(QPointF(9, 23), 6.5, 6.5);
  painter.setBrush(QColor(210, 60, 50));
  painter.drawEllipse(QPointF(23, 9), 6.5, 6.5);
  painter.end();
  return image.save(QString::fromStdString(file.string()), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Never deleted: a destroyed application makes the offscreen platform leak its screens.
  new QApplication(argc, argv);
  const std::string listPath = argc > 1 ? argv[1] : "tools/library-list.txt";
  const fs::path root = argc > 2 ? fs::path(argv[2]) : fs::current_path();
  std::ifstream list(listPath);
  if (!list) {
    std::cerr << "Error: makelibrary: cannot open list \"" << listPath << "\"\n";
    return 1;
  }
  UtilityEngine::instance()->setConsoleSink([](const std::string&) {});
  std::cout.setstate(std::ios::failbit);   // the optimiser's energy report is not wanted here

  const char* folders[] = {"KV_GROUPS", "KV_TEMPLATES", "KV_MOLECULES"};
  std::error_code ec;
  for (const char* folder : folders) fs::remove_all(root / folder, ec);

  int written = 0;
  int failed = 0;
  std::string line;
  int number = 0;
  while (std::getline(list, line)) {
    ++number;
    const std::string text = trimmed(line);
    if (text.empty() || text.compare(0, 2, "//") == 0) continue;
    Entry entry;
    if (!parseEntry(text, number, entry)) {
      ++failed;
      continue;
    }
    std::unique_ptr<Molecule> m = build(entry);
    if (!m) {
      ++failed;
      continue;
    }
    const char* top = entry.kind == "group" ? folders[0]
                      : entry.kind == "template" ? folders[1] : folders[2];
    const fs::path folder = root / top / entry.folder;
    fs::create_directories(folder, ec);
    const fs::path file = folder / (entry.name + ".kv");
    if (IOEngine::instance()->writeKvtFile(m.get(), file.string().c_str()) != 1) {
      ++failed;
      continue;
    }
    std::unique_ptr<Molecule> back(IOEngine::instance()->parseKvtFile(file.string()));
    if (!back || back->atoms.size() != m->atoms.size()) {
      std::cerr << "Error: makelibrary: \"" << file.string() << "\" does not read back\n";
      ++failed;
      continue;
    }
    ++written;
  }

  fs::create_directories(root / "Resources" / "FGIcons", ec);
  if (!writeIcon(root / "Resources" / "FGIcons" / "default.png")) {
    std::cerr << "Error: makelibrary: cannot write the default icon\n";
    ++failed;
  }
  std::cout.clear();
  std::cout << "makelibrary: " << written << " files written, " << failed << " failed\n";
  return failed == 0 ? 0 : 1;
}
