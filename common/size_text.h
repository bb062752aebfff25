// Sizes and counts for the status bar and listings: 999, 12.345K, 1.000M ...
#pragma once

#include <cstdint>
#include <string>

namespace tk {

// The value in steps of 1000 with three decimals of the last step and the
// step's letter (K, M, G, T, P, E, ...); below 1000 the plain number.
std::string SizeText(std::uint64_t value);

}  // namespace tk
