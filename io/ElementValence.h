#pragma once

#include <string>

#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

#include <algorithm>

// The first valence the element table lists for an element, -1 for an element it lacks.
inline int firstValence(const std::string& element) {
  ElementParameters row;
  if (element.empty() || InputParameters::instance()->findElementParameters(element, row) != 1)
    return -1;
  return row.valence;
}

// The largest valence the element table lists for an element, -1 for an element it lacks.
inline int largestValence(const std::string& element) {
  ElementParameters row;
  if (element.empty() || InputParameters::instance()->findElementParameters(element, row) != 1)
    return -1;
  return std::max(row.valence, *std::max_element(row.valences.begin(), row.valences.end()));
}
