// The math kit in the loops that use it most: transforming packed positions, rotating by a
// quaternion, and the wildcard match run for every row of a parameter lookup.
#include "math/Quaternion.h"
#include "math/SSEMatrix4x4f.h"
#include "math/SSEVector4f.h"
#include "math/UtilityEngine.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// A thousand points on a small spiral, the size of a large molecule's position array.
std::vector<SSEVector4f> samplePoints() {
  std::vector<SSEVector4f> points;
  for (int i = 0; i < 1000; ++i)
    points.emplace_back(0.01f * i, 0.5f * (i % 7), -0.25f * (i % 13), 1.0f);
  return points;
}

}  // namespace

static void BM_TransformPoints(benchmark::State& state) {
  std::vector<SSEVector4f> points = samplePoints();
  SSEMatrix4x4f transform;
  transform.createRotateYMatrix(0.3f);
  transform.m[12] = 1.5f;
  for (auto _ : state) {
    for (SSEVector4f& p : points) p *= transform;
    benchmark::DoNotOptimize(points.data());
  }
  state.SetItemsProcessed(state.iterations() * points.size());
}
BENCHMARK(BM_TransformPoints);

static void BM_QuaternionRotate(benchmark::State& state) {
  const std::vector<SSEVector4f> points = samplePoints();
  Quaternion q;
  q.fromEulerFixed(10, 20, 30);
  for (auto _ : state)
    for (const SSEVector4f& p : points) benchmark::DoNotOptimize(q.rotate(p).x);
  state.SetItemsProcessed(state.iterations() * points.size());
}
BENCHMARK(BM_QuaternionRotate);

static void BM_WildCardMatch(benchmark::State& state) {
  // Table names against query types as a bond lookup meets them.
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"C*", "CSP3"}, {"CSP3", "CSP3"}, {"*", "OSP3"},
      {"NSP2", "*"},  {"CS*", "HC"},    {"O*", "CSP2"}};
  UtilityEngine& utility = *UtilityEngine::instance();
  for (auto _ : state)
    for (const auto& pair : pairs)
      benchmark::DoNotOptimize(utility.stringMatchWithWildCards(pair.first, pair.second));
  state.SetItemsProcessed(state.iterations() * pairs.size());
}
BENCHMARK(BM_WildCardMatch);
