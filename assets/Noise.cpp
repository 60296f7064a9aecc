#include "assets/Noise.hpp"

namespace vantor::assets {

namespace {

std::uint32_t mix(std::uint32_t v)
{
    v ^= v >> 16;
    v *= 0x7feb352du;
    v ^= v >> 15;
    v *= 0x846ca68bu;
    v ^= v >> 16;
    return v;
}

int wrap(int v, int period)
{
    const int m = v % period;
    return m < 0 ? m + period : m;
}

double smooth(double t) { return t * t * (3.0 - 2.0 * t); }

} // namespace

std::uint32_t Noise::hash(std::uint32_t seed, std::int32_t x, std::int32_t y, std::int32_t z)
{
    std::uint32_t h = mix(seed ^ 0x9e3779b9u);
    h = mix(h ^ static_cast<std::uint32_t>(x));
    h = mix(h ^ (static_cast<std::uint32_t>(y) * 0x85ebca6bu));
    h = mix(h ^ (static_cast<std::uint32_t>(z) * 0xc2b2ae35u));
    return h;
}

double Noise::unit(std::uint32_t seed, std::int32_t x, std::int32_t y, std::int32_t z)
{
    return static_cast<double>(hash(seed, x, y, z) >> 8) / 16777216.0;
}

double Noise::value(std::uint32_t seed, double x, double y, int cell, int period)
{
    const double fx = x / cell;
    const double fy = y / cell;
    const int ix = fx < 0 ? static_cast<int>(fx) - 1 : static_cast<int>(fx);
    const int iy = fy < 0 ? static_cast<int>(fy) - 1 : static_cast<int>(fy);
    const double tx = smooth(fx - ix);
    const double ty = smooth(fy - iy);
    const int x0 = wrap(ix, period);
    const int y0 = wrap(iy, period);
    const int x1 = wrap(ix + 1, period);
    const int y1 = wrap(iy + 1, period);
    const double a = unit(seed, x0, y0);
    const double b = unit(seed, x1, y0);
    const double c = unit(seed, x0, y1);
    const double d = unit(seed, x1, y1);
    const double top = a + (b - a) * tx;
    const double bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

double Noise::fractal(std::uint32_t seed, double x, double y, int cell, int period, int octaves, double gain)
{
    double sum = 0.0;
    double weight = 1.0;
    double total = 0.0;
    for (int o = 0; o < octaves && cell >= 1; ++o) {
        sum += weight * value(seed + static_cast<std::uint32_t>(o) * 7919u, x, y, cell, period);
        total += weight;
        weight *= gain;
        cell /= 2;
        period *= 2;
    }
    return total > 0.0 ? sum / total : 0.0;
}

} // namespace vantor::assets
