#pragma once

#include <string>

#include "parameters/InputParameters.h"
#include "parameters/ParameterRecords.h"

// The first valence the element table lists for an element, -1 for an element it lacks.
inline int firstValence(const std::string& element) {
  ElementParameters row;
  if (element.empty() || InputParameters::instance()->findElementParameters(element, row) != 1)
    return -1;
  return row.valence;
}
