#include "landform/ExactLog.h"

#include <cmath>
#include <limits>

namespace {

constexpr double ln2 = 0.6931471805599453;
// ln 2 in two parts, the first with trailing zero bits so that k times it is
// exact (Cody and Waite).
constexpr double ln2High = 6.93147180369123816490e-01;
constexpr double ln2Low = 1.90821492927058770002e-10;
constexpr double sqrtHalf = 0.7071067811865476;

}  // namespace

double ExactLog(double x) {
    if (!(x > 0) || !std::isfinite(x))
        return std::numeric_limits<double>::quiet_NaN();
    int e = 0;
    double m = std::frexp(x, &e);  // x = m 2^e, m in [1/2, 1)
    if (m < sqrtHalf) {
        m *= 2;
        --e;
    }
    // log m = 2 atanh z, z = (m - 1) / (m + 1), |z| < 0.172: eleven odd
    // terms leave less than 1e-18.
    const double z = (m - 1) / (m + 1);
    const double z2 = z * z;
    double term = z, sum = 0;
    for (int k = 0; k < 11; ++k) {
        sum += term / double(2 * k + 1);
        term *= z2;
    }
    return 2 * sum + double(e) * ln2;
}

double ExactExp(double y) {
    if (std::isnan(y))
        return y;
    if (y > 710)
        return std::numeric_limits<double>::infinity();
    if (y < -745)
        return 0;
    // y = k ln2 + r with |r| <= ln2 / 2; the Taylor series of exp r, whose
    // 19th term is below 1e-19.
    const double k = std::floor(y / ln2 + 0.5);
    const double r = (y - k * ln2High) - k * ln2Low;
    double term = 1, sum = 1;
    for (int n = 1; n < 20; ++n) {
        term = term * r / double(n);
        sum += term;
    }
    return std::ldexp(sum, int(k));
}
