#pragma once

// Ring-closure tests on list-built chains: the small library of the assembly tests, plus a
// carbon with four open ends ("QUAT").
// `openChain(n)` joins n methylene groups N1 ... Nn in a row; N1.DUM1 and Nn.DUM2 stay open.

#include <cmath>
#include <memory>
#include <sstream>
#include <string>

#include "AssemblyFixture.h"
#include "assembly/RingClosure.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

namespace kvtest {

inline SSEVector4f centre(const Atom* a) { return RingClosure::centreOf(a); }

// The angle a-b-c in degrees.
inline float angleDeg(const SSEVector4f& a, const SSEVector4f& b, const SSEVector4f& c) {
  SSEVector4f u = a - b, v = c - b;
  return std::acos(std::max(-1.0f, std::min(1.0f, u.dot(v) / (u.length() * v.length())))) *
         57.29578f;
}

class RingClosureTest : public AssemblyTest {
 protected:
  void SetUp() override {
    AssemblyTest::SetUp();
    ASSERT_EQ(3, loadSmallLibrary());
  }

  int loadQuaternary() {
    std::istringstream in(
        "TYPE  RINGS\n"
        "FUNC QUAT Quaternary\nATOM C1 CH4\nATOM DUM1 DUM\nATOM DUM2 DUM\nATOM DUM3 DUM\n"
        "ATOM DUM4 DUM\nSINGLE C1 DUM1 C1 DUM2 C1 DUM3 C1 DUM4\n");
    return engine->loadGroups(in, &library->groups);
  }

  static std::string chainText(int n) {
    std::string text = "MOLE Chain\n";
    for (int i = 1; i <= n; ++i) text += "FUNC N" + std::to_string(i) + " METHYLENE\n";
    for (int i = 1; i < n; ++i)
      text += "SINGLE N" + std::to_string(i) + ".DUM2 N" + std::to_string(i + 1) + ".DUM1\n";
    return text;
  }
  std::unique_ptr<Molecule> openChain(int n) { return readMolecule(chainText(n)); }

  // The only bond of the named dummy, or null.
  static Bond* openEnd(Molecule& m, const std::string& label, const char* dummy) {
    Atom* a = m.findAtom(label, dummy);
    return a != nullptr && a->bonds.size() == 1 ? a->bonds.front() : nullptr;
  }
  static Bond* openEnd(Molecule& m, int node, const char* dummy) {
    return openEnd(m, "N" + std::to_string(node), dummy);
  }

  // The initialised closure of the two open ends of openChain(n), with a closing bond.
  static std::unique_ptr<RingClosure> closureOf(Molecule& chain, int n) {
    auto closure = std::make_unique<RingClosure>(&chain, openEnd(chain, 1, "DUM1"),
                                                 openEnd(chain, n, "DUM2"), false);
    EXPECT_TRUE(closure->initializeRingClosure());
    closure->closingBondParameters = {0.75f, 1.0f, 0.66f, 1.5f, 3.6f};   // a single bond
    return closure;
  }
};

}  // namespace kvtest
