#include "framework/Geometry.h"

#include <cmath>
#include <cstdlib>

int MulDiv(int x, int y, int z) {
    if (z == 0) return -1;
    long long num = static_cast<long long>(x) * y;
    long long q = num / z, r = num % z;
    // Round half away from zero.
    if (2 * std::llabs(r) >= std::llabs(static_cast<long long>(z)))
        q += ((num < 0) != (z < 0)) ? -1 : 1;
    return static_cast<int>(q);
}

int RoundEven(double v) {
    double r = std::round(v);  // halves away from zero
    if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
    return static_cast<int>(r);
}
