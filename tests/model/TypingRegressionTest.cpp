// Typing regression over the shipped tables: real molecules of every functional class that the
// type names stand for, built from connectivity and perceived in the order the MDL reader runs
// (valences, rings, hydrogens, typing). Each heavy atom must end with its chemical type.
//
// Hydrogens: the atom-type table has only H, HBRI (boron bridge) and HP (on phosphorus), so
// hydroxyl, amine, amide and thiol hydrogens are plain H.

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/Atom.h"
#include "model/Bond.h"
#include "model/Molecule.h"
#include "parameters/InputParameters.h"
#include "support/MoleculeBuilder.h"

namespace {

// One molecule: heavy atoms as element symbols ("O-" and "N+" carry a formal charge, explicit
// hydrogens may be listed), bonds as "i-j" single, "i=j" double, "i#j" triple, and the expected
// type of every listed non-hydrogen atom in order.
struct Case {
  const char* name;
  const char* atoms;
  std::string bonds;
  const char* expected;
  const char* reason = "";
};

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::unique_ptr<Molecule> build(const Case& c) {
  std::vector<std::string> elements;
  std::vector<int> charges;
  for (std::string token : words(c.atoms)) {
    int charge = 0;
    if (!token.empty() && (token.back() == '+' || token.back() == '-')) {
      charge = token.back() == '+' ? 1 : -1;
      token.pop_back();
    }
    elements.push_back(token);
    charges.push_back(charge);
  }
  std::vector<kvtest::Edge> edges;
  for (const std::string& token : words(c.bonds)) {
    const size_t at = token.find_first_of("-=#");
    EXPECT_NE(std::string::npos, at) << "bond \"" << token << "\"";
    if (at == std::string::npos) continue;
    const int order = token[at] == '-' ? 1 : token[at] == '=' ? 2 : 3;
    edges.push_back({std::stoi(token.substr(0, at)), std::stoi(token.substr(at + 1)), order});
  }
  std::unique_ptr<Molecule> m = kvtest::buildMolecule(elements, edges);
  for (size_t i = 0; i < charges.size(); ++i) m->atoms[i]->charge = charges[i];
  return m;
}

// Types every case and compares; a failure names the molecule and shows the whole typing.
void expectTypes(const std::vector<Case>& cases) {
  InputParameters* tables = InputParameters::instance();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + ": " + c.reason);
    std::unique_ptr<Molecule> m = build(c);
    m->perceive();
    std::string got;
    std::string hydrogens;
    for (const Atom* a : m->atoms) {
      AtomTypeParameters row;
      EXPECT_EQ(1, tables->findAtomTypeParameters(a->type, row)) << "no row for " << a->type;
      if (a->element != "H") {
        got += (got.empty() ? "" : " ") + a->type;
        continue;
      }
      const Atom* carrier = a->bonds.empty() ? nullptr : a->getAdjacentAtom(a->bonds.front());
      const bool onPhosphorus = carrier != nullptr && carrier->element == "P";
      EXPECT_EQ(onPhosphorus ? "HP" : "H", a->type) << "hydrogen " << a->name;
    }
    EXPECT_EQ(c.expected, got);
  }
}

TEST(TypingRegression, AlkanesAndCycloalkanes) {
  expectTypes({
      {"methane", "C", "", "CH4", "the one carbon with four hydrogens"},
      {"propane", "C C C", "0-1 1-2", "CH3 CH2 CH3", "methylene between two carbons"},
      {"isobutane", "C C C C", "0-1 1-2 1-3", "CH3 CH CH3 CH3", "methine bonded to three carbons"},
      {"neopentane", "C C C C C", "0-1 0-2 0-3 0-4", "C CH3 CH3 CH3 CH3",
       "quaternary carbon bonded to four carbons"},
      {"cyclohexane", "C C C C C C", "0-1 1-2 2-3 3-4 4-5 5-0", "CH2 CH2 CH2 CH2 CH2 CH2",
       "a saturated ring matches no ring template and stays methylene"},
      {"cyclopentane", "C C C C C", "0-1 1-2 2-3 3-4 4-0", "CH2 CH2 CH2 CH2 CH2",
       "the cyclopentene template needs its double bond"},
  });
}

TEST(TypingRegression, AlkenesDienesAndAlkynes) {
  expectTypes({
      {"ethylene", "C C", "0=1", "CEH2 CEH2", "both ends are terminal alkene carbons"},
      {"propene", "C C C", "0=1 1-2", "CEH2 CEH1 CH3", "terminal CH2, inner CH"},
      {"isobutylene", "C C C C", "0=1 1-2 1-3", "CEH2 CES CH3 CH3",
       "substituted end of a terminal alkene"},
      {"2-methyl-2-butene", "C C C C C", "0-1 1-2 1=3 3-4", "CH3 CE CH3 CEH1 CH3",
       "alkene carbon without hydrogen opposite a CH"},
      {"vinyl chloride", "C C Cl", "0=1 1-2", "CEH2 CEH1 CL", "alkene CH bearing a halogen"},
      {"cyclohexene", "C C C C C C", "0=1 1-2 2-3 3-4 4-5 5-0", "CEH1 CEH1 CH2 CH2 CH2 CH2",
       "six-ring alkene: no template, chain types"},
      {"cyclopentene", "C C C C C", "0=1 1-2 2-3 3-4 4-0", "CEH1 CEH1 CH2P CH2 CH2P",
       "cyclopentene template: allylic ring methylenes"},
      {"1,4-pentadiene", "C C C C C", "0=1 1-2 2-3 3=4", "CEH2 CEH1 CH2C CEH1 CEH2",
       "doubly allylic methylene between two alkene CH"},
      {"1,3-butadiene", "C C C C", "0=1 1-2 2=3", "CEH2 CEHC CEHC CEH2",
       "inner CH conjugated through the central single bond"},
      {"1,3-pentadiene", "C C C C C", "0=1 1-2 2=3 3-4", "CEH2 CEHC CEHC CEC CH3C",
       "substituted diene end and its methyl"},
      {"1,3,5-hexatriene", "C C C C C C", "0=1 1-2 2=3 3-4 4=5",
       "CEH2 CEHC CEH1 CEH1 CEHC CEH2", "middle CH conjugated on both sides"},
      {"isoprene", "C C C C C", "0=1 1-2 1-3 3=4", "CEH2 CES CH3 CEH1 CEH2",
       "substituted end of a terminal alkene; the CH is conjugated to no CH"},
      {"cyclopentadiene", "C C C C C", "0-1 1=2 2-3 3=4 4-0", "CH2Y CEH1 CEH1 CEH1 CEH1"},
      {"acetylene", "C C", "0#1", "CYH CYH", "two terminal alkyne carbons"},
      {"propyne", "C C C", "0#1 1-2", "CYH CYS CH3", "substituted end of a terminal alkyne"},
      {"2-butyne", "C C C C", "0-1 1#2 2-3", "CH3 CY CY CH3", "internal alkyne carbons"},
  });
}

TEST(TypingRegression, AlcoholsEthersAndCarbonyls) {
  expectTypes({
      {"water", "O", "", "OH2", "water oxygen"},
      {"methanol", "C O", "0-1", "CMH3 OH", "methyl on oxygen, hydroxyl"},
      {"ethanol", "C C O", "0-1 1-2", "CH3 CMH2 OH", "methylene on oxygen"},
      {"isopropanol", "C C C O", "0-1 1-2 1-3", "CH3 CMH CH3 OH", "methine on oxygen"},
      {"tert-butanol", "C C C C O", "0-1 0-2 0-3 0-4", "CM CH3 CH3 CH3 OH",
       "quaternary carbon on oxygen"},
      {"dimethyl ether", "C O C", "0-1 1-2", "CMH3 OE CMH3", "ether oxygen"},
      {"tetrahydrofuran", "O C C C C", "0-1 1-2 2-3 3-4 4-0", "OE CMH2 CH2 CH2 CMH2",
       "saturated ring ether: no template"},
      {"methyl vinyl ether", "C C O C", "0=1 1-2 2-3", "CEH2 CEH1 OE CMH3", "enol ether"},
      {"formaldehyde", "C O", "0=1", "COH2 OALD", "formaldehyde carbon, aldehyde oxygen"},
      {"acetaldehyde", "C C O", "0-1 1=2", "CH3 COH OALD", "aldehyde"},
      {"acetone", "C C O C", "0-1 1=2 1-3", "CH3 CK OK CH3", "ketone"},
      {"cyclohexanone", "C O C C C C C", "0=1 0-2 2-3 3-4 4-5 5-6 6-0",
       "CK OK CH2 CH2 CH2 CH2 CH2", "ring ketone"},
      {"formic acid", "C O O", "0=1 0-2", "CFA OFA OHYD", "formic acid"},
      {"acetic acid", "C C O O", "0-1 1=2 1-3", "CH3 CCA OCA OACD", "carboxylic acid"},
      {"acetate", "C C O O-", "0-1 1=2 1-3", "CH3 CEST OEST OC",
       "carboxylate: the anionic oxygen is a carboxylate oxygen"},
      {"methyl acetate", "C C O O C", "0-1 1=2 1-3 3-4", "CH3 CEST OEST OTER CMH3", "ester"},
      {"methyl formate", "C O O C", "0=1 0-2 2-3", "CFES OFES OFER CMH3", "formate ester"},
      {"acetic anhydride", "C C O O C O C", "0-1 1=2 1-3 3-4 4=5 4-6",
       "CH3 CANH OANH OACD CANH OANH CH3", "anhydride"},
      {"acetyl chloride", "C C O Cl", "0-1 1=2 1-3", "CH3 COCL OCL CL", "acid chloride"},
      {"phosgene", "C O Cl Cl", "0=1 0-2 0-3", "COCL OCL CL CL",
       "carbonyl dichloride is an acid chloride, not a saturated carbon"},
      {"formyl chloride", "C O Cl", "0=1 0-2", "COCL OCL CL",
       "acid chloride whose other neighbour is hydrogen"},
      {"methyl chloroformate", "C O O C Cl", "0=1 0-2 2-3 0-4", "CEST OEST OTER CMH3 CL",
       "an alkoxy oxygen makes an ester before the chlorine makes an acid chloride"},
      {"carbon dioxide", "C O O", "0=1 0=2", "CO2 OK OK", "carbon dioxide"},
  });
}

TEST(TypingRegression, AmidesUreasAminesAndNitriles) {
  expectTypes({
      {"acetamide", "C C O N", "0-1 1=2 1-3", "CH3 CPAM OPAM NPAM", "primary amide"},
      {"N-methylacetamide", "C C O N C", "0-1 1=2 1-3 3-4", "CH3 CSAM OSAM NSAM CMH3"},
      {"N,N-dimethylacetamide", "C C O N C C", "0-1 1=2 1-3 3-4 3-5",
       "CH3 CTAM OTAM NTAM CMH3 CMH3", "tertiary amide"},
      {"formamide", "C O N", "0=1 0-2", "CPFA OPFA NPFA", "primary formamide"},
      {"N-methylformamide", "C O N C", "0=1 0-2 2-3", "CSFA OSFA NSFA CMH3"},
      {"N,N-dimethylformamide", "C O N C C", "0=1 0-2 2-3 2-4", "CTFA OTFA NTFA CMH3 CMH3"},
      {"urea", "C O N N", "0=1 0-2 0-3", "CURE OURE NURE NURE", "urea"},
      {"tetramethylurea", "C O N N C C C C", "0=1 0-2 0-3 2-4 2-5 3-6 3-7",
       "CURE OURE NURE NURE CMH3 CMH3 CMH3 CMH3", "tetrasubstituted urea"},
      {"ammonia", "N", "", "NH3", "ammonia"},
      {"methylamine", "C N", "0-1", "CMH3 NH2", "primary amine"},
      {"dimethylamine", "C N C", "0-1 1-2", "CMH3 NH CMH3", "secondary amine"},
      {"trimethylamine", "N C C C", "0-1 0-2 0-3", "N CMH3 CMH3 CMH3", "tertiary amine"},
      {"methylammonium", "C N+ H H H", "0-1 1-2 1-3 1-4", "CMH3 NH3F", "primary ammonium"},
      {"tetramethylammonium", "N+ C C C C", "0-1 0-2 0-3 0-4", "NF CMH3 CMH3 CMH3 CMH3"},
      {"hydrazine", "N N", "0-1", "NH2I NH2I", "amino nitrogen on nitrogen"},
      {"acetonitrile", "C C N", "0-1 1#2", "CH3 CCN NCN", "nitrile"},
      {"dinitrogen", "N N", "0#1", "NMOL NMOL", "dinitrogen"},
  });
}

TEST(TypingRegression, NitroNitritesNitratesSulfurAndHalides) {
  expectTypes({
      {"nitromethane", "C N+ O O-", "0-1 1=2 1-3", "CMH3 NTRO OTRO OEM",
       "nitro drawn charge-separated, as mol files hold it"},
      {"methyl nitrite", "C O N O", "0-1 1-2 2=3", "CMH3 OCRI NTRI OTRI", "nitrite ester"},
      {"methyl nitrate", "C O N+ O O-", "0-1 1-2 2=3 2-4", "CMH3 OCRA NTRA OTRA OEM",
       "nitrate ester drawn charge-separated"},
      {"hydrogen sulfide", "S", "", "SH2", "hydrogen sulfide"},
      {"methanethiol", "C S", "0-1", "CMH3 SH", "thiol"},
      {"dimethyl sulfide", "C S C", "0-1 1-2", "CMH3 STWO CMH3", "thioether"},
      {"dimethyl disulfide", "C S S C", "0-1 1-2 2-3", "CMH3 SS SS CMH3", "disulfide"},
      {"dimethyl sulfoxide", "C S O C", "0-1 1=2 1-3", "CMH3 SSO OSO CMH3", "sulfoxide"},
      {"dimethyl sulfone", "C S O O C", "0-1 1=2 1=3 1-4", "CMH3 SSO2 OSO2 OSO2 CMH3"},
      {"methanesulfonic acid", "C S O O O", "0-1 1=2 1=3 1-4", "CMH3 SSO3 OSO3 OSO3 OH"},
      {"methyl mesylate", "C S O O O C", "0-1 1=2 1=3 1-4 4-5", "CMH3 SSO3 OSO3 OSO3 OSFI CMH3"},
      {"dimethyl sulfate", "C O S O O O C", "0-1 1-2 2=3 2=4 2-5 5-6",
       "CMH3 OSFI SSO4 OSO4 OSO4 OSFI CMH3", "sulfate ester"},
      {"fluoromethane", "C F", "0-1", "CMH3 F", "halomethane"},
      {"chloromethane", "C Cl", "0-1", "CMH3 CL", "halomethane"},
      {"bromomethane", "C Br", "0-1", "CMH3 BR", "halomethane"},
      {"iodomethane", "C I", "0-1", "CMH3 I", "halomethane"},
      {"dichloromethane", "C Cl Cl", "0-1 0-2", "CMH2 CL CL", "methylene with halogens"},
      {"chloroform", "C Cl Cl Cl", "0-1 0-2 0-3", "CMH CL CL CL", "methine with halogens"},
      {"carbon tetrachloride", "C Cl Cl Cl Cl", "0-1 0-2 0-3 0-4", "CM CL CL CL CL",
       "carbon with four halogens"},
      {"tetramethylsilane", "Si C C C C", "0-1 0-2 0-3 0-4", "SIA CMH3 CMH3 CMH3 CMH3",
       "silicon with four methyls"},
      {"phosphine", "P", "", "P0", "trivalent phosphorus; its hydrogens are HP"},
      {"trimethylphosphine oxide", "P O C C C", "0=1 0-2 0-3 0-4", "PO OP CMH3 CMH3 CMH3",
       "phosphoryl phosphorus and oxygen"},
  });
}

// Kekule input: the six-rings turn aromatic in perception, the five-ring heteroaromatics keep
// their alternating bonds and are typed by their plain templates.
const char* const kBenzeneRing = "0=1 1-2 2=3 3-4 4=5 5-0";

std::string ring(const std::string& extra) { return std::string(kBenzeneRing) + " " + extra; }

TEST(TypingRegression, SubstitutedBenzenes) {
  expectTypes({
      {"benzene", "C C C C C C", kBenzeneRing, "CAH1 CAH1 CAH1 CAH1 CAH1 CAH1"},
      {"toluene", "C C C C C C C", ring("0-6"), "CA CAH1 CAH1 CAH1 CAH1 CAH1 CH3",
       "substituted aromatic carbon; methyl on carbon"},
      {"phenol", "C C C C C C O", ring("0-6"), "CA CAH1 CAH1 CAH1 CAH1 CAH1 OH"},
      {"aniline", "C C C C C C N", ring("0-6"), "CA CAH1 CAH1 CAH1 CAH1 CAH1 NH2"},
      {"anisole", "C C C C C C O C", ring("0-6 6-7"), "CA CAH1 CAH1 CAH1 CAH1 CAH1 OE CMH3"},
      {"styrene", "C C C C C C C C", ring("0-6 6=7"), "CA CAH1 CAH1 CAH1 CAH1 CAH1 CEH1 CEH2"},
      {"benzonitrile", "C C C C C C C N", ring("0-6 6#7"), "CA CAH1 CAH1 CAH1 CAH1 CAH1 CCN NCN"},
      {"benzaldehyde", "C C C C C C C O", ring("0-6 6=7"), "CA CAH1 CAH1 CAH1 CAH1 CAH1 COH OALD"},
      {"acetophenone", "C C C C C C C O C", ring("0-6 6=7 6-8"),
       "CA CAH1 CAH1 CAH1 CAH1 CAH1 CK OK CH3", "aryl ketone"},
      {"benzoic acid", "C C C C C C C O O", ring("0-6 6=7 6-8"),
       "CA CAH1 CAH1 CAH1 CAH1 CAH1 CCA OCA OACD", "aryl carboxylic acid"},
      {"methyl benzoate", "C C C C C C C O O C", ring("0-6 6=7 6-8 8-9"),
       "CA CAH1 CAH1 CAH1 CAH1 CAH1 CEST OEST OTER CMH3", "aryl ester"},
      {"benzoyl chloride", "C C C C C C C O Cl", ring("0-6 6=7 6-8"),
       "CA CAH1 CAH1 CAH1 CAH1 CAH1 COCL OCL CL", "aryl acid chloride"},
      {"benzamide", "C C C C C C C O N", ring("0-6 6=7 6-8"),
       "CA CAH1 CAH1 CAH1 CAH1 CAH1 CPAM OPAM NPAM", "aryl primary amide"},
      {"nitrobenzene", "C C C C C C N+ O O-", ring("0-6 6=7 6-8"),
       "CMAG CAH1 CAH1 CAH1 CAH1 CAH1 NTRO OTRO OEM", "nitro-substituted ring template"},
      {"1,3,5-trichlorobenzene", "C C C C C C Cl Cl Cl", ring("0-6 2-7 4-8"),
       "CACL CAH1 CACL CAH1 CACL CAH1 CL CL CL", "trichlorinated ring template"},
      {"hexachlorobenzene", "C C C C C C Cl Cl Cl Cl Cl Cl", ring("0-6 1-7 2-8 3-9 4-10 5-11"),
       "CMAG CMAG CMAG CMAG CMAG CMAG CL CL CL CL CL CL", "perchlorinated ring template"},
      {"2-chlorobenzoic acid", "C C C C C C C O O Cl", ring("0-6 6=7 6-8 1-9"),
       "CA CA2L CAH1 CAH1 CAH1 CAH1 CCA OCA OACD CL", "chlorine ortho to the carboxyl"},
      {"3-chlorobenzoic acid", "C C C C C C C O O Cl", ring("0-6 6=7 6-8 2-9"),
       "CA CAH1 CA4L CAH1 CAH1 CAH1 CCA OCA OACD CL", "chlorine meta to the carboxyl"},
      {"4-chlorobenzoic acid", "C C C C C C C O O Cl", ring("0-6 6=7 6-8 3-9"),
       "CA CAH1 CAH1 CA4L CAH1 CAH1 CCA OCA OACD CL", "chlorine para to the carboxyl"},
      {"2,4-dinitrophenol", "C C C C C C O N+ O O- N+ O O-",
       ring("0-6 1-7 7=8 7-9 3-10 10=11 10-12"),
       "CA CMAG CAH1 CMAG CAH1 CAH1 OH NTRO OTRO OEM NTRO OTRO OEM"},
  });
}

TEST(TypingRegression, FusedAndHeteroaromaticRings) {
  expectTypes({
      {"naphthalene", "C C C C C C C C C C", "0=1 1-2 2=3 3-4 4=9 9-0 4-5 5=6 6-7 7=8 8-9",
       "CAH1 CAH1 CAH1 CAH1 CA CAH1 CAH1 CAH1 CAH1 CA", "fusion carbons without hydrogen"},
      {"biphenyl", "C C C C C C C C C C C C",
       "0=1 1-2 2=3 3-4 4=5 5-0 6=7 7-8 8=9 9-10 10=11 11-6 0-6",
       "CA CAH1 CAH1 CAH1 CAH1 CAH1 CA CAH1 CAH1 CAH1 CAH1 CAH1", "aryl-substituted rings"},
      {"pyridine", "N C C C C C", "0=1 1-2 2=3 3-4 4=5 5-0", "NPYR CAH1 CAH1 CAH1 CAH1 CAH1"},
      {"pyrimidine", "N C N C C C", "0=1 1-2 2=3 3-4 4=5 5-0", "NPYR CAH1 NPYR CAH1 CAH1 CAH1"},
      {"quinoline", "N C C C C C C C C C", "0=1 1-2 2=3 3-4 4=9 9-0 4-5 5=6 6-7 7=8 8-9",
       "NPYR CAH1 CAH1 CAH1 CA CAH1 CAH1 CAH1 CAH1 CA", "benzo-fused pyridine"},
      {"pyrrole", "N C C C C", "0-1 1=2 2-3 3=4 4-0", "NPYR CPYR CPYR CPYR CPYR"},
      {"N-methylpyrrole", "N C C C C C", "0-1 1=2 2-3 3=4 4-0 0-5",
       "NPYR CPYR CPYR CPYR CPYR CMH3", "pyrrole template, methyl on nitrogen"},
      {"furan", "O C C C C", "0-1 1=2 2-3 3=4 4-0", "OE CPYR CPYR CPYR CPYR", "furan template"},
      {"thiophene", "S C C C C", "0-1 1=2 2-3 3=4 4-0", "STWO CPYR CPYR CPYR CPYR"},
      {"imidazole", "N C N C C", "0-1 1=2 2-3 3=4 4-0", "NPYR CPYR NIMD CPYR CPYR",
       "imidazole template: NH and imine nitrogens"},
      {"indole", "N C C C C C C C C", "0-1 1=2 2-3 3=8 8-0 3-4 4=5 5-6 6=7 7-8",
       "NIND CPYR CPYR CA CAH1 CAH1 CAH1 CAH1 CA", "benzo-fused pyrrole"},
      {"indole, benzene ring numbered first", "C C C C C C N C C",
       "0=1 1-2 2=3 3-4 4=5 5-0 5-6 6-7 7=8 8-0", "CA CAH1 CAH1 CAH1 CAH1 CA NIND CPYR CPYR",
       "the ring typed last must not decide the junction types"},
      {"benzofuran", "O C C C C C C C C", "0-1 1=2 2-3 3=8 8-0 3-4 4=5 5-6 6=7 7-8",
       "OE CPYR CPYR CA CAH1 CAH1 CAH1 CAH1 CA", "benzo-fused furan"},
      {"benzofuran, benzene ring numbered first", "C C C C C C O C C",
       "0=1 1-2 2=3 3-4 4=5 5-0 5-6 6-7 7=8 8-0", "CA CAH1 CAH1 CAH1 CAH1 CA OE CPYR CPYR",
       "fusion carbons whichever ring is typed last"},
      {"isoquinoline", "C N C C C C C C C C", "0=1 1-2 2=3 3-4 4=9 9-0 4-5 5=6 6-7 7=8 8-9",
       "CAH1 NPYR CAH1 CAH1 CA CAH1 CAH1 CAH1 CAH1 CA", "N away from the fusion"},
      // No ring template knows it: only the negative levels, run because the ring is aromatic
      // though no template matched, type the two carbons beside the oxygen (a bare "C" else).
      {"pyrylium", "C C C O+ C C", "0=1 1-2 2=3 3-4 4=5 5-0", "CAH1 CAH1 CAH1 O CAH1 CAH1",
       "aromatic ring without a template: the negative levels still run"},
  });
}

TEST(TypingRegression, FlatRingNitrogensAndFusedSaturatedRings) {
  expectTypes({
      {"1-methyluracil", "C N C C C O N C O", "0-1 1-2 2=3 3-4 4=5 4-6 6-7 7=8 7-1",
       "CMH3 NPYR CE CE CSAM OSAM NSAM CSAM OSAM",
       "the ring nitrogen of a uracil is planar, never an imine nitrogen"},
      {"caffeine", "C N C N C C C O N C C O N C",
       "0-1 1-2 2=3 3-4 4=5 5-1 5-6 6=7 6-8 8-9 8-10 10=11 10-12 12-4 12-13",
       "CMH3 NPYR CPYR NIMD CPYR CPYR CSAM OTAM NSAM CMH3 CSAM OSAM NPYR CMH3",
       "N3 planar; the imidazole junction carbons keep their aromatic-ring types"},
      {"indan-1-one", "O C C C C C C C C C", "0=1 1-2 2-3 3-4 4=5 5-6 6=7 7-8 8=9 9-4 9-1",
       "OK CK CH2 CH2P CA CAH1 CAH1 CAH1 CAH1 CA",
       "a cyclopentene template gives no ketone carbon or benzene junction an alkane type"},
      {"thioacetamide", "C C S N", "0-1 1=2 1-3", "CH3 CSAM S NPAM", "thioamide carbon"},
      {"acetohydrazide", "C C O N N", "0-1 1=2 1-3 3-4", "CH3 CTAM OTAM NSAM NH2I",
       "the acyl nitrogen of a hydrazide is an amide nitrogen"},
  });
}

}  // namespace
