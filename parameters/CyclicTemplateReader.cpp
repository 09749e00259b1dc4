// Reader of "cyclictemplates.txt": reference geometries of rings, with the bond lengths, bond
// angles and torsions along each ring derived when a template is closed.

#include "parameters/InputParameters.h"

#include "math/Constants.h"
#include "math/UtilityEngine.h"
#include "math/VectorFunctions.h"
#include "parameters/TableText.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <memory>

namespace {

const int kMaxTemplateAtoms = 1000;      // far above any ring template

const char* const kPlace = "InputParameters::readInCyclicTemplateTable";

template <class T>
std::shared_ptr<T[]> zeroArray(int size) {
  return std::shared_ptr<T[]>(new T[static_cast<size_t>(size)]());
}

// The template being read, with its counters and the header line for messages.
struct OpenTemplate {
  std::unique_ptr<CyclicTemplates> record;
  int atomCount = 0;
  int connectionCount = 0;
  std::string header;
};

void wrongEntry(const std::string& line, const char* what) {
  ErrorLine() << line << " Error: wrong entry in " << what << " line" << line;
}

// An atom number of a CONN line must name one of the template's atom lines; above and below
// may also be 0 (no substituent).
bool inTemplate(int number, int totalAtoms, int lowest, const std::string& line) {
  if (number >= lowest && number <= totalAtoms)
    return true;
  ErrorLine() << "Error: " << kPlace << ": atom number \"" << number << "\" outside the "
              << totalAtoms << " atoms of the template in line \"" << line << "\"";
  return false;
}

}  // namespace

void InputParameters::parseCyclicTemplateTable(const std::string& text) {
  OpenTemplate open;
  auto close = [&]() {
    if (!open.record)
      return;
    CyclicTemplates* tmpl = open.record.get();
    for (int k = 0; k < tmpl->ringSize; ++k)
      if (tmpl->mainChain[k] < 1 || tmpl->mainChain[k] > open.atomCount) {
        ErrorLine() << "Error: " << kPlace << ": ring atoms missing in template \"" << open.header
                    << "\"";
        open.record.reset();
        return;
      }
    closeCyclicTemplate(tmpl);
    cyclicTemplates.push_back(open.record.release());
  };
  for (std::string line : TableText::lines(text)) {
    if (!TableText::prepareLine(line, "\t "))
      continue;
    std::vector<std::string> split;
    UtilityEngine::instance()->tokenize(line, split, " \t");
    if (split.empty())
      continue;
    const size_t values = split.size() - 1;
    UtilityEngine::instance()->toUpper(line);
    std::string first = split[0];
    UtilityEngine::instance()->toUpper(first);

    if (first == "RING" || first == "AROM") {
      close();
      int ringSize = 0;
      int totalAtoms = 0;
      if (values != 2 || !TableText::toInt(split[1], ringSize) ||
          !TableText::toInt(split[2], totalAtoms) || ringSize < 3 || totalAtoms < ringSize ||
          totalAtoms > kMaxTemplateAtoms) {
        wrongEntry(line, "RING");
        continue;
      }
      open.record = std::make_unique<CyclicTemplates>();
      open.atomCount = 0;
      open.connectionCount = 0;
      open.header = line;
      CyclicTemplates* tmpl = open.record.get();
      tmpl->kind = first;
      tmpl->ringSize = ringSize;
      tmpl->totalAtoms = totalAtoms;
      tmpl->mainChain = zeroArray<int>(ringSize);
      tmpl->above = zeroArray<int>(ringSize);
      if (first == "RING")
        tmpl->below = zeroArray<int>(ringSize);
      tmpl->x = zeroArray<float>(totalAtoms);
      tmpl->y = zeroArray<float>(totalAtoms);
      tmpl->z = zeroArray<float>(totalAtoms);
      tmpl->bondLengths = zeroArray<float>(ringSize - 1);
      tmpl->bondAngles = zeroArray<float>(ringSize - 2);
      tmpl->torsions = zeroArray<float>(ringSize - 1);
      continue;
    }
    if (!open.record)
      continue;   // rows of a rejected template
    CyclicTemplates* tmpl = open.record.get();

    if (first == "CONN") {
      const size_t width = tmpl->kind == "RING" ? 3 : 2;
      bool good = values % width == 0 &&
                  open.connectionCount + static_cast<int>(values / width) <= tmpl->ringSize;
      for (size_t i = 1; good && i + width - 1 < split.size(); i += width) {
        int ringAtom = 0, above = 0, below = 0;
        good = TableText::toInt(split[i], ringAtom) && TableText::toInt(split[i + 1], above) &&
               (width == 2 || TableText::toInt(split[i + 2], below)) &&
               inTemplate(ringAtom, tmpl->totalAtoms, 1, line);
        if (!good)
          break;
        int k = open.connectionCount++;
        tmpl->mainChain[k] = ringAtom;
        // A substituent number outside the template names no atom: it is dropped, not kept.
        tmpl->above[k] = inTemplate(above, tmpl->totalAtoms, 0, line) ? above : 0;
        if (width == 3)
          tmpl->below[k] = inTemplate(below, tmpl->totalAtoms, 0, line) ? below : 0;
      }
      if (!good) {
        wrongEntry(line, "CONN");
        open.record.reset();
      }
      continue;
    }

    int k = open.atomCount;
    if (values != 3 || k >= tmpl->totalAtoms || !TableText::toFloat(split[1], tmpl->x[k]) ||
        !TableText::toFloat(split[2], tmpl->y[k]) || !TableText::toFloat(split[3], tmpl->z[k])) {
      wrongEntry(line, "ATOM");
      open.record.reset();
      continue;
    }
    ++open.atomCount;
  }
  close();
}

void InputParameters::closeCyclicTemplate(CyclicTemplates* tmpl) {
  const int n = tmpl->ringSize;
  auto position = [tmpl, n](int k, float p[3]) {
    int atom = tmpl->mainChain[((k % n) + n) % n] - 1;
    p[0] = tmpl->x[atom];
    p[1] = tmpl->y[atom];
    p[2] = tmpl->z[atom];
  };
  float a[3], b[3], c[3], d[3];
  for (int k = 0; k + 1 < n; ++k) {
    position(k, a);
    position(k + 1, b);
    float dx = b[0] - a[0], dy = b[1] - a[1], dz = b[2] - a[2];
    tmpl->bondLengths[k] = std::sqrt(dx * dx + dy * dy + dz * dz);
  }
  for (int k = 0; k + 2 < n; ++k) {
    position(k, a);
    position(k + 1, b);
    position(k + 2, c);
    float u[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    float v[3] = {c[0] - b[0], c[1] - b[1], c[2] - b[2]};
    float lengths = tmpl->bondLengths[k] * tmpl->bondLengths[k + 1];
    float cosine = lengths > 0.0f ? (u[0] * v[0] + u[1] * v[1] + u[2] * v[2]) / lengths : 1.0f;
    cosine = std::max(-1.0f, std::min(1.0f, cosine));
    tmpl->bondAngles[k] = static_cast<float>(std::acos(cosine) * 180.0 / kPiWidened);
  }
  for (int k = 0; k + 1 < n; ++k) {
    position(k - 1, a);   // cyclic: the last ring atom before atom 0
    position(k, b);
    position(k + 1, c);
    position(k + 2, d);   // cyclic: atom 0 after the last
    double r1[3], r2[3], r3[3], p[3], q[3];
    for (int i = 0; i < 3; ++i) {
      r1[i] = static_cast<float>(a[i] - b[i]);
      r2[i] = static_cast<float>(b[i] - c[i]);
      r3[i] = static_cast<float>(d[i] - c[i]);
    }
    CrossProduct(r1, r2, p);
    CrossProduct(r3, r2, q);
    double pp = p[0] * p[0] + p[1] * p[1] + p[2] * p[2];
    double qq = q[0] * q[0] + q[1] * q[1] + q[2] * q[2];
    if (pp < 1e-10 || qq < 1e-10) {
      tmpl->torsions[k] = 0.0f;   // three ring atoms in a line: no defined torsion
      continue;
    }
    double norm = std::sqrt(pp * qq);
    double cosine = (p[0] * q[0] + p[1] * q[1] + p[2] * q[2]) / norm;
    double r2Length = std::sqrt(r2[0] * r2[0] + r2[1] * r2[1] + r2[2] * r2[2]);
    double sine = (p[0] * r3[0] + p[1] * r3[1] + p[2] * r3[2]) * r2Length / norm;
    double angle = std::fabs(cosine) < 1.0 ? std::acos(cosine) : (cosine > 0.0 ? 0.0 : kPiWidened);
    if (sine < 0.0)
      angle = -angle;
    tmpl->torsions[k] = static_cast<float>(angle * 180.0 / kPiWidened);
  }
}
