#pragma once

// Whether two lists of numbers hold the same bits: the test of the energy's kept terms, which
// are made again when any list they were made from differs (a NaN equals itself here, and 0
// differs from -0, as the terms made from them would).

#include <cstring>
#include <type_traits>
#include <vector>

template <class T>
bool sameNumbers(const std::vector<T>& a, const std::vector<T>& b) {
  static_assert(std::is_arithmetic<T>::value, "a list of numbers");
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}
