// First coordinates of list-built molecules from bond lengths and angles, on a few table rows.

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "RingClosureFixture.h"
#include "io/IOEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "support/EmptyTables.h"
#include "support/ErrorCapture.h"
#include "support/MoleculeBuilder.h"
#include "support/QtApplication.h"

namespace {

using kvtest::angleDeg;

// Carbon-like types CA and CB; every bond 1.5 Angstrom long (major axis 2.0 Bohr).
const char* kBondRows = R"(CA CA 1 2.0 1.5 3.6 0
CA CB 1 2.0 1.5 3.6 0
)";

class InitialGeometry : public kvtest::EmptyTablesTest {
 protected:
  void SetUp() override {
    kvtest::EmptyTablesTest::SetUp();
    kvtest::ensureApplication();
    engine = IOEngine::instance();
    params().parseBondTable(kBondRows);
  }
  // Carbons of the given types joined by single bonds, each at a position telling it apart.
  static std::unique_ptr<Molecule> typed(const std::vector<std::string>& types,
                                         const std::vector<kvtest::Edge>& edges) {
    auto m = kvtest::buildMolecule(std::vector<std::string>(types.size(), "C"), edges);
    for (size_t i = 0; i < types.size(); ++i) m->atoms[i]->type = types[i];
    kvtest::setIndexPositions(*m);
    return m;
  }
  static SSEVector4f at(const Molecule& m, int i) { return m.positions[static_cast<size_t>(i)]; }
  // The bond rows and these angle rows in place of whatever angles were there.
  void useAngles(const char* rows) {
    params().releaseTables();
    params().parseBondTable(kBondRows);
    params().parseAngleTable(rows);
  }

  IOEngine* engine = nullptr;
  kvtest::ErrorCapture errors;
};

TEST_F(InitialGeometry, AtomsSitAtTheirBondLengthsAndAngles) {
  auto pair = typed({"CA", "CB"}, {{0, 1, 1}});
  ASSERT_TRUE(engine->calculateInitialGeometry(pair.get()));
  EXPECT_EQ(0.0f, at(*pair, 0).length());
  EXPECT_EQ(0.0f, (at(*pair, 1) - SSEVector4f(1.5f, 0.0f, 0.0f, 1.0f)).length());
  const Bond* b = pair->bonds.front();
  EXPECT_FLOAT_EQ(1.058f, static_cast<float>(b->semiMajorAxis));
  EXPECT_FLOAT_EQ(1.5f, static_cast<float>(b->focalDistance));
  EXPECT_FLOAT_EQ(3.6f, b->energy);

  // Without a row a centre takes its default: 104.5 for a carbon of two bonds and valences.
  for (const char* rows : {"CA CA CA 100.0\n", ""}) {
    useAngles(rows);
    auto chain = typed({"CA", "CA", "CA", "CA"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}});
    ASSERT_TRUE(engine->calculateInitialGeometry(chain.get())) << errors.text();
    for (int i = 1; i <= 2; ++i)
      EXPECT_NEAR(*rows ? 100.0f : 104.5f,
                  angleDeg(at(*chain, i - 1), at(*chain, i), at(*chain, i + 1)), 0.01);
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(1.5f, (at(*chain, i + 1) - at(*chain, i)).length(), 1e-4);
  }

  // The bond that closes a ring joins two atoms already placed and moves nothing.
  useAngles("CA CA CA 60.0\n");
  auto ring = typed({"CA", "CA", "CA"}, {{0, 1, 1}, {1, 2, 1}, {2, 0, 1}});
  ASSERT_TRUE(engine->calculateInitialGeometry(ring.get())) << errors.text();
  EXPECT_NEAR(1.5f, (at(*ring, 2) - at(*ring, 1)).length(), 1e-4);
  EXPECT_TRUE(errors.lines.empty());
}

TEST_F(InitialGeometry, UnplaceableMoleculesKeepTheirPositions) {
  const struct {
    std::vector<std::string> types;
    std::vector<kvtest::Edge> edges;
    std::string message;
  } cases[] = {
      {{"CA", "CA"}, {}, "Error: calculateInitialGeometry, 2 atoms and no bond to start from"},
      {{"CA", "QQ"}, {{0, 1, 1}}, "Error: Can not find bond parameters  CA---QQ"},
      {{"CA", "CA", "CA", "CA"}, {{0, 1, 1}, {2, 3, 1}},
       "Error: calculateInitialGeometry, bond 2 is not connected to the start bond"},
  };
  for (const auto& c : cases) {
    errors.clear();
    auto m = typed(c.types, c.edges);
    EXPECT_FALSE(engine->calculateInitialGeometry(m.get())) << c.message;
    EXPECT_EQ(std::vector<std::string>{c.message}, errors.lines);
    for (size_t i = 0; i < c.types.size(); ++i)
      EXPECT_EQ(static_cast<float>(i), at(*m, static_cast<int>(i)).x);
  }
}

}  // namespace
