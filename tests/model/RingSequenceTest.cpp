// Atom-id sequences matched against rings.

#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Molecule.h"
#include "model/Ring.h"
#include "support/MoleculeBuilder.h"

using kvtest::buildMolecule;

TEST(RingSequence, RearrangeRotatesTheRingToStartWithTheSequenceEitherWayRound) {
  Molecule m;
  std::vector<int> ring{1, 3, 5, 7};
  EXPECT_TRUE(m.rearrangeRing({5, 3}, ring));
  EXPECT_EQ((std::vector<int>{5, 3, 1, 7}), ring);
  EXPECT_TRUE(m.rearrangeRing({1, 7}, ring));
  EXPECT_EQ((std::vector<int>{1, 7, 5, 3}), ring);
  EXPECT_FALSE(m.rearrangeRing({1, 5}, ring));
  EXPECT_FALSE(m.rearrangeRing({}, ring));
  EXPECT_EQ((std::vector<int>{1, 7, 5, 3}), ring);
  std::vector<int> empty;
  EXPECT_FALSE(m.rearrangeRing({1}, empty));
}

TEST(RingSequence, RingComponentReportsWhereTheFirstIdStands) {
  Molecule m;
  int position = -1;
  EXPECT_TRUE(m.checkRingComponent({7, 1}, {1, 3, 5, 7}, position));
  EXPECT_EQ(3, position);
  EXPECT_FALSE(m.checkRingComponent({3, 1}, {1, 3, 5, 7}, position));
  EXPECT_EQ(1, position);
  EXPECT_FALSE(m.checkRingComponent({9}, {1, 3, 5, 7}, position));
  EXPECT_EQ(4, position);
  EXPECT_FALSE(m.checkRingComponent({1}, {}, position));
  EXPECT_EQ(0, position);
}

TEST(RingSequence, SearchInRingExtendsAlongPlacedAtoms) {
  auto m = buildMolecule(std::vector<std::string>(6, "C"),
                         {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 0, 1}});
  std::vector<int> sequence{0, 1};
  EXPECT_EQ(-1, m->searchInRing(sequence));   // no rings perceived yet
  EXPECT_EQ((std::vector<int>{0, 1}), sequence);

  m->findAllSmallestRings();
  const std::vector<int> ring = m->rings[0]->atomIds;
  // Follow the ring's own direction from its first two atoms.
  sequence = {ring[0], ring[1]};
  EXPECT_EQ(-1, m->searchInRing(sequence));   // nothing placed scores nothing
  m->atoms[static_cast<size_t>(ring[2])]->isPlaced = true;
  EXPECT_EQ(0, m->searchInRing(sequence));
  EXPECT_EQ((std::vector<int>{ring[0], ring[1], ring[2]}), sequence);
  m->atoms[static_cast<size_t>(ring[3])]->isPlaced = true;
  sequence = {ring[0], ring[1]};
  EXPECT_EQ(0, m->searchInRing(sequence));
  EXPECT_EQ((std::vector<int>{ring[0], ring[1], ring[2], ring[3]}), sequence);
  // Backwards the candidates are the atoms before the pair.
  sequence = {ring[4], ring[3]};
  EXPECT_EQ(0, m->searchInRing(sequence));
  EXPECT_EQ((std::vector<int>{ring[4], ring[3], ring[2]}), sequence);

  std::vector<int> single{ring[0], ring[1]};
  m->searchSequenceInRing(single, m->rings[0]);
  EXPECT_EQ((std::vector<int>{ring[0], ring[1], ring[2], ring[3]}), single);
  m->searchSequenceInRing(single, nullptr);
  EXPECT_EQ(4u, single.size());
}

TEST(RingSequence, OlderListPredicates) {
  auto seven = buildMolecule(std::vector<std::string>(7, "C"),
                             {{0, 1, 2}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}, {4, 5, 1}, {5, 6, 1},
                              {6, 0, 1}});
  std::vector<int> ring{0, 1, 2, 3, 4, 5, 6};
  EXPECT_FALSE(seven->checkAromaticity(ring));
  seven->bonds[3]->order = 9;
  EXPECT_TRUE(seven->checkAromaticity(ring));
  std::vector<int> stale{0, 1, 40};
  EXPECT_TRUE(seven->checkAromaticity(stale));   // 0=1 counts; the missing pairs count nothing

  const int first[] = {3, 1, 2};
  const int second[] = {1, 2, 3};
  const int other[] = {1, 2, 4};
  EXPECT_TRUE(seven->checkDuplicateRing(first, second, 3));
  EXPECT_FALSE(seven->checkDuplicateRing(first, other, 3));
  EXPECT_TRUE(seven->checkSingleRing(first, 3));
  const int repeated[] = {1, 2, 1};
  EXPECT_FALSE(seven->checkSingleRing(repeated, 3));
  EXPECT_FALSE(seven->checkSingleRing(nullptr, 2));
}
