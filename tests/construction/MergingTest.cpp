// Copying one molecule's atoms and bonds into another, as a join does before it bonds the two.

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Builder.h"
#include "model/Molecule.h"
#include "support/MoleculeBuilder.h"
#include "support/ErrorCapture.h"

using kvtest::buildMolecule;

namespace {

// A five-atom chain C-C-C-O-R and a three-atom C-O-R, each with instance names and positions.
std::unique_ptr<Molecule> makeHost() {
  auto m = buildMolecule({"C", "C", "C", "O", "R"}, {{0, 1, 1}, {1, 2, 1}, {2, 3, 1}, {3, 4, 1}});
  for (Atom* a : m->atoms) a->groupInstance = "HOST_0";
  for (Bond* b : m->bonds) b->groupInstance = "HOST_0";
  m->groups = {"HOST_0", "LINK_1"};
  kvtest::setIndexPositions(*m);
  return m;
}

std::unique_ptr<Molecule> makeGuest() {
  auto m = buildMolecule({"C", "O", "R"}, {{0, 1, 1}, {1, 2, 1}});
  for (Atom* a : m->atoms) a->groupInstance = "KETO_4";
  for (Bond* b : m->bonds) b->groupInstance = "KETO_4";
  m->groups = {"KETO_4"};
  m->positions = {SSEVector4f(10, 1, 2, 1), SSEVector4f(11, 3, 4, 1), SSEVector4f(12, 5, 6, 1)};
  return m;
}

// A second bond between the guest's first two atoms, not wired into the atoms: only a merge sees
// it, and the copy of it is refused.
void addUnwiredTwin(Molecule& guest) {
  Bond* twin = Builder::instance()->createBond();
  twin->atom1 = guest.atoms[0];
  twin->atom2 = guest.atoms[1];
  twin->order = 1;
  twin->molecule = &guest;
  guest.bonds.push_back(twin);
  ++guest.numBonds;
}

}  // namespace

TEST(GUIMerge, AppendsCopiesAfterTheHostAtomsWithPositionsEnergiesAndGroupNames) {
  auto host = makeHost();
  auto guest = makeGuest();
  host->totalBondEnergy = 10.0f;
  guest->totalBondEnergy = 4.0f;
  guest->energyCorrection = 0.25f;
  int newIndex = -7;
  ASSERT_EQ(1, host->GUIMerge(guest.get(), guest->atoms[1], newIndex));

  ASSERT_EQ(8u, host->atoms.size());
  for (size_t i = 0; i < host->atoms.size(); ++i) EXPECT_EQ(static_cast<int>(i), host->atoms[i]->id);
  EXPECT_EQ(6, newIndex);   // guest atom 1 became host atom 6
  ASSERT_EQ(8u, host->positions.size());
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(0.0f, (guest->positions[i] - host->positions[5 + i]).length()) << i;

  // The copies are bonded among themselves like the originals, and the guest is untouched.
  ASSERT_EQ(6u, host->bonds.size());
  EXPECT_EQ(host->atoms[6], host->bonds[4]->atom2);
  EXPECT_EQ(host->atoms[7], host->bonds[5]->atom2);
  EXPECT_EQ(guest.get(), guest->atoms[0]->molecule);
  // Until the caller recomputes them, the energies are the sums of both.
  EXPECT_FLOAT_EQ(14.0f, host->totalBondEnergy);
  EXPECT_FLOAT_EQ(0.25f, host->energyCorrection);
  // Instance names take the host's group count as suffix; the group names are appended.
  for (size_t i = 5; i < 8; ++i) EXPECT_EQ("KETO_4_2", host->atoms[i]->groupInstance);
  EXPECT_EQ("KETO_4_2", host->bonds[5]->groupInstance);
  EXPECT_EQ((std::vector<std::string>{"HOST_0", "LINK_1", "KETO_4"}), host->groups);
}

TEST(GUIMerge, CarriesNeighbourOrderAndDihedralReferencesOverToTheCopies) {
  auto host = makeHost();
  auto guest = buildMolecule({"C", "C", "O", "N"}, {{0, 1, 1}, {1, 2, 1}, {1, 3, 1}});
  Atom* centre = guest->atoms[1];
  centre->neighbours = {guest->atoms[3], guest->atoms[0], guest->atoms[2]};
  centre->piCount = 1;
  Bond* axis = guest->bonds[1];   // C1-O2 with the dihedral C0-C1-O2-... taken from N3
  axis->hasDihedral = true;
  axis->dihedralAtom1 = guest->atoms[0];
  axis->dihedralAtom2 = guest->atoms[3];
  axis->dihedral = 1.25f;

  int newIndex = 0;
  ASSERT_EQ(1, host->GUIMerge(guest.get(), nullptr, newIndex));
  Atom* copy = host->atoms[6];
  EXPECT_EQ((std::vector<Atom*>{host->atoms[8], host->atoms[5], host->atoms[7]}),
            copy->neighbours);
  EXPECT_EQ(1, copy->piCount);
  const Bond* copied = host->bonds[5];
  ASSERT_TRUE(copied->hasDihedral);
  EXPECT_EQ(host->atoms[5], copied->dihedralAtom1);
  EXPECT_EQ(host->atoms[8], copied->dihedralAtom2);
  EXPECT_FLOAT_EQ(1.25f, copied->dihedral);
}

TEST(GUIMerge, MissingPositionArraysFallBackToAtomPositionsAndNullOrSelfGivesZero) {
  auto host = buildMolecule({"C", "O"}, {{0, 1, 2}});
  host->atoms[1]->position = SSEVector4f(1.2f, 0, 0, 1);
  auto guest = buildMolecule({"N"}, {});
  guest->atoms[0]->position = SSEVector4f(0, 7, 0, 1);
  auto stranger = makeGuest();
  int newIndex = 42;
  ASSERT_EQ(1, host->GUIMerge(guest.get(), stranger->atoms[0], newIndex));
  EXPECT_EQ(42, newIndex);   // untouched for an atom that is not the other molecule's
  ASSERT_EQ(3u, host->positions.size());
  EXPECT_FLOAT_EQ(1.2f, host->positions[1].x);
  EXPECT_FLOAT_EQ(7.0f, host->positions[2].y);

  EXPECT_EQ(0, host->GUIMerge(nullptr, nullptr, newIndex));
  EXPECT_EQ(0, host->GUIMerge(host.get(), nullptr, newIndex));
  EXPECT_EQ(3u, host->atoms.size());
}

TEST(Merge, ARefusedBondLeavesBothAsTheyWereAndOnlySuccessConsumesTheGuest) {
  auto host = makeHost();
  host->energyCorrection = 0.5f;
  auto guest = makeGuest();
  addUnwiredTwin(*guest);

  int newIndex = -1;
  kvtest::ErrorCapture errorLog;
  EXPECT_EQ(0, host->Merge(guest.get(), guest->atoms[2], newIndex));
  EXPECT_EQ("Error: Molecule::Merge failed to merge bond\n", errorLog.text());
  EXPECT_EQ(3u, guest->atoms.size());   // still ours, still whole

  EXPECT_EQ(-1, newIndex);
  EXPECT_TRUE(host->atoms.size() == 5 && host->numAtoms == 5 && host->bonds.size() == 4 &&
              host->numBonds == 4 && host->positions.size() == 5 && host->groups.size() == 2);
  EXPECT_FLOAT_EQ(0.5f, host->energyCorrection);
  // The host still works: a later merge of a sound guest succeeds and consumes it.
  Molecule* sound = makeGuest().release();
  ASSERT_EQ(1, host->Merge(sound, sound->atoms[2], newIndex));
  EXPECT_EQ(7, newIndex);
  EXPECT_EQ(8u, host->atoms.size());
}
