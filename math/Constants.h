#pragma once

// Pi as the whole system uses it: in single precision, and that same value widened to double
// where double arithmetic must agree with results computed in float.
constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 2.0f * kPi;
constexpr double kPiWidened = static_cast<double>(kPi);   // 3.1415927410125732
// Pi to full double precision, for code that works wholly in double and agrees with no float.
constexpr double kPiDouble = 3.14159265358979323846;

// Bohr radius in Angstrom, as the tables' Bohr figures (radii, bond axes) are converted.
constexpr double kBohrToAngstrom = 0.529;

// Force-field energies are in kcal/mol, molecule energies in electron volts.
constexpr double kKcalPerMolPerElectronVolt = 23.060548;
