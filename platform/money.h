#pragma once
// Amounts of money are doubles of dollars; every sum the program stores is
// rounded to the cent, so that sums of sums stay exact to the cent.
#include <cmath>

namespace vornel::platform {

inline double Cents(double dollars) { return std::round(dollars * 100.0) / 100.0; }

}  // namespace vornel::platform
