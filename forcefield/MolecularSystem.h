#ifndef KV_FORCEFIELD_MOLECULARSYSTEM_H
#define KV_FORCEFIELD_MOLECULARSYSTEM_H

// The molecular-mechanics model of one molecule: flat per-atom arrays copied out of a typed
// molecule with coordinates, the topology lists with their parameters, the energy terms and
// their analytical forces, the torsion machinery, charges, dipole moment and the Emag sum.
//
// Units: lengths in Angstrom, angles inside the system in radians (degrees at the rotation
// interfaces), energies in kcal/mol, forces in kcal/mol per Angstrom, charges in e, dipoles in
// Debye. Atom index a is the atom's position in the molecule's atom list (its id after update).
//
// Bodies: MolecularSystem.cpp (construction, parameters, charges), MolecularSystemTopology.cpp
// (list builders), EnergyTerms.cpp, TorsionMachinery.cpp, DipoleAndEmag.cpp, DihedralDriving.cpp,
// BondConstraints.cpp, ChargeEqualisation.cpp, Calibration.cpp.

#include "math/SSEVector4f.h"

#include <map>
#include <string>
#include <vector>

class Molecule;

// A stereo centre: an atom with a positive handedness label and exactly four neighbours.
struct ChiralCenter {
  int centre = -1;
  int neighbours[4] = {-1, -1, -1, -1};   // in the order of the centre's Atom::neighbours
  int label = 0;                          // Atom::piCount, read as the handedness label
  bool satisfied = true;
};

class MolecularSystem {
public:
  // A null molecule leaves an empty system (every count 0, every list empty): safe to destroy
  // and to evaluate, which gives 0.
  explicit MolecularSystem(Molecule* molecule);
  ~MolecularSystem() = default;
  MolecularSystem(const MolecularSystem&) = delete;
  MolecularSystem& operator=(const MolecularSystem&) = delete;

  // --- Counts and scalars -------------------------------------------------------------------
  int atomCount = 0;
  int bondCount = 0;
  int constraintCount = 0;
  int angleCount = 0;
  int dihedralCount = 0;
  int exclusionCount = 0;
  int pairCount = 0;
  int fragmentCount = 1;
  int improperCount = 0;
  int shakeMaxIterations = 100;

  // --- Topology -------------------------------------------------------------------------------
  std::vector<int> bondAtom1, bondAtom2;   // bondAtom1 < bondAtom2, sorted (not Bond::id order)
  std::vector<int> bondOrder;              // 1, 2, 3, or 9 (aromatic)
  std::vector<int> angleAtom1, angleCentre, angleAtom3;
  std::vector<int> neighbourEnd;           // last index (inclusive) of each atom's run
  std::vector<int> neighbours;             // ascending runs, one per atom
  std::vector<int> neighbourBond;          // bond index of each neighbours entry
  std::vector<int> constraintAtom1, constraintAtom2;
  std::vector<int> dihedralAtom1, dihedralAtom2, dihedralAtom3, dihedralAtom4;
  std::vector<int> dihedralBondOrder;      // order of the middle bond
  int rotatableBondCount = 0;
  std::vector<int> rotatableBondAtom1, rotatableBondAtom2;
  int torsionAxisCount = 0;
  std::vector<int> torsionAxisAtom1, torsionAxisAtom2;
  std::vector<bool> torsionAxisFrozen;
  // first neighbour, second neighbour, centre, third neighbour
  std::vector<int> improperAtom1, improperAtom2, improperAtom3, improperAtom4;
  std::vector<double> improperBarrier;     // K of each term K (1 + cos phi), kcal/mol
  std::vector<int> pairEnd;                // last index (inclusive) of each atom's pair run
  std::vector<int> pairList;               // partner j > i; -j marks a 1-4 pair
  // excluded pair (second atom negated for a 1-4 pair) and its kind 2, 3 or 4
  std::vector<int> exclusionAtom1, exclusionAtom2, exclusionKind;

  // --- Parameters -----------------------------------------------------------------------------
  std::vector<double> bondForceConstant;   // kcal/mol/A^2
  std::vector<double> bondLength;          // A
  std::vector<double> angleForceConstant;  // kcal/mol/rad^2, 55 or 0
  std::vector<double> angleReference, angleReference2, angleReference3;   // rad; 0 = none
  std::vector<double> constraintLength2;   // A^2
  std::vector<double> dihedralPhase;       // rad
  std::vector<double> dihedralPeriodicity;
  std::vector<double> dihedralBarrier;     // kcal/mol
  // Further Fourier terms of a torsion (periodicities beyond the first row's), each on the
  // dihedral dihedralTermOf[t] of the list; empty when every torsion has one term.
  std::vector<int> dihedralTermOf;
  std::vector<double> dihedralTermPhase;        // rad
  std::vector<double> dihedralTermPeriodicity;
  std::vector<double> dihedralTermBarrier;      // kcal/mol
  // The twists of chains of cumulated double bonds through straight centres (allenes,
  // butatrienes, ketenimines, carbodiimides), whose own torsions through the straight centres
  // take no terms: per term a substituent of one end atom of the chain, the two end atoms and
  // a substituent of the other end atom, a torsion about the line through the chain with the
  // twofold term K (1 + cos(2 phi - delta)). Evaluated with the dihedrals (EFDihedral).
  std::vector<int> cumuleneTwistAtom1, cumuleneTwistAtom2, cumuleneTwistAtom3,
      cumuleneTwistAtom4;
  std::vector<double> cumuleneTwistPhase;       // rad: 0 crosses the end planes, pi lays them flat
  std::vector<double> cumuleneTwistBarrier;     // kcal/mol
  std::vector<double> ureyBradleyForceConstant;
  std::vector<double> ureyBradleyLength;   // A
  // The 1-3 distances of angleReference2 and angleReference3 (0 where the angle has none): the
  // term holds the distance of the reference the angle term picks.
  std::vector<double> ureyBradleyLength2, ureyBradleyLength3;   // A
  double shakeTolerance = 1e-12;

  // --- State ----------------------------------------------------------------------------------
  std::vector<double> forceX, forceY, forceZ;   // minus the gradient, after EnergyForce
  std::vector<SSEVector4f> coordinates;         // own copy of the positions (x, y, z, 1)
  std::vector<double> charges;                  // e
  // e, per atom: the formal charges of a molecule without net charge that stay apart once each
  // bonded pair of opposite charges has cancelled (the two ends of a zwitterion), each shared
  // over the atoms it is delocalised on; all 0 for an ion and for a molecule without them. The
  // dipole adds them to the charges; the electrostatic terms do not see them.
  std::vector<double> separatedCharges;
  std::vector<double> mass;                     // amu
  std::vector<double> vdwEpsilon;               // "vdw sig" (negative in the table)
  std::vector<double> vdwRadius;                // "vdw r", A
  std::vector<double> torsionAxisGradient;      // kcal/mol/rad per torsion axis
  double numericalStep = 1e-6;
  std::vector<double> negativity, hardness;     // eV
  double pairListCutoff = 10.0;                 // A
  double pairListCutoff2 = 100.0;
  // The coordinates the pair list was made from, and how far (A) an atom may move from there
  // before refreshPairList makes it again.
  std::vector<SSEVector4f> pairListCoordinates;
  double pairListDrift = 2.5;
  double scale14 = 0.5;
  // Per pair-list entry: 1 for two heavy atoms 1-4 across a single ring bond, whose van der
  // Waals term takes ringContactScale in place of scale14 (electrostatics keep scale14).
  std::vector<char> ringContact;
  double ringContactScale = 0.25;
  bool preserveChirality = false;

  bool electrostaticsEnabled = true;
  bool vanDerWaalsEnabled = true;
  bool dihedralsEnabled = true;
  bool impropersEnabled = true;
  bool anglesEnabled = true;
  bool bondsEnabled = true;
  bool vanDerWaals14Enabled = true;
  bool ureyBradleyEnabled = true;
  bool electrostatics14Enabled = true;

  std::vector<std::string> atomTypes;
  std::vector<int> fragmentLastAtom;            // last atom of each fragment
  double dipoleX = 0.0, dipoleY = 0.0, dipoleZ = 0.0, dipoleMagnitude = 0.0;   // Debye
  std::vector<double> fragmentDipoleX, fragmentDipoleY, fragmentDipoleZ, fragmentDipoleMagnitude;
  std::vector<bool> atomFixed;
  std::vector<bool> bondInRing;
  std::vector<ChiralCenter> chiralCenters;
  bool checkChirality = true;
  bool dihedralConstraintsEnabled = false;
  std::vector<int> constrainedDihedrals;        // indices into the dihedral list
  std::vector<float> constraintTargets;         // degrees
  std::vector<bool> terminalAtom;               // Atom::degree == 1
  double chargeStep = 0.2;
  double lastEnergy = 0.0, lastGradient = 0.0;
  // How the last adopted-basis Newton-Raphson run ended. Converged when its result's RMS
  // gradient is within ten times the optimiser's tolerance, the level at which it accepts
  // stopping at its step limit; otherwise what stopped it.
  enum class OptimiserStop {
    NotRun,
    Converged,
    StepLimit,         // twice maxSteps taken
    EvaluationLimit,   // maxEvaluations used up
    NoDescent,         // too many steps without a descent
    Stalled,           // no step left that changes the coordinates or the energy
    Failed,            // the basis matrix could not be diagonalised
  };
  OptimiserStop lastStop = OptimiserStop::NotRun;
  // The stop in a few words for a console line ("step limit reached").
  static const char* describeStop(OptimiserStop stop);

  // --- List builders (run by the constructor) -----------------------------------------------
  void SortBonds();
  void SetupAngleList();
  void SetupDihedralList();
  void SetupExclsionList();
  void SetupNonbondedList();
  void SetupImproperList();
  void setupChiralCenters(Molecule* molecule);
  void SetupRotationAxis();
  // Index of the first sorted bond joining a and b (either order), -1 if none.
  int getBondId(int a, int b) const;
  // Rebuilds the non-bonded pair list from the current coordinates.
  void nonBondedUpdate();
  // Rebuilds the pair list when an atom has moved more than pairListDrift since it was made, and
  // says whether it did. A pair left out was at least the cutoff apart then; a torsion search
  // turning a long chain moves atoms far, and partners that were never listed would otherwise
  // pass through each other unseen (verapamil ended with a C-H contact of 1.07 A). So no pair
  // closer than the cutoff minus twice the drift is missing where it is called: in
  // NonBondedEnergy, the torsion search's measure, and at the start of each adopted-basis
  // Newton-Raphson run. Within a run the list stands, so the energy the run follows has no jumps.
  bool refreshPairList();
  // Marks the ring contacts of the pair list (ringContact); run after the parameters, since
  // single bonds of rings with six pi electrons count as aromatic.
  void markRingContacts();

  // --- Charges, dipole and Emag -------------------------------------------------------------
  void fillCharge();      // adds the bond-table moments to the charges
  // The share of its table moment that the bond between a saturated carbon and its halogen
  // `halogen` keeps when the carbon also holds the halogens `geminal` (elements; 1 when none).
  static double geminalHalogenMomentShare(const std::string& halogen,
                                          const std::vector<std::string>& geminal);
  // The moment (Debye, positive with the hydrogen positive) each C-H bond of a saturated carbon
  // adds besides its table row when the carbon holds the halogens `halogens` (0 below two).
  static double geminalHydrogenMoment(const std::vector<std::string>& halogens);
  static bool isHalogen(const std::string& element);  // F, Cl, Br or I
  void fillSeparatedCharges(const Molecule& molecule);
  void findCharge();      // the alternative assignment from the bond-moment table
  void DipoleMoment();
  float calEmag() const;  // eV

  // --- Energy terms (kcal/mol); the EF* terms add their forces ---------------------------------
  double EnergyForce();
  double EFelec();
  double EFVDW();
  double EFBond();
  double EFAngle();
  double EFDihedral();
  double EFImproperDihedral();
  double Eelec() const;
  double EVDW() const;
  double NonBondedEnergy();
  double EelecEX14() const;
  double EDihedral() const;

  // --- Torsion machinery (angles in degrees) ---------------------------------------------------
  void MolecularPartition(int atom, int from, int* flags) const;
  void RotateGroup(int a, int b, int* flags, double angle);
  void RotationMatrix(int a, int b, double angle, double** R, double** dR) const;
  void DihedralGradient();
  void dihedralConstrains(std::vector<int>& dihedrals, std::vector<float>& targets);
  int FindConnect(int atom) const;

  // --- Dihedral driving and torsion scans (DihedralDriving.cpp; angles in degrees) ------------
  // True when the dihedral list holds (i, j, k, l) or (l, k, j, i).
  bool isDihedral(int i, int j, int k, int l) const;
  // The dihedral angle in radians in [0, 2 pi), positive when, looking along j->k, the bond i-j
  // turns clockwise to cover k-l; 0 for bad indices or three collinear atoms.
  float calculateDihedralAngle(int i, int j, int k, int l) const;
  // Turns the k side of the j-k bond rigidly so that the dihedral becomes the target; does
  // nothing for bad indices, a non-finite target or three collinear atoms.
  void setRotation(int i, int j, int k, int l, double targetDegrees);
  // Turns the far end of each chain of cumulated double bonds outside rings rigidly about the
  // chain to the nearest minimum of its twist: a start laid flat, as a drawing is, sits on the
  // top of an allene's twist, where no force turns it.
  void turnCumulatedEnds();
  void resetDihedralAngles();
  void checkDihedralDeviations();
  // Sets the dihedral and relaxes the rest while holding it; the torsion axis of the j-k bond
  // stays frozen. False (nothing done) for bad indices or a non-finite target.
  bool setRelaxedRotation(int i, int j, int k, int l, double targetDegrees);
  enum class ScanResult { Done, EmptyRange, Rejected };
  // The relaxed scan: profile gets angle -> energy (kcal/mol) above the lowest point. Rejected,
  // with a line on standard error and the profile untouched, for bad indices, a non-finite
  // value, a zero step, a step against the range or more than maxScanPoints points; EmptyRange
  // when the range holds fewer than three points.
  ScanResult rotationPES(int i, int j, int k, int l, double startDegrees, double endDegrees,
                         double stepDegrees, std::map<float, float>& profile);
  static const int maxScanPoints = 100000;
  // The angles of the last relaxed scan whose relaxation stopped before converging; their
  // energies are upper bounds.
  std::vector<float> unconvergedScanAngles;
  // The optimiser steps each scan point and each relaxed rotation may take.
  int scanRelaxationSteps = 1000;
  // True when the j-k bond is one of the rotatable bonds (either direction).
  bool isRotatableBond(int j, int k) const;
  // The energy profile of the dihedral profiler and of kvtool --scan: turns the dihedral
  // rigidly to the start angle, then runs the relaxed scan. The profile is cleared first.
  ScanResult dihedralProfile(int i, int j, int k, int l, double startDegrees, double endDegrees,
                             double stepDegrees, std::map<float, float>& profile);

  // --- Bond constraints and stereo centres (BondConstraints.cpp) -----------------------------
  // Corrects positions in place until every constraint has its length; the corrections run
  // along the pairs' vectors in reference (which may be positions itself). A pair of two fixed
  // atoms is skipped, one fixed atom leaves the whole correction to the other, and coincident
  // reference atoms give no direction, so their pair is skipped. A constraint is met within
  // shakeTolerance (relative, on the squared length) or within what single-precision positions
  // can hold, whichever is larger. Ends at the first pass that corrects or changes nothing;
  // after shakeMaxIterations passes it prints a console line and keeps the last pass.
  void SHAKE(SSEVector4f* reference, SSEVector4f* positions);
  // True when every labelled centre keeps its handedness, or the test is off.
  bool checkChiralCenters() const;
  // Records each centre's result and pushes the neighbours of failing centres back.
  void calChiralForces();
  // Records each centre's result and mirrors the first terminal neighbour of a failing centre
  // through it.
  void conserveStereoChem();
  // Reflects a, b and c through the plane through the origin normal to normal, and replaces
  // normal by minus its unit vector.
  static void convertStereoChem(SSEVector4f& normal, SSEVector4f& a, SSEVector4f& b,
                                SSEVector4f& c);

  // --- Charge equalisation (ChargeEqualisation.cpp; energies in eV) ----------------------------
  // Each solver overwrites charges; a zero denominator, a singular matrix or a charge that is
  // not finite restores the start charges, with one line naming the solver on the error channel.
  void ChargeDistributionIter();       // bond transfers until bonded potentials agree
  void ChargeDistributionExcl();       // changes nothing
  double Electronic();                 // electronic energy of the charges
  // For reference atom ref, per atom the hardness (0 for an atom without charge) and the
  // electronegativity that would equalise it with ref; out has atomCount elements.
  void calHardness(int ref, double* out);
  void calNegativity(int ref, double* out);
  void ChargeDistribution();           // direct solution, atom 0 as reference
  void ChargeDistributionMatInv();     // one transfer per bond from one linear system
  void ChargeDistributionOpt();        // atom 0 as reference, with equalising parameters
  void ChargeDistributionPairOpt();    // one transfer per exclusion pair

  // --- Calibration (Calibration.cpp; files relative to the working directory) ----------------
  // Appends the atoms and bonds as a block to "Library/molecules.txt"; the result of closing
  // the file, -1 when it cannot be opened.
  int writeMolecule();
  // Molecules of the dipole test set that are alkyl halides, by their number from 1.
  static bool isAlkylHalides(int number);
  // Runs the dipole test set of "Library/molecules_backup.txt" against
  // "Library/dipole_exp.txt" and writes the annotated lists and the error table.
  void fillOrder();
  // Numerical against analytical forces, on the console and in "nmt.out"; 1 when written, 0
  // when the file cannot be opened.
  int NumericalTest();

private:
  void copyMolecule(Molecule* molecule);
  void assignParameters(Molecule* molecule);
  void assignAtomParameters(const std::string& moleculeName);
  void assignBondParameters(const std::string& moleculeName);
  void assignAngleParameters();
  void openExocyclicAngles(const std::vector<bool>& inFlatFiveRing);
  void assignDihedralParameters(const std::string& moleculeName);
  // The angles of each atom as their centre, by index.
  std::vector<std::vector<int>> anglesByCentre() const;
  bool heldStraight(int end1, int centre, int end3,
                    const std::vector<std::vector<int>>& anglesAt) const;
  // Fills the cumulene twists (defined in MolecularSystemTopology.cpp); run once the angle
  // parameters say which centres are held straight.
  void setupCumuleneTwists();
  // A chain with twist terms: its end atoms, the straight centre next to the other end, whether
  // its end planes cross, and its first term in the cumulene twist lists.
  struct CumulatedChain {
    int end, other, nextToOther;
    bool crossed;
    size_t firstTwist;
  };
  std::vector<CumulatedChain> cumulatedChains;
  // Per bond: a single bond inside a ring of six pi electrons (defined in
  // MolecularSystemTopology.cpp).
  std::vector<char> findPiRingSingleBonds(const Molecule* molecule) const;
  std::vector<char> piRingSingleBond;   // found once the parameters are assigned
  void setupConstraints();
  // The atoms besides `from` that a formal charge on it is delocalised over (DipoleAndEmag.cpp).
  std::vector<int> delocalisedPartners(int from) const;
  template <class Visit>
  void forEachPair(bool with14, Visit visit) const;   // defined in EnergyTerms.cpp
  // Van der Waals scale of pair-list entry p: 1, scale14 for a 1-4 pair, ringContactScale for a
  // ring contact.
  double vdwScaleOf(int p) const {
    if (pairList[p] >= 0) return 1.0;
    return static_cast<size_t>(p) < ringContact.size() && ringContact[p] != 0 ? ringContactScale
                                                                               : scale14;
  }
  int runStart(const std::vector<int>& ends, int atom) const {
    return atom == 0 ? 0 : ends[atom - 1] + 1;
  }
  // One term K (1 + cos(n phi - delta)) of a torsion.
  struct TorsionTermValue {
    double n, delta, K;
  };
  // A term as the torsion walk uses it: n and K, their product, the cosine and sine of the
  // phase, and n when it is whole from 1 to 6 (else 0).
  struct TorsionTerm {
    double n, K, nK, cosPhase, sinPhase;
    int whole;
  };
  // Energy of the terms of the torsion on atoms i, j, k, l, all at the same angle, and their
  // forces when asked.
  double torsionSeries(int i, int j, int k, int l, const TorsionTerm* terms, int count,
                       bool addForces);
  // The terms of dihedral d: its first term and its further ones, which start at index t of
  // the further-term list (moved past them); count written to terms.
  int gatherTorsionTerms(int d, size_t& t, TorsionTermValue* terms, int capacity) const;

  // Every torsion the energy walks (the dihedrals, the cumulene twists, then the impropers) with
  // its terms, made from the parameter lists (TorsionList.cpp) and made again whenever any of
  // them, the torsions' atoms or the fixed atoms differ from what it was made from.
  struct TorsionEntry {
    int i, j, k, l, first, count;
    bool fixed;   // all four atoms fixed
  };
  mutable std::vector<TorsionEntry> torsionEntries;
  mutable std::vector<TorsionTerm> torsionTerms;
  mutable size_t improperStart = 0;   // where the impropers begin
  static const size_t kTorsionIntLists = 13, kTorsionValueLists = 9;
  struct TorsionInputs {
    int dihedralCount = 0, improperCount = 0;
    std::vector<int> ints[kTorsionIntLists];
    std::vector<double> values[kTorsionValueLists];
    std::vector<bool> atomFixed;
    bool made = false;
  };
  mutable TorsionInputs torsionInputs;
  void refreshTorsionList() const;
  // Energy of the torsions [begin, end) of the list, their forces added; those of fixed atoms
  // are skipped.
  double torsionForces(size_t begin, size_t end);

public:
  // The number of times the torsion list was made, for tests of its renewal.
  mutable int torsionListBuilds = 0;

private:

  // Square roots of the atoms' well depths with their signs, so that a pair's well depth is one
  // product (zero for opposite signs); refreshed from vdwEpsilon by every van der Waals sum.
  mutable std::vector<double> vdwRoot;
  // EFelec and EFVDW in one walk over the pair list, each energy into its own sum.
  void EFPairs(double& electrostatic, double& vanDerWaals);
  void refreshVdwRoots() const;
  // The electrostatic and van der Waals energies (Eelec, EVDW) of those asked for, in one walk
  // over the pair list, each into its own sum.
  void pairEnergies(bool electric, bool dispersive, double& electrostatic,
                    double& vanDerWaals) const;

  // What EFPairs needs of a pair-list entry p, formed with the same products it used to form per
  // evaluation; pairs whose two atoms are fixed are left out. Made again from the system
  // whenever any input (kept in pairTermInputs) differs from the one it was made from.
  struct PairTerm {
    int j, p;
    bool electric, dispersive;
    double charge;   // scale * (kCoulomb q_i) * q_j
    double rMin2;    // (r_i + r_j)^2
    double well;     // vdW scale * epsilon
    double well12;   // vdW scale * 12 * epsilon
  };
  struct PairTermInputs {
    std::vector<double> charges, vdwEpsilon, vdwRadius;
    std::vector<bool> atomFixed;
    std::vector<int> pairList, pairEnd;
    std::vector<char> ringContact;
    double scale14 = 0.0, ringContactScale = 0.0;
    bool electrostatics14 = false, vanDerWaals14 = false;
    bool made = false;
  };
  std::vector<PairTerm> pairTerms;
  std::vector<int> pairTermEnd;   // one past the last term of each atom
  PairTermInputs pairTermInputs;
  bool pairTermsCurrent() const;
  void makePairTerms();

public:
  // The number of times the pair terms were made, for tests of their renewal.
  int pairTermBuilds = 0;

private:

  // Centre atom's element, degree and used valence, for the default angle; the element also
  // says where a formal charge is delocalised.
  std::vector<std::string> atomElements;
  std::vector<int> atomDegree;
  std::vector<int> atomUsedValence;
};

#endif
