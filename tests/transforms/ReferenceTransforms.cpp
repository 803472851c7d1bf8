#include "ReferenceTransforms.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <utility>

namespace Reference {

namespace {

constexpr double TwoPi = 6.283185307179586;
constexpr double Pi = 3.141592653589793;
constexpr double HalfPi = 1.5707963267948966;
constexpr double HaarK = 0.7071067811865475;
constexpr double C0 = 0.4829629131445341;
constexpr double C1 = 0.8365163037378079;
constexpr double C2 = 0.2241438680420134;
constexpr double C3 = -0.1294095225512604;

void Rotate(double& wr, double& wi, double wpr, double wpi) {
    const double wtemp = wr;
    wr = wr * wpr - wi * wpi + wr;
    wi = wi * wpr + wtemp * wpi + wi;
}

} // namespace

void ComplexFFT(double* data, std::uint32_t nn, int direction) {
    const std::size_t n = 2 * std::size_t{nn};
    std::size_t j = 1;
    for (std::size_t i = 1; i < n; i += 2) {
        if (j > i) {
            std::swap(data[j], data[i]);
            std::swap(data[j + 1], data[i + 1]);
        }
        std::size_t m = n / 2;
        while (m >= 2 && j > m) {
            j -= m;
            m /= 2;
        }
        j += m;
    }
    std::size_t mmax = 2;
    while (n > mmax) {
        const std::size_t istep = 2 * mmax;
        const double theta = (TwoPi / static_cast<double>(mmax)) * direction;
        const double wtemp = std::sin(theta / 2.0);
        const double wpr = -2.0 * wtemp * wtemp;
        const double wpi = std::sin(theta);
        double wr = 1.0;
        double wi = 0.0;
        for (std::size_t m = 1; m < mmax; m += 2) {
            for (std::size_t i = m; i <= n; i += istep) {
                const std::size_t k = i + mmax;
                const double tempr = wr * data[k] - wi * data[k + 1];
                const double tempi = wr * data[k + 1] + wi * data[k];
                data[k] = data[i] - tempr;
                data[k + 1] = data[i + 1] - tempi;
                data[i] = data[i] + tempr;
                data[i + 1] = data[i + 1] + tempi;
            }
            Rotate(wr, wi, wpr, wpi);
        }
        mmax = istep;
    }
}

void RealFFT(double* data, std::uint32_t n, int direction) {
    const bool forward = direction == 1;
    const double c1 = 0.5;
    double c2 = 0.5;
    double theta = Pi / static_cast<double>(n / 2);
    if (forward) {
        c2 = -0.5;
        ComplexFFT(data, n / 2, 1);
    } else {
        theta = -theta;
    }
    const double wtemp = std::sin(theta / 2.0);
    const double wpr = -2.0 * wtemp * wtemp;
    const double wpi = std::sin(theta);
    double wr = 1.0 + wpr;
    double wi = wpi;
    const std::size_t np3 = std::size_t{n} + 3;
    for (std::size_t i = 2; i <= n / 4; ++i) {
        const std::size_t i1 = 2 * i - 1;
        const std::size_t i2 = i1 + 1;
        const std::size_t i3 = np3 - i2;
        const std::size_t i4 = i3 + 1;
        const double h1r = c1 * (data[i1] + data[i3]);
        const double h1i = c1 * (data[i2] - data[i4]);
        const double h2r = -c2 * (data[i2] + data[i4]);
        const double h2i = c2 * (data[i1] - data[i3]);
        data[i1] = h1r + wr * h2r - wi * h2i;
        data[i2] = h1i + wr * h2i + wi * h2r;
        data[i3] = h1r - wr * h2r + wi * h2i;
        data[i4] = -h1i + wr * h2i + wi * h2r;
        Rotate(wr, wi, wpr, wpi);
    }
    const double h1r = data[1];
    if (forward) {
        data[1] = h1r + data[2];
        data[2] = h1r - data[2];
    } else {
        data[1] = c1 * (h1r + data[2]);
        data[2] = c1 * (h1r - data[2]);
        ComplexFFT(data, n / 2, -1);
    }
}

void CosineTransform(double* y, std::uint32_t n, int direction) {
    if (n < 2) {
        return;
    }
    const std::size_t len = n;
    const double theta = HalfPi / static_cast<double>(n);
    double wr1 = std::cos(theta);
    double wi1 = std::sin(theta);
    const double wpr = -2.0 * wi1 * wi1;
    const double wpi = std::sin(2.0 * theta);
    double wr = 1.0;
    double wi = 0.0;
    if (direction == 1) {
        for (std::size_t i = 1; i <= len / 2; ++i) {
            const double a = y[i];
            const double b = y[len - i + 1];
            const double p = 0.5 * (a + b);
            const double q = wi1 * (a - b);
            y[i] = p + q;
            y[len - i + 1] = p - q;
            Rotate(wr1, wi1, wpr, wpi);
        }
        RealFFT(y, n, 1);
        for (std::size_t i = 3; i <= len; i += 2) {
            Rotate(wr, wi, wpr, wpi);
            const double p = y[i] * wr - y[i + 1] * wi;
            const double q = y[i + 1] * wr + y[i] * wi;
            y[i] = p;
            y[i + 1] = q;
        }
        double sum = 0.5 * y[2];
        for (std::size_t i = len; i >= 2; i -= 2) {
            const double old = sum;
            sum = sum + y[i];
            y[i] = old;
        }
        return;
    }
    const double last = y[len];
    for (std::size_t i = len; i >= 4; i -= 2) {
        y[i] = y[i - 2] - y[i];
    }
    y[2] = 2.0 * last;
    for (std::size_t i = 3; i <= len; i += 2) {
        Rotate(wr, wi, wpr, wpi);
        const double p = y[i] * wr + y[i + 1] * wi;
        const double q = y[i + 1] * wr - y[i] * wi;
        y[i] = p;
        y[i + 1] = q;
    }
    RealFFT(y, n, direction);
    for (std::size_t i = 1; i <= len / 2; ++i) {
        const double a = y[i];
        const double b = y[len - i + 1];
        const double p = a + b;
        const double q = (0.5 / wi1) * (a - b);
        y[i] = 0.5 * (p + q);
        y[len - i + 1] = 0.5 * (p - q);
        Rotate(wr1, wi1, wpr, wpi);
    }
    const double scale = 2.0 / static_cast<double>(n);
    for (std::size_t i = 1; i <= len; ++i) {
        y[i] = scale * y[i];
    }
}

void Cosine(std::vector<double>& tile, std::uint32_t n, bool forward) {
    const std::size_t count = std::size_t{n} * n;
    if (count < 2) {
        return;
    }
    std::vector<double> line(count + 1);
    std::copy(tile.begin(), tile.end(), line.begin() + 1);
    CosineTransform(line.data(), static_cast<std::uint32_t>(count), forward ? 1 : -1);
    std::copy(line.begin() + 1, line.end(), tile.begin());
}

namespace {

void CosineRows(std::vector<double>& tile, std::size_t n, int direction) {
    std::vector<double> line(n + 1);
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c) {
            line[c + 1] = tile[r * n + c];
        }
        CosineTransform(line.data(), static_cast<std::uint32_t>(n), direction);
        for (std::size_t c = 0; c < n; ++c) {
            tile[r * n + c] = line[c + 1];
        }
    }
}

void CosineColumns(std::vector<double>& tile, std::size_t n, int direction) {
    std::vector<double> line(n + 1);
    for (std::size_t c = 0; c < n; ++c) {
        for (std::size_t r = 0; r < n; ++r) {
            line[r + 1] = tile[r * n + c];
        }
        CosineTransform(line.data(), static_cast<std::uint32_t>(n), direction);
        for (std::size_t r = 0; r < n; ++r) {
            tile[r * n + c] = line[r + 1];
        }
    }
}

} // namespace

void Cosine2D(std::vector<double>& tile, std::uint32_t n, bool forward) {
    if (n < 2) {
        return;
    }
    if (forward) {
        CosineRows(tile, n, 1);
        CosineColumns(tile, n, 1);
    } else {
        CosineColumns(tile, n, -1);
        CosineRows(tile, n, -1);
    }
}

namespace {

void HaarForwardAll(double* buffer, std::size_t len) {
    std::vector<double> temp(len);
    for (std::size_t level = len; level > 1; level /= 2) {
        const std::size_t h = level / 2;
        for (std::size_t i = 0; i < h; ++i) {
            temp[i] = (buffer[2 * i] + buffer[2 * i + 1]) * HaarK;
            temp[h + i] = (buffer[2 * i] - buffer[2 * i + 1]) * HaarK;
        }
        std::copy(temp.begin(), temp.begin() + static_cast<std::ptrdiff_t>(level), buffer);
    }
}

void HaarInverseAll(double* buffer, std::size_t len) {
    std::vector<double> temp(len);
    for (std::size_t level = 2; level <= len; level *= 2) {
        const std::size_t h = level / 2;
        for (std::size_t i = 0; i < level; i += 2) {
            const std::size_t m = h + i / 2;
            temp[i] = (buffer[i / 2] + buffer[m]) * HaarK;
            temp[i + 1] = (buffer[i / 2] - buffer[m]) * HaarK;
        }
        std::copy(temp.begin(), temp.begin() + static_cast<std::ptrdiff_t>(level), buffer);
    }
}

void HaarAll(double* buffer, std::size_t len, bool forward) {
    if (forward) {
        HaarForwardAll(buffer, len);
    } else {
        HaarInverseAll(buffer, len);
    }
}

} // namespace

void Haar(std::vector<double>& tile, std::uint32_t n, bool forward) {
    HaarAll(tile.data(), std::size_t{n} * n, forward);
}

void Haar2D(std::vector<double>& tile, std::uint32_t n, bool forward) {
    const std::size_t side = n;
    std::vector<double> line(side);
    const auto rows = [&] {
        for (std::size_t r = 0; r < side; ++r) {
            HaarAll(tile.data() + r * side, side, forward);
        }
    };
    const auto columns = [&] {
        for (std::size_t c = 0; c < side; ++c) {
            for (std::size_t r = 0; r < side; ++r) {
                line[r] = tile[r * side + c];
            }
            HaarAll(line.data(), side, forward);
            for (std::size_t r = 0; r < side; ++r) {
                tile[r * side + c] = line[r];
            }
        }
    };
    if (side < 2) {
        return;
    }
    if (forward) {
        rows();
        columns();
    } else {
        columns();
        rows();
    }
}

namespace {

// The 1-based step of a[1 .. L] into w[1 .. L].
void FilterStep(double* a, std::size_t L, bool forward) {
    if (L < 4) {
        return;
    }
    std::vector<double> w(L + 1);
    const std::size_t h = L / 2;
    if (forward) {
        std::size_t i = 1;
        for (std::size_t j = 1; j + 3 <= L; j += 2, ++i) {
            w[i] = C0 * a[j] + C1 * a[j + 1] + C2 * a[j + 2] + C3 * a[j + 3];
            w[h + i] = C3 * a[j] - C2 * a[j + 1] + C1 * a[j + 2] - C0 * a[j + 3];
        }
        w[i] = C0 * a[L - 1] + C1 * a[L] + C2 * a[1] + C3 * a[2];
        w[h + i] = C3 * a[L - 1] - C2 * a[L] + C1 * a[1] - C0 * a[2];
    } else {
        w[1] = C2 * a[h] + C1 * a[L] + C0 * a[1] + C3 * a[h + 1];
        w[2] = C3 * a[h] - C0 * a[L] + C1 * a[1] - C2 * a[h + 1];
        for (std::size_t i = 1; i < h; ++i) {
            const std::size_t j = 2 * i + 1;
            w[j] = C2 * a[i] + C1 * a[i + h] + C0 * a[i + 1] + C3 * a[i + h + 1];
            w[j + 1] = C3 * a[i] - C0 * a[i + h] + C1 * a[i + 1] - C2 * a[i + h + 1];
        }
    }
    std::copy(w.begin() + 1, w.end(), a + 1);
}

} // namespace

void Daubechies4(std::vector<double>& tile, std::uint32_t n, bool forward) {
    const std::size_t length = std::size_t{n} * n;
    std::vector<double> line(length + 1);
    std::copy(tile.begin(), tile.begin() + static_cast<std::ptrdiff_t>(length), line.begin() + 1);
    FilterStep(line.data(), length, forward);
    std::copy(line.begin() + 1, line.end(), tile.begin());
}

void Daubechies4_2D(std::vector<double>& tile, std::uint32_t n, bool forward) {
    const std::size_t side = n;
    if (side < 4) {
        return;
    }
    std::vector<double> line(side + 1);
    const auto rows = [&] {
        for (std::size_t r = 0; r < side; ++r) {
            std::copy(tile.begin() + static_cast<std::ptrdiff_t>(r * side),
                      tile.begin() + static_cast<std::ptrdiff_t>((r + 1) * side), line.begin() + 1);
            FilterStep(line.data(), side, forward);
            std::copy(line.begin() + 1, line.end(),
                      tile.begin() + static_cast<std::ptrdiff_t>(r * side));
        }
    };
    const auto columns = [&] {
        for (std::size_t c = 0; c < side; ++c) {
            for (std::size_t r = 0; r < side; ++r) {
                line[r + 1] = tile[r * side + c];
            }
            FilterStep(line.data(), side, forward);
            for (std::size_t r = 0; r < side; ++r) {
                tile[r * side + c] = line[r + 1];
            }
        }
    };
    if (forward) {
        rows();
        columns();
    } else {
        columns();
        rows();
    }
}

void Threshold(std::vector<double>& data, double x, double& keptPercent) {
    data = ThresholdRule(data).Apply(x, keptPercent);
}

ThresholdRule::ThresholdRule(const std::vector<double>& tile) : tile(tile) {
    const std::size_t count = tile.size();
    std::vector<std::uint64_t> magnitude(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double m = std::fabs(tile[i]);
        magnitude[i] = std::bit_cast<std::uint64_t>(m);
        total = total + m * m;
    }
    rootTotal = std::sqrt(total);
    // Ascending bit patterns: the ascending magnitudes, with NaN above infinity.
    std::sort(magnitude.begin(), magnitude.end());
    ascending.reserve(count);
    partials.reserve(count);
    double partial = 0.0;
    for (const std::uint64_t bits : magnitude) {
        const double m = std::bit_cast<double>(bits);
        partial = partial + m * m;
        ascending.push_back(m);
        partials.push_back(partial);
    }
}

std::vector<double> ThresholdRule::Apply(double x, double& keptPercent) const {
    std::vector<double> data = tile;
    if (total == 0.0) {
        keptPercent = 0.0;
        return data;
    }
    const double cut = Cut(x, keptPercent);
    for (double& v : data) {
        v = std::fabs(v) < cut ? 0.0 : v;
    }
    return data;
}

double ThresholdRule::Cut(double x, double& keptPercent) const {
    const std::size_t count = ascending.size();
    for (std::size_t a = 0; a < count; ++a) {
        if (std::sqrt(partials[a]) / rootTotal >= x) {
            keptPercent = static_cast<double>(count - 1 - a) * 100.0 / static_cast<double>(count);
            return ascending[a];
        }
    }
    return ascending[count - 1];
}

double ThresholdRule::Ratio(std::size_t k) const {
    return std::sqrt(partials.at(k)) / rootTotal;
}

} // namespace Reference
