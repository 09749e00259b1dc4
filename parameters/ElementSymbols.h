#pragma once

#include <string>

// The element symbols of the periodic table, one rule for every reader and writer.

// True when the text is an element symbol in its standard case ("C", "Cl", "Si").
bool isElementSymbol(const std::string& symbol);
// The standard case of an element symbol given in any case ("SI", "si" and "Si" give "Si");
// empty when no element has that symbol.
std::string standardElementSymbol(const std::string& text);
// True when the tables can type the element: an atom-type row named after it whose element is
// this element. A type name is never an element: "CA" is aromatic carbon, not calcium.
bool elementHasAtomType(const std::string& element);
// The formal charges an atom of the element can carry, lowest to highest: a main-group cation
// gives up at most its valence electrons, an anion fills at most its octet (hydrogen its pair),
// and no main-group atom carries more than four either way (carbon -4 to +4, nitrogen -3 to +4,
// oxygen -2 to +4, chlorine -1 to +4, hydrogen -1 to +1); a metal of the d and f blocks carries
// -8 to +8. False for a text that is no element symbol.
bool formalChargeRange(const std::string& element, int& lowest, int& highest);
// Empty when an atom of the element can carry the charge (or the text is no element), else the
// words of the refusal: "charge +9 is beyond what C can carry (-4 to +4)".
std::string impossibleCharge(const std::string& element, int charge);
