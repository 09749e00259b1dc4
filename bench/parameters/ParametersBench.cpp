// Loading the embedded tables, and the bond and angle lookups that run once per bond and angle
// whenever a molecule is set up.

#include "parameters/InputParameters.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// A bond table the size of the full one (754 exact and 151 approximated rows) with made-up
// types, so the scans cost what they will once the whole chemistry is in.
InputParameters& fullSizeTables() {
  static InputParameters* tables = [] {
    InputParameters* made = new InputParameters(InputParameters::EmptyTables{});
    std::string types, bonds = "#EXACT#\n", angles;
    for (int i = 0; i < 40; ++i)
      types += "T" + std::to_string(i) + " T" + std::to_string(i) + " S" + std::to_string(i % 8) +
               " C 12.0 0.86 -0.08 2.06 2.55 2.27 0\n";
    int rows = 0;
    for (int i = 0; i < 40 && rows < 754; ++i)
      for (int j = i; j < 40 && rows < 754; ++j, ++rows)
        bonds += "T" + std::to_string(i) + " T" + std::to_string(j) + " 1 1.6 1.1 4.1 0.3\n";
    bonds += "#APPROXIMATED#\n";
    for (int i = 0; i < 8; ++i)
      for (int j = i; j < 8; ++j)
        bonds += "S" + std::to_string(i) + " S" + std::to_string(j) + " 1 1.6 1.1 4.1 0.3\n";
    for (int i = 0; i < 40; ++i)
      for (int j = 0; j < 16; ++j)
        angles += "T" + std::to_string(j) + " T" + std::to_string(i) + " T" +
                  std::to_string((j + 3) % 40) + " 109.5\n";
    for (int i = 0; i < 40; ++i)
      angles += "* T" + std::to_string(i) + " * 109.5\n";
    made->parseAtomTypeTable(types);
    made->parseBondTable(bonds);
    made->parseAngleTable(angles);
    return made;
  }();
  return *tables;
}

// Query pairs spread over early rows, late rows and super-type fallbacks.
const std::vector<std::pair<std::string, std::string>>& bondQueries() {
  static const std::vector<std::pair<std::string, std::string>> queries = {
      {"T0", "T1"}, {"T5", "T30"}, {"T20", "T21"}, {"T39", "T2"}, {"T38", "T39"}};
  return queries;
}

}  // namespace

static void BM_LoadAllTables(benchmark::State& state) {
  InputParameters::instance();   // registers the resources once
  for (auto _ : state) {
    InputParameters tables{InputParameters::EmptyTables{}};
    tables.loadTables(InputParameters::resourcePrefix);
    benchmark::DoNotOptimize(tables.typeRules.data());
  }
}
BENCHMARK(BM_LoadAllTables)->Unit(benchmark::kMicrosecond);

static void BM_BondLookup(benchmark::State& state) {
  InputParameters& tables = fullSizeTables();
  const auto& queries = bondQueries();
  BondParameters out;
  for (auto _ : state)
    for (const auto& query : queries)
      benchmark::DoNotOptimize(tables.findBondParameters(query.first, query.second, 1, out));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(queries.size()));
}
BENCHMARK(BM_BondLookup);

static void BM_AngleLookup(benchmark::State& state) {
  InputParameters& tables = fullSizeTables();
  AngleParameters out;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tables.findAngle("T1", "T7", "T4", out));    // exact row
    benchmark::DoNotOptimize(tables.findAngle("T30", "T7", "T31", out));  // "* T7 *" row
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_AngleLookup);

// A million lookups the way the set-up pipeline makes them, half bonds and half angles.
static void BM_MillionBondAndAngleLookups(benchmark::State& state) {
  InputParameters& tables = fullSizeTables();
  const auto& queries = bondQueries();
  BondParameters bond;
  AngleParameters angle;
  for (auto _ : state)
    for (int i = 0; i < 500000; ++i) {
      const auto& query = queries[static_cast<size_t>(i) % queries.size()];
      benchmark::DoNotOptimize(tables.findBondParameters(query.first, query.second, 1, bond));
      benchmark::DoNotOptimize(tables.findAngle(query.first, "T7", query.second, angle));
    }
}
BENCHMARK(BM_MillionBondAndAngleLookups)->Unit(benchmark::kMillisecond)->Iterations(1);
