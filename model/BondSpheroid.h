#pragma once

// The spheroid drawn for a bond, built in one place for the set-up chain and the own-file
// reader.

#include "math/SSEVector4f.h"

class Bond;
class Spheroid;

// Sets the bond's orientation (0, yaw, pitch, 1) from the direction p1 -> p2, whose components
// below 0.001 count as 0 (SSEVector4f::clamp), and returns a new spheroid of eccentricity e,
// minor semi-axis b and major semi-axis a, with its foci c either side of its centre, its long
// axis turned onto the bond and its centre on the bond's midpoint. The spheroid is owned by the
// bond (owner set) but not yet stored in it; kind, rings and segments are the caller's.
Spheroid* buildBondSpheroid(Bond* bond, const SSEVector4f& p1, const SSEVector4f& p2, double a,
                            double b, double c, float e);
