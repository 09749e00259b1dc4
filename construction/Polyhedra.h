#pragma once

// The ideal shapes of five- and six-connected centres (PCl5 and PF5, Fe(CO)5, SF6 and Cr(CO)6),
// which the tetrahedral and trigonal steps of the construction cannot lay out: a trigonal
// bipyramid and an octahedron, turned onto the neighbours already placed.

#include <vector>

#include "construction/GeometrySupport.h"

namespace geometry {

// The unit directions of the ideal polyhedron of a centre with `degree` neighbours (5: trigonal
// bipyramid, axial first; 6: octahedron); empty for any other degree.
std::vector<Vec3> polyhedronVertices(int degree);

// The directions left free for the centre's unplaced neighbours once its polyhedron is turned to
// fit the directions of the placed ones (unit vectors, at least one, fewer than `degree`): the
// polyhedron's vertices, turned so that the placed neighbours lie as near as may be on vertices
// of their own, without the vertices they take. Empty when the degree has no polyhedron or a
// placed direction has no length.
std::vector<Vec3> freePolyhedronDirections(int degree, const std::vector<Vec3>& placed);

}  // namespace geometry
