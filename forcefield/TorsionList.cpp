// The torsions of the energy walk with their terms in the form the walk uses, kept while the
// parameter lists, the torsions' atoms and the fixed atoms stay as they were.
#include "forcefield/MolecularSystem.h"

#include "forcefield/SameNumbers.h"

#include <cmath>
#include <vector>

namespace {

const int kMaxTorsionTerms = 8;

}  // namespace

void MolecularSystem::refreshTorsionList() const {
  const std::vector<int>* ints[] = {
      &dihedralAtom1,      &dihedralAtom2,      &dihedralAtom3,      &dihedralAtom4,
      &dihedralTermOf,     &cumuleneTwistAtom1, &cumuleneTwistAtom2, &cumuleneTwistAtom3,
      &cumuleneTwistAtom4, &improperAtom1,      &improperAtom2,      &improperAtom3,
      &improperAtom4};
  const std::vector<double>* doubles[] = {
      &dihedralPeriodicity,     &dihedralPhase,       &dihedralBarrier,
      &dihedralTermPeriodicity, &dihedralTermPhase,   &dihedralTermBarrier,
      &cumuleneTwistPhase,      &cumuleneTwistBarrier, &improperBarrier};
  static_assert(sizeof ints / sizeof ints[0] == kTorsionIntLists, "every list of atoms kept");
  static_assert(sizeof doubles / sizeof doubles[0] == kTorsionValueLists, "every value kept");
  TorsionInputs& kept = torsionInputs;
  bool current = kept.made && kept.dihedralCount == dihedralCount &&
                 kept.improperCount == improperCount && kept.atomFixed == atomFixed;
  for (size_t v = 0; current && v < kTorsionIntLists; ++v) current = sameNumbers(kept.ints[v], *ints[v]);
  for (size_t v = 0; current && v < kTorsionValueLists; ++v)
    current = sameNumbers(kept.values[v], *doubles[v]);
  if (current) return;

  torsionEntries.clear();
  torsionTerms.clear();
  // The form of a term the walk uses; the phase's cosine and sine are those of std::cos and
  // std::sin, 1 and 0 for a zero phase.
  auto termOf = [](double n, double delta, double K) {
    TorsionTerm term;
    term.n = n;
    term.K = K;
    term.nK = n * K;
    term.cosPhase = delta == 0.0 ? 1.0 : std::cos(delta);
    term.sinPhase = delta == 0.0 ? 0.0 : std::sin(delta);
    const bool finite = std::isfinite(n) && std::fabs(n) < 1e9;
    const int whole = finite ? static_cast<int>(n) : 0;
    term.whole = whole >= 1 && whole <= 6 && static_cast<double>(whole) == n ? whole : 0;
    return term;
  };
  auto add = [this, &termOf](int i, int j, int k, int l, const TorsionTermValue* values,
                             int count) {
    TorsionEntry entry{i, j, k, l, static_cast<int>(torsionTerms.size()), count, false};
    entry.fixed = atomFixed[i] && atomFixed[j] && atomFixed[k] && atomFixed[l];
    for (int t = 0; t < count; ++t)
      torsionTerms.push_back(termOf(values[t].n, values[t].delta, values[t].K));
    torsionEntries.push_back(entry);
  };
  size_t t = 0;
  TorsionTermValue values[kMaxTorsionTerms];
  for (int d = 0; d < dihedralCount; ++d) {
    const int count = gatherTorsionTerms(d, t, values, kMaxTorsionTerms);
    add(dihedralAtom1[d], dihedralAtom2[d], dihedralAtom3[d], dihedralAtom4[d], values, count);
  }
  for (size_t c = 0; c < cumuleneTwistBarrier.size(); ++c) {
    values[0] = {2.0, cumuleneTwistPhase[c], cumuleneTwistBarrier[c]};
    add(cumuleneTwistAtom1[c], cumuleneTwistAtom2[c], cumuleneTwistAtom3[c],
        cumuleneTwistAtom4[c], values, 1);
  }
  improperStart = torsionEntries.size();
  for (int m = 0; m < improperCount; ++m) {
    values[0] = {1.0, 0.0, improperBarrier[m]};
    add(improperAtom1[m], improperAtom2[m], improperAtom3[m], improperAtom4[m], values, 1);
  }
  kept.dihedralCount = dihedralCount;
  kept.improperCount = improperCount;
  kept.atomFixed = atomFixed;
  for (size_t v = 0; v < kTorsionIntLists; ++v) kept.ints[v] = *ints[v];
  for (size_t v = 0; v < kTorsionValueLists; ++v) kept.values[v] = *doubles[v];
  kept.made = true;
  ++torsionListBuilds;
}
