// The genetic twist search: random twist angles, ranking by the end-to-end distance, one-point
// crossover of the better half, and a random top-up as the only source of new genes.

#include "assembly/GA.h"

#include <boost/random/uniform_int_distribution.hpp>
#include <boost/random/uniform_real_distribution.hpp>
#include <boost/random/variate_generator.hpp>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <iostream>
#include <limits>

#include "assembly/RingClosure.h"
#include "math/UtilityEngine.h"

namespace {

const int kPopulationSize = 1000;
// Seed of the mate generator before the clock re-seeds it.
const unsigned kMateSeed = 42;

}  // namespace

GA::GA(RingClosure* closure) : QObject(nullptr), engine(1) {
  if (closure == nullptr) return;
  populationSize = kPopulationSize;
  ringClosure = closure;
  ringSize = closure->pathLength;
}

GA::~GA() = default;

void GA::generatePopulationRandomly(Population& into, int count) {
  std::cout << std::fixed;
  // The generator holds the engine by reference, so every call continues the one stream.
  boost::variate_generator<boost::random::minstd_rand&,
                           boost::random::uniform_real_distribution<double>>
      gene(engine, boost::random::uniform_real_distribution<double>(0.0, 360.0));
  const int genes = ringSize - 2;
  for (int i = 0; i < count; ++i) {
    Chromosome chromosome;
    for (int g = 0; g < genes; ++g) chromosome.push_back(static_cast<float>(gene()));
    into.push_back(chromosome);
  }
}

void GA::initPopulation() {
  generatePopulationRandomly(population, populationSize);
  initialised = true;
}

void GA::calculateObjValues() {
  generation.clear();
  if (!initialised) {
    meanObjective = std::numeric_limits<float>::quiet_NaN();
    return;
  }
  float sum = 0.0f;
  int count = 0;
  const size_t evaluated = std::min(population.size(), static_cast<size_t>(populationSize));
  for (size_t i = 0; i < evaluated; ++i) {
    float distance = 0.0f;
    if (ringClosure == nullptr || !ringClosure->twistRingNodes(population[i], distance)) {
      printError("Error GA::calculateObjValues");
      continue;
    }
    const float objective = distance - target;
    sum += objective;
    ++count;
    const float key = std::fabs(objective);
    if (key <= kSolutionBound) solutions[key] = population[i];
    generation[key] = population[i];
  }
  meanObjective =
      count > 0 ? sum / static_cast<float>(count) : std::numeric_limits<float>::quiet_NaN();
}

void GA::nextGeneration() {
  const size_t parentCount =
      std::min(generation.size(), static_cast<size_t>(static_cast<float>(populationSize) * 0.5f));
  Population parents;
  for (const auto& entry : generation) {
    if (parents.size() == parentCount) break;
    parents.push_back(entry.second);
  }
  Population children;
  // Without parents no mate is drawn: the range of the mate distribution would be empty.
  if (!parents.empty()) {
    boost::random::minstd_rand mateEngine(kMateSeed);
    mateEngine.seed(static_cast<unsigned>(std::time(nullptr)));
    boost::variate_generator<boost::random::minstd_rand&,
                             boost::random::uniform_int_distribution<int>>
        mate(mateEngine,
             boost::random::uniform_int_distribution<int>(0, static_cast<int>(parents.size()) - 1));
    for (size_t j = 0; j < parents.size(); j += 2) {
      const int first = mate();
      const int second = mate();
      doCrossOver(parents[static_cast<size_t>(first)], parents[static_cast<size_t>(second)],
                  children);
    }
  }
  population.swap(children);
  const int missing = populationSize - static_cast<int>(population.size());
  if (missing > 0) generatePopulationRandomly(population, missing);
}

void GA::doCrossOver(Chromosome parent1, Chromosome parent2, Population& children) {
  const size_t cut = static_cast<size_t>(std::max(0, (ringSize - 2) / 2));
  auto splice = [cut](const Chromosome& head, const Chromosome& tail) {
    Chromosome child(head.begin(), head.begin() + static_cast<long>(std::min(cut, head.size())));
    if (cut < tail.size())
      child.insert(child.end(), tail.begin() + static_cast<long>(cut), tail.end());
    return child;
  };
  children.push_back(splice(parent1, parent2));
  children.push_back(splice(parent2, parent1));
}

void GA::runGA() {
  if (ringClosure == nullptr) return;
  initPopulation();
  startDistance = std::fabs(ringClosure->getDistanceLF() - target);
  for (int g = 0; g < kGenerations; ++g) {
    if (cancelRequested) {
      clear();
      return;
    }
    calculateObjValues();
    nextGeneration();
    emit tick();
  }
}

void GA::clear() {
  ringClosure = nullptr;
  initialised = false;
  population.clear();
  target = 0.0f;
  meanObjective = 0.0f;
  startDistance = 0.0f;
  solutions.clear();
  generation.clear();
}

void GA::printCurrentGeneration() {
  for (const Chromosome& chromosome : population) {
    for (float gene : chromosome) std::cout << "  " << gene << "  ";
    std::cout << "\n";
  }
}

void GA::printAllSolutions() {}

void GA::canceled() { cancelRequested = true; }
