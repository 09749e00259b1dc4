#pragma once

// Bond lengths from covalent radii, for pairs of elements the bond table has no row for: the
// sum of the two atoms' radii for the bond's order (single, double, triple; an aromatic bond
// halfway between single and double).

#include <string>

// The covalent radius (Angstrom) of an element for a bond order; 0 for an unknown element.
double covalentRadius(const std::string& element, int order);
// The length (Angstrom) of a bond of the given order between two elements from their radii;
// 0 when either element has no radius.
double radiusBondLength(const std::string& element1, const std::string& element2, int order);
