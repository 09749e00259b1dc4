#ifndef KV_TESTS_PARAMETERS_LOOKUPTESTTABLES_H
#define KV_TESTS_PARAMETERS_LOOKUPTESTTABLES_H

// Small tables for the lookup tests: a handful of atom types with their base types, super types
// and elements, so that every fallback pass has a row to find.
namespace lookup_tables {

const char* const kAtomTypes =
    "//TYPE BTYPE STYPE ELEMENT MASS Radius vdwsig vdwr Negativity Hardness PI\n"
    "H    H    H    H  1.008  0.6  -0.02 1.5 2.2  6.4 0\n"
    "CH3  CH3  CSP3 C  12.011 0.86 -0.08 2.06 2.55 2.27 0\n"
    "CH2  CH3  CSP3 C  12.011 0.86 -0.08 2.06 2.55 2.27 0\n"
    "CE   CE   CSP2 C  12.011 0.86 -0.08 2.06 2.55 2.27 1\n"
    "CPAM CCA  CSP2 C  12.011 0.86 -0.08 2.06 2.55 2.27 1\n"
    "NPAM NPAM NSP3 N  14.007 0.8  -0.08 2.0 3.04 7.3 0\n"
    "OPAM OPAM OSP2 O  15.999 0.8  -0.08 2.0 3.44 6.1 1\n"
    "OH   OH   OSP3 O  15.999 0.8  -0.08 2.0 3.44 6.1 0\n"
    "OE   OE   OSP3 O  15.999 0.8  -0.08 2.0 3.44 6.1 0\n"
    "CL   CL   CL   Cl 35.453 1.2  -0.2 2.2 3.16 4.7 0\n"
    "P0   P0   P0   P  30.974 1.2  -0.2 2.2 2.19 4.9 0\n";

const char* const kBonds =
    "#EXACT#\n"
    "H    CH3  1  1.64920 1.10974 4.16395 0.37\n"
    "CH3  OH   1  1.90    1.43    3.70   -0.70\n"
    "CSP3 OSP3 1  1.95    1.44    3.60    0.50\n"   // exact section: the fallback still flags it
    "P0   C*   1  2.10    1.85    3.00    0.00\n"
    "#APPROXIMATED#\n"
    "C    CL   1  2.00    1.77    3.40    1.50\n"
    "CSP2 CSP2 2  1.50    1.34    6.30    0.00\n"
    "H    OH   1  1.20    0.00    4.80    1.00\n";   // no distance: no charge

const char* const kAngles =
    "H    CH3  H    109.5\n"
    "H    CE   C    121.0\n"
    "OACD CCA  C*   109.65\n"
    "*    CH3  *    109.6\n"
    "*    ZZ   *    100.0\n"
    "*    OE   *    111.0\n";

const char* const kDihedrals =
    "AXIS CSP3 CSP3   1  3  0.0    0.1750\n"
    "CL   H           1  1  0.0    0.7000\n"
    "AXIS CSP2 NSP3   1  2  180.0  4.2000\n"
    "O    H           1  1  0.0    1.5000\n"
    "AXIS *    *      1  3  0.0    0.1750\n"
    "AXIS *    *      2  2  180.0  5.2000\n";

}  // namespace lookup_tables

#endif
