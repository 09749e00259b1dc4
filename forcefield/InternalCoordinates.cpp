// The geometry-optimisation driver and its genetic torsion search.
#include "forcefield/InternalCoordinates.h"

#include "forcefield/Minimization.h"
#include "forcefield/MolecularSystem.h"
#include "math/Constants.h"
#include "math/SSEMatrix4x4f.h"
#include "math/UtilityEngine.h"
#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"

#include <boost/random/uniform_int_distribution.hpp>
#include <boost/random/uniform_real_distribution.hpp>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <deque>
#include <iostream>
#include <map>
#include <utility>
#include <vector>

namespace {

// A second optimisation runs when the first leaves the RMS gradient above this.
const double kSecondRunGradient = 10.0;

const int kTorsionSearchSweeps = 100;
// Steps of one relaxation; a run still far from convergence there goes on up to twice as many.
const int kRelaxationSteps = 500;
// Work bounds that only large molecules reach. A sweep of the torsion search turns every axis,
// and each turn touches every atom; a relaxation step evaluates the force field over every
// atom. Molecules of some hundreds of atoms get the whole search and relaxation; a chain of
// 10,000 carbons (30,000 atoms, 10,000 axes) gets no torsion search, where random turns of
// that many axes find nothing anyway, and a relaxation of about a hundred evaluations.
const double kTorsionSearchAtomMoves = 5e7;
const double kRelaxationAtomEvaluations = 3e6;
const int kFewestRelaxationEvaluations = 20;
// Steps of the settling run after a relaxation its bound stopped.
const int kBondedSettlingSteps = 100;

// The annealing accepts a rise of about 10 kcal/mol with odds of 1 in e (its divisor, 9.94), so
// it crosses a barrier of this height; the relaxation after it never crosses back.
const double kHeldBarrierKcalPerMol = 10.0;

// The barrier at right angles that the two-fold planar terms K (1 - cos 2 phi) of its torsions
// put on each torsion axis (2 K a term; kcal/mol).
std::vector<double> planarBarriers(const MolecularSystem& system) {
  std::vector<double> barrier(static_cast<size_t>(system.torsionAxisCount), 0.0);
  std::map<std::pair<int, int>, size_t> axisOf;
  for (int t = 0; t < system.torsionAxisCount; ++t)
    axisOf[{system.torsionAxisAtom1[t], system.torsionAxisAtom2[t]}] = static_cast<size_t>(t);
  auto add = [&](int d, double periodicity, double phase, double height) {
    if (d < 0 || d >= system.dihedralCount) return;
    if (std::fabs(periodicity - 2.0) > 1e-6 || std::fabs(std::fabs(phase) - kPi) > 1e-3) return;
    const int j = std::min(system.dihedralAtom2[d], system.dihedralAtom3[d]);
    const int k = std::max(system.dihedralAtom2[d], system.dihedralAtom3[d]);
    const auto axis = axisOf.find({j, k});
    if (axis != axisOf.end()) barrier[axis->second] += 2.0 * height;
  };
  for (int d = 0; d < system.dihedralCount; ++d)
    add(d, system.dihedralPeriodicity[d], system.dihedralPhase[d], system.dihedralBarrier[d]);
  for (size_t t = 0; t < system.dihedralTermOf.size(); ++t)
    add(system.dihedralTermOf[t], system.dihedralTermPeriodicity[t], system.dihedralTermPhase[t],
        system.dihedralTermBarrier[t]);
  return barrier;
}

// The carbon of a carbonyl or thiocarbonyl group (first) bonded to a nitrogen (second).
bool acylNitrogenBond(const Molecule& molecule, int first, int second) {
  const auto atomAt = [&molecule](int a) -> const Atom* {
    return a >= 0 && static_cast<size_t>(a) < molecule.atoms.size()
               ? molecule.atoms[static_cast<size_t>(a)]
               : nullptr;
  };
  const Atom* carbon = atomAt(first);
  const Atom* nitrogen = atomAt(second);
  if (carbon == nullptr || nitrogen == nullptr || carbon->element != "C" ||
      nitrogen->element != "N")
    return false;
  for (Bond* bond : carbon->bonds) {
    const Atom* other = bond != nullptr ? carbon->getAdjacentAtom(bond) : nullptr;
    if (other != nullptr && bond->order == 2 && (other->element == "O" || other->element == "S"))
      return true;
  }
  return false;
}

// Freezes for the torsion search the open-chain C-N bonds of amides, carbamates, ureas and
// thioamides that their torsions hold planar over a barrier the walk crosses; returns the axes it
// froze. The walk judges rigid turns: it turned such bonds over, and the relaxation after it kept
// them there (one molecule with a secondary amide in five of an outside set ended in the E form,
// several kcal/mol above Z, some twisted 40 degrees). They keep the Z form they are built in.
// An aryl carbon's C-N (anilines, an anilide's N-aryl bond) still turns: crowded by ortho groups
// it twists, which the search must find; so does an acid's C-O, built with its OH anti.
std::vector<int> holdAmideBonds(MolecularSystem& system, const Molecule& molecule) {
  std::vector<int> held;
  const std::vector<double> barrier = planarBarriers(system);
  for (int t = 0; t < system.torsionAxisCount; ++t) {
    const size_t axis = static_cast<size_t>(t);
    const int first = system.torsionAxisAtom1[axis], second = system.torsionAxisAtom2[axis];
    if (system.torsionAxisFrozen[axis] || barrier[axis] < kHeldBarrierKcalPerMol ||
        !system.isRotatableBond(first, second))
      continue;
    if (acylNitrogenBond(molecule, first, second) || acylNitrogenBond(molecule, second, first)) {
      system.torsionAxisFrozen[axis] = true;
      held.push_back(t);
    }
  }
  return held;
}

}  // namespace

InternalCoordinates::InternalCoordinates(Molecule* molecule_)
    : molecule(molecule_),
      geneCount(0),
      populationSize(1000),
      rng(1),
      firstGeneration(0),
      stallCount(0),
      currentBestEnergy(0.0f),
      bestEnergy(0.0f),
      finished(false),
      atomCount(molecule_ ? static_cast<int>(molecule_->numAtoms) : 0),
      bondCount(molecule_ ? static_cast<int>(molecule_->numBonds) : 0),
      rotatableBondAtom1(nullptr),
      rotatableBondAtom2(nullptr),
      positions(molecule_ && !molecule_->positions.empty() ? molecule_->positions.data() : nullptr),
      system(new MolecularSystem(molecule_)) {
  geneCount = system->rotatableBondCount;
  rotatableBondAtom1 = system->rotatableBondAtom1.data();
  rotatableBondAtom2 = system->rotatableBondAtom2.data();
  const float energy = static_cast<float>(system->EnergyForce());
  rankedPopulation[energy] = std::vector<float>(geneCount, 0.0f);
}

InternalCoordinates::~InternalCoordinates() { delete system; }

int InternalCoordinates::torsionSearchSweeps(int axisCount, int atomCount) {
  const double perSweep = static_cast<double>(axisCount) * atomCount;
  if (perSweep <= 0.0) return kTorsionSearchSweeps;
  return static_cast<int>(std::min<double>(kTorsionSearchSweeps, kTorsionSearchAtomMoves / perSweep));
}

double InternalCoordinates::relaxationAtomEvaluations = kRelaxationAtomEvaluations;

int InternalCoordinates::relaxationEvaluations(int atomCount) {
  const double budget = relaxationAtomEvaluations / std::max(atomCount, 1);
  return static_cast<int>(std::max<double>(kFewestRelaxationEvaluations, budget));
}

// A relaxation its bound stopped is far from a minimum: its first steps trade the molecule's
// strain in bond lengths and angles for the torsions and contacts, and the later ones that give
// it back were never taken (poly(p-xylylene) of 625 rings: aromatic bonds of 1.27 Angstrom). A
// short run without the electrostatic terms settles them; the van der Waals terms stay, or
// hydrogens of neighbouring rings settle into contact. The stop stays the bound's.
void InternalCoordinates::settleBondedTerms(Minimization& minimization) {
  if (system->lastStop != MolecularSystem::OptimiserStop::EvaluationLimit) return;
  const MolecularSystem::OptimiserStop stop = system->lastStop;
  const double gradient = system->lastGradient;
  const bool electrostatics = system->electrostaticsEnabled;
  system->electrostaticsEnabled = false;
  minimization.maxSteps = kBondedSettlingSteps;
  minimization.maxEvaluations = kBondedSettlingSteps;
  minimization.AdoptedBasisNewtonRaphson(system);
  system->electrostaticsEnabled = electrostatics;
  system->lastStop = stop;
  system->lastGradient = gradient;
  system->lastEnergy = system->EnergyForce();
}

bool InternalCoordinates::minimizeEnergy() {
  const int count = system->atomCount;
  if (molecule == nullptr || molecule->positions.size() < static_cast<size_t>(count)) {
    ErrorLine() << "Error: InternalCoordinates::minimizeEnergy: no packed position per atom in \""
                << (molecule ? molecule->getName() : std::string()) << "\"";
    return false;
  }
  positions = molecule->positions.empty() ? nullptr : molecule->positions.data();
  for (int a = 0; a < count; ++a) system->coordinates[a] = molecule->positions[a];
  system->turnCumulatedEnds();
  std::cout << "\n++++++++++++++ " << molecule->getName() << " ++++++++++++++\n";

  auto report = [this](const char* when) {
    const double angle = system->EFAngle();
    const double bond = system->EFBond();
    const double total = system->EnergyForce();
    std::cout << when << total << "\tBond : " << bond << "\tAngle: " << angle << std::endl;
    return total;
  };
  const double startEnergy = report("Energy before Minimization ");
  const std::vector<SSEVector4f> start = system->coordinates;
  Minimization minimization;
  system->checkChirality = false;
  minimization.maxSteps = torsionSearchSweeps(system->torsionAxisCount, system->atomCount);
  if (annealTorsions && minimization.maxSteps > 0) {
    const std::vector<int> held = holdAmideBonds(*system, *molecule);
    minimization.SimulatedAnnealingDihedral(system);
    for (int t : held) system->torsionAxisFrozen[static_cast<size_t>(t)] = false;
  }
  auto relax = [this, &minimization]() {
    minimization.maxSteps = kRelaxationSteps;
    minimization.maxEvaluations = relaxationEvaluations(system->atomCount);
    minimization.AdoptedBasisNewtonRaphson(system);
    if (system->lastGradient > kSecondRunGradient) minimization.AdoptedBasisNewtonRaphson(system);
    settleBondedTerms(minimization);
  };
  relax();
  // The annealing judges its turns by the non-bonded energy alone, and a turn about a ring bond
  // bends the ring; from there ABNR can end in a strained minimum above the geometry the molecule
  // came with (a loaded cyclobutane did). Such a result is dropped for a relaxation of the start.
  if (system->lastEnergy > startEnergy) {
    system->coordinates = start;
    relax();
  }

  finalGradient = system->lastGradient;
  finalStop = system->lastStop;
  finalEnergy = report("Energy after Minimization ");
  molecule->energyCorrection = -system->calEmag();
  system->DipoleMoment();
  molecule->dipoleMoment = static_cast<float>(system->dipoleMagnitude);
  molecule->hasDipoleMoment = true;
  for (int a = 0; a < count; ++a) {
    molecule->positions[a] = system->coordinates[a];
    molecule->positions[a].w = 1.0f;
  }
  molecule->setAllAtomPositions();
  return true;
}

void InternalCoordinates::initPopulation() { randomlyGenPop(population, populationSize); }

void InternalCoordinates::randomlyGenPop(std::vector<std::vector<float> >& out, int count) {
  rng.seed(static_cast<boost::random::minstd_rand::result_type>(std::time(nullptr)));
  std::cout << std::fixed;
  boost::random::uniform_real_distribution<float> angle(0.0f, 360.0f);
  for (int c = 0; c < count; ++c) {
    std::vector<float> individual(std::max(geneCount, 0));
    for (float& gene : individual) gene = angle(rng);
    out.push_back(individual);
  }
}

void InternalCoordinates::calEnergy() {
  if (molecule == nullptr) return;
  const int count = system->atomCount;
  if (molecule->positions.size() < static_cast<size_t>(count)) return;
  const int individuals = std::min(populationSize, static_cast<int>(population.size()));
  for (int p = 0; p < individuals; ++p) {
    std::vector<SSEVector4f> copy(molecule->positions.begin(), molecule->positions.begin() + count);
    const std::vector<float>& individual = population[p];
    const int genesHere = std::min(geneCount, static_cast<int>(individual.size()));
    for (int g = 0; g < genesHere; ++g)
      rotateAboutEdge(rotatableBondAtom1[g], rotatableBondAtom2[g], individual[g], copy.data());
    system->coordinates = copy;
    rankedPopulation[static_cast<float>(system->NonBondedEnergy())] = individual;
  }
  populationSize = static_cast<int>(rankedPopulation.size());
  if (rankedPopulation.size() < 3) {
    finished = true;
    bestGenes = rankedPopulation;
    return;
  }
  const auto lowest = rankedPopulation.begin();
  if (firstGeneration == 1) {
    currentBestEnergy = bestEnergy = lowest->first;
    bestGenes[lowest->first] = lowest->second;
    return;
  }
  currentBestEnergy = lowest->first;
  if (lowest->first < bestEnergy) {
    bestEnergy = lowest->first;
    bestGenes[lowest->first] = lowest->second;
    stallCount = 0;
  } else {
    ++stallCount;
  }
}

void InternalCoordinates::nextGen() {
  const int parents = populationSize / 2 - populationSize / 10;
  std::vector<std::vector<float> > next;
  for (const auto& entry : rankedPopulation) {
    if (static_cast<int>(next.size()) >= parents) break;
    next.push_back(entry.second);
  }
  rng.seed(static_cast<boost::random::minstd_rand::result_type>(std::time(nullptr)));
  std::cout << std::fixed;
  const int available = static_cast<int>(next.size());
  if (available > 0) {
    boost::random::uniform_int_distribution<int> pick(0, std::min(parents, available) - 1);
    for (int i = 0; i < parents; i += 2) {
      const std::vector<float> first = next[pick(rng)];
      const std::vector<float> second = next[pick(rng)];
      crossOver(first, second, next);
    }
  }
  population = next;
  const int missing = populationSize - static_cast<int>(population.size());
  if (missing > 0) randomlyGenPop(population, missing);
  rankedPopulation.clear();
}

void InternalCoordinates::crossOver(std::vector<float> a, std::vector<float> b,
                                    std::vector<std::vector<float> >& out) {
  const size_t half = static_cast<size_t>(std::max(geneCount, 0) / 2);
  std::vector<float> child1(a.begin(), a.begin() + std::min(half, a.size()));
  if (b.size() > half) child1.insert(child1.end(), b.begin() + half, b.end());
  std::vector<float> child2(b.begin(), b.begin() + std::min(half, b.size()));
  if (a.size() > half) child2.insert(child2.end(), a.begin() + half, a.end());
  out.push_back(child1);
  out.push_back(child2);
}

void InternalCoordinates::rotateAboutEdge(int a, int b, float angleDegrees,
                                          SSEVector4f* points) {
  if (molecule == nullptr || points == nullptr) return;
  const int count = std::min(static_cast<int>(molecule->atoms.size()), system->atomCount);
  if (a < 0 || b < 0 || a >= count || b >= count || a == b) return;
  SSEVector4f d(points[b].x - points[a].x, points[b].y - points[a].y, points[b].z - points[a].z,
                0.0f);
  d.normalize();
  d.x = std::min(1.0f, std::max(-1.0f, d.x));
  d.y = std::min(1.0f, std::max(-1.0f, d.y));
  d.z = std::min(1.0f, std::max(-1.0f, d.z));
  float yaw = -std::atan2(d.z, d.x);
  float pitch = std::asin(d.y);
  if (std::fabs(yaw) < 0.001f && d.x < 0.0f) {
    yaw = 0.0f;
    pitch = kPi - pitch;
  }
  SSEMatrix4x4f transform;
  transform.m[12] = -points[a].x;
  transform.m[13] = -points[a].y;
  transform.m[14] = -points[a].z;
  SSEMatrix4x4f rotateY, rotateZ;
  rotateY.createRotateYMatrix(-yaw);
  rotateZ.createRotateZMatrix(-pitch);
  transform *= rotateY;
  transform *= rotateZ;
  for (int i = 0; i < count; ++i) points[i] *= transform;

  // b's side of the bond, b first, never entering a.
  std::vector<bool> listed(count, false);
  std::vector<int> side;
  std::deque<int> queue;
  listed[b] = true;
  listed[a] = true;
  queue.push_back(b);
  while (!queue.empty()) {
    const int current = queue.front();
    queue.pop_front();
    side.push_back(current);
    Atom* atom = molecule->atoms[current];
    if (atom == nullptr) continue;
    std::vector<Bond*>::iterator it;
    for (Atom* next = atom->getFirstAdjAtom(it); next != nullptr; next = atom->getNextAdjAtom(it)) {
      const int index = next->id;
      if (index < 0 || index >= count || listed[index]) continue;
      listed[index] = true;
      queue.push_back(index);
    }
  }
  SSEMatrix4x4f turn;
  turn.createRotateXMatrix(angleDegrees * kPi / 180.0f);
  for (int i : side) points[i] *= turn;
}
