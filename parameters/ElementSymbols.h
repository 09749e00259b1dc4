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
