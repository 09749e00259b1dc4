#pragma once

// A genetic search for the twist angles that bring the two ends of a ring-closure path
// together. A chromosome holds one twist angle in degrees for each of the path's first
// ringSize - 2 bonds; its objective is the end-to-end distance the ring closure reports for it,
// less the target. Every chromosome that comes within kSolutionBound of the target is kept.

#include <QObject>

#include <boost/random/linear_congruential.hpp>

#include <map>
#include <vector>

class RingClosure;

class GA : public QObject {
  Q_OBJECT

 public:
  using Chromosome = std::vector<float>;
  using Population = std::vector<Chromosome>;
  // Chromosomes keyed by |objective|, best first; an equal key replaces the one stored.
  using Ranking = std::map<float, Chromosome>;

  static constexpr float kSolutionBound = 1.9f;   // Angstrom
  static constexpr int kGenerations = 20;

  // Without a ring closure both sizes are 0 and runGA does nothing.
  explicit GA(RingClosure* ringClosure);
  ~GA() override;

  // A new population, then up to kGenerations generations while no cancel was asked for; a
  // cancelled run ends cleared, its solutions included.
  void runGA();
  // Appends populationSize random chromosomes to the population.
  void initPopulation();
  void generatePopulationRandomly(Population& into, int count);
  // Ranks the first populationSize chromosomes into generation, and those close enough into
  // solutions; meanObjective is not a number when nothing was evaluated.
  void calculateObjValues();
  // Children of the better half of the generation, topped up with random chromosomes.
  void nextGeneration();
  // Appends the two one-point crossover children, the cut in the middle of the chromosome.
  void doCrossOver(Chromosome parent1, Chromosome parent2, Population& children);
  // Forgets the ring closure, the population and both rankings; the sizes stay.
  void clear();
  void printCurrentGeneration();   // one line of genes per chromosome on standard output
  void printAllSolutions();        // prints nothing

  int populationSize = 0;
  int ringSize = 0;             // path atoms of the ring closure when this object was made
  float target = 0.0f;          // end-to-end distance aimed at, Angstrom
  float meanObjective = 0.0f;   // of the last evaluated generation
  float startDistance = 0.0f;   // |end-to-end distance - target| before the first generation
  bool initialised = false;
  Population population;
  Ranking solutions;                    // kept across generations
  Ranking generation;                   // rebuilt by every evaluation
  RingClosure* ringClosure = nullptr;   // not owned
  // Seeded 1 at construction: a new search always draws the same genes.
  boost::random::minstd_rand engine;
  bool cancelRequested = false;

 signals:
  void tick();

 public slots:
  void canceled();
};
