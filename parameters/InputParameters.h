#ifndef KV_PARAMETERS_INPUTPARAMETERS_H
#define KV_PARAMETERS_INPUTPARAMETERS_H

// The parameter singleton: reads the fourteen embedded tables on first use, owns one heap record
// per row for the life of the process and answers the lookups. Tables keep file order, which is
// search order: the first matching row wins.

#include "parameters/ParameterRecords.h"

#include <array>
#include <map>
#include <string>
#include <vector>

class InputParameters {
public:
  static InputParameters* Instance;

  // The process-wide tables, read from the resources by the first call.
  static InputParameters* instance();

  // Puts other tables in place of the process-wide ones (tests, tools) and returns the previous
  // pointer, which may be null; the caller keeps ownership of both.
  static InputParameters* swapInstance(InputParameters* replacement);

  // Where the embedded tables live; loadTables() appends the file names.
  static const char* const resourcePrefix;   // ":/KestavorGUI/Resources/"

  // Tag for an object that starts with empty tables, to be filled by the parse functions.
  struct EmptyTables {};
  explicit InputParameters(EmptyTables);
  ~InputParameters();
  InputParameters(const InputParameters&) = delete;
  InputParameters& operator=(const InputParameters&) = delete;

  // Reads all fourteen tables from folder + file name, in the fixed order. The first table that
  // cannot be opened ends the process with status 1.
  void loadTables(const std::string& folder);
  // Frees every record and empties every table; the levels go back to 0.
  void releaseTables();

  // Readers: open the table at path (a resource or a file) or end the process with status 1
  // after a one-line message, then append its rows.
  void readInBondTable(const char* path);
  void readInAngleTable(const char* path);
  void readInDihedralTable(const char* path);
  void readInAtomTypeTable(const char* path);
  void readInBondMomentTable(const char* path);
  void readInCyclicTemplateTable(const char* path);
  void readInCombineRules(const char* path);
  void readInEmagTable(const char* path);
  void readInElementTable(const char* path);
  void readInBasicRingTable(const char* path);
  void readInTypeRulesTable(const char* path);
  void readInBondOrderTable(const char* path);
  void readInHybridTypeTable(const char* path);
  void readInRingStrainTable(const char* path);

  // The same readers on table text already in memory. Bad rows are reported on standard error
  // and skipped; nothing here ends the process.
  void parseBondTable(const std::string& text);
  void parseAngleTable(const std::string& text);
  void parseDihedralTable(const std::string& text);
  void parseAtomTypeTable(const std::string& text);
  void parseBondMomentTable(const std::string& text);
  void parseCyclicTemplateTable(const std::string& text);
  void parseCombineRules(const std::string& text);
  void parseEmagTable(const std::string& text);
  void parseElementTable(const std::string& text);
  void parseBasicRingTable(const std::string& text);
  void parseTypeRulesTable(const std::string& text);
  void parseBondOrderTable(const std::string& text);
  void parseHybridTypeTable(const std::string& text);
  void parseRingStrainTable(const std::string& text);

  // Bond lookup: 1 given or base types, -1 super types, -2 element symbols (both approximated),
  // 0 nothing found (out unchanged). Order 9 without a row falls back to order 2.
  int findBondParameters(std::string type1, std::string type2, int bondOrder, BondParameters& out);
  // Charge in elementary charges implied by the matching row's bond moment; 0 when none.
  float findBondCharge(std::string type1, std::string type2, int bondOrder);
  float calculateCharge(float moment, float distance);

  int findAngle(std::string type1, std::string centre, std::string type3, AngleParameters& out);
  // Default angle in degrees from the number of bonds a and the used valence b.
  float findDefaultAngle(std::string type, int a, int b);
  int findDihedralParameters(std::string type1, std::string type2, std::string type3,
                             std::string type4, unsigned int bondOrder, DihedralParameters& out);
  // Every term of the torsion about a central bond: the row findDihedralParameters copies, then
  // the rows right after it with the same four types and order (one periodicity each). 1 and
  // the terms in table order, or 0 and an empty list.
  int findDihedralTerms(const std::string& type1, const std::string& type2,
                        const std::string& type3, const std::string& type4,
                        unsigned int bondOrder, std::vector<DihedralParameters>& out);
  // The terms of the central bond's axis alone, whatever the end atoms: the AXIS row of the
  // central atoms' own, base or super types (the first found, in that order), else the default
  // row of the order, each with the rows that extend its series. 1, or 0 and an empty list.
  int findDihedralAxisTerms(const std::string& type2, const std::string& type3,
                            unsigned int bondOrder, std::vector<DihedralParameters>& out);

  bool findTypeRules(TypeRules query, int level, std::string& type);
  bool findBasicRings(std::vector<std::string> names, std::vector<int> orders, bool substituted,
                      BasicRings& out, int& start, bool aromatic);
  bool findCombineRules(std::string key, UpdateRules& out);

  int findAtomTypeParameters(std::string type, AtomTypeParameters& out);
  int findElementParameters(std::string name, ElementParameters& out);
  int findBondMomentParameters(std::string type1, std::string type2, int order,
                               BondMomentParameters& out);
  int findBondOrder(std::string element1, std::string element2, float distance);
  bool findConnectivity(std::string element1, std::string element2, float distance);
  int findHyridType(std::string type1, std::string type2, HybridAtomTypes& out);
  int findCyclicTemplates(std::string kind, int ringSize, CyclicTemplates& out);
  // Energy in eV of the first ring-strain row of this kind and size; 0 when there is none.
  float findRingStrain(const std::string& kind, int ringSize) const;
  float findEmagParameters(std::string type1, std::string type2, unsigned int order);
  float findEmagParameters(std::string type1, std::string centre, std::string type3);
  float findEmagParameters(std::string type1, std::string type2, std::string type3,
                           std::string type4, unsigned int order);

  int maxTypeRuleLevel = 0;
  int minTypeRuleLevel = 0;
  std::vector<BondParameters*> bondParameters;
  std::vector<AngleParameters*> angleParameters;
  std::vector<DihedralParameters*> dihedralParameters;
  std::vector<AtomTypeParameters*> atomTypeParameters;
  std::vector<ElementParameters*> elementParameters;
  std::vector<BasicRings*> basicRings;
  std::vector<BondMomentParameters*> bondMomentParameters;
  std::vector<EmagBondParameters*> emagBondParameters;
  std::vector<EmagAngleParameters*> emagAngleParameters;
  std::vector<EmagDihedralParameters*> emagDihedralParameters;
  std::vector<CyclicTemplates*> cyclicTemplates;
  std::vector<TypeRules*> typeRules;
  std::vector<HybridAtomTypes*> hybridAtomTypes;
  std::map<std::string, UpdateRules*> combineRules;   // all keys of one block share a record
  std::vector<BondOrderParameters*> bondOrderParameters;
  std::vector<RingStrainParameters*> ringStrainParameters;

private:
  InputParameters();

  // Pass helpers of the bond lookup: 0 no row, 1 forward hit, -1 reversed hit.
  int matchBondRow(const std::string& name1, const std::string& name2, int bondOrder,
                   const BondParameters*& row) const;
  bool matchAngleRow(const std::string& type1, const std::string& centre,
                     const std::string& type3, AngleParameters& out) const;
  // The first row with these four names (either direction) and order; -1 when none.
  int dihedralRowIndex(const std::string& n1, const std::string& n2, const std::string& n3,
                       const std::string& n4, unsigned int bondOrder) const;
  // The first pair row of an axis for these ends (end keys: super type, then element); -1 when
  // none.
  int dihedralPairRowIndex(const std::array<std::string, 2>& ends1, const std::string& centre2,
                           const std::string& centre3, const std::array<std::string, 2>& ends4,
                           unsigned int bondOrder) const;
  // The row the torsion lookup's passes reach first; -1 when none.
  int findDihedralRow(const std::string& type1, const std::string& type2,
                      const std::string& type3, const std::string& type4,
                      unsigned int bondOrder);
  // The AXIS row findDihedralAxisTerms starts from; -1 when none.
  int findDihedralAxisRow(const std::string& type2, const std::string& type3,
                          unsigned int bondOrder);
  // The row at index first and the rows after it that extend its series, into out.
  void collectDihedralSeries(int first, std::vector<DihedralParameters>& out) const;
  void chainBasicRing(BasicRings& ring);
  void closeCyclicTemplate(CyclicTemplates* tmpl);

  // Owner of every combine rule, also those whose keys were later replaced.
  std::vector<UpdateRules*> ownedUpdateRules;
};

#endif
