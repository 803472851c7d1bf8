#pragma once

#include "CosinePlan.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

// CosineFFT's kernels on 0-based arrays of T: T is double for one vector, or a GCC vector of
// doubles holding the same element of several lines, which then are transformed side by side.
// Every value goes through exactly the operations of the written algorithm (see CosineFFT.h),
// and every twiddle factor is the recurrence's own figure: read from the CosinePlan where it
// keeps a table, else stepped here. What differs is only the order of independent steps: the
// bit reversal runs block by block, butterflies run block by block where a block stays in cache
// and two stages at a time elsewhere, each butterfly computing what it always computed.
//
// Complex arrays interleave real and imaginary parts: value c is (d[2c], d[2c + 1]). For one
// vector a complex value travels as one SSE pair (re, im); the product with a twiddle
// (wr, wi) is then (re wr + im (-wi), im wr + re wi), which is wr re - wi im and wr im + wi re
// bit for bit: products commute exactly, and adding a negated product is subtracting it.
//
// A nonzero Fixed is the plan's length known at compile time, so that the loops of short lines
// unroll; the plan must then have that length.
template <class T, std::size_t Fixed = 0>
class CosineKernel {
public:
    using Twiddle = CosinePlan::Twiddle;
    using StageTwiddle = CosinePlan::StageTwiddle;

    // DCT-II of y[0 .. L-1] for a forward plan, its inverse (scaled by 2/L) for an inverse one;
    // L = plan.Length().
    static void Cosine(T* y, const CosinePlan& plan) {
        const std::size_t n = Length(plan);
        if (plan.Direction() == 1) {
            if (plan.Taper().empty()) {
                ForwardTaper(y, n, CosineChain(plan));
            } else {
                ForwardTaper(y, n, plan.Taper().data());
            }
            Real(y, plan);
            if (plan.Rotation().empty()) {
                Rotation(y, n, 1, RotationChain(plan));
            } else {
                Rotation(y, n, 1, Table{plan.Rotation().data()});
            }
            Sum(y, n);
            return;
        }
        const T last = y[n - 1];
        for (std::size_t a = n - 1; a >= 3; a -= 2) {
            y[a] = y[a - 2] - y[a];
        }
        y[1] = 2.0 * last;
        if (plan.Rotation().empty()) {
            Rotation(y, n, -1, RotationChain(plan));
        } else {
            Rotation(y, n, -1, Table{plan.Rotation().data()});
        }
        Real(y, plan);
        if (plan.Taper().empty()) {
            InverseTaper(y, n, InverseTaperChain{CosineChain(plan)});
        } else {
            InverseTaper(y, n, plan.Taper().data());
        }
    }

    // Real FFT of y[0 .. L-1] in the packed layout, forward or (times L/2) inverse.
    static void Real(T* y, const CosinePlan& plan) {
        const std::size_t n = Length(plan);
        const bool forward = plan.Direction() == 1;
        if (forward) {
            Complex(y, n / 2, plan);
        }
        if (plan.Real().empty()) {
            RealSteps(y, n, forward,
                      Chain{{1.0 + plan.RealStep().Real, plan.RealStep().Imag}, plan.RealStep()});
        } else {
            RealSteps(y, n, forward, Table{plan.Real().data()});
        }
        const double c1 = 0.5;
        const T h1r = y[0];
        if (forward) {
            y[0] = h1r + y[1];
            y[1] = h1r - y[1];
        } else {
            y[0] = c1 * (h1r + y[1]);
            y[1] = c1 * (h1r - y[1]);
            Complex(y, n / 2, plan);
        }
    }

    // Complex FFT of count values in the plan's direction; the plan's length is at least
    // 2 count (with a Fixed length, exactly).
    static void Complex(T* d, std::size_t count, const CosinePlan& plan) {
        const std::size_t nn = Fixed != 0 ? Fixed / 2 : count;
        BitReverse(d, nn);
        const StageTwiddle* stages = plan.Stages().data();
        const auto stage = [stages](std::size_t h) { return stages + (h - 1); };
        // Stages up to inCache / 2 run block by block; the first ones, whose blocks are too
        // short for a loop, a group at a time.
        const std::size_t inCache = std::min(nn, Block);
        const std::size_t first = nn >= Group ? Group : 1;
        for (std::size_t b = 0; b < nn; b += inCache) {
            if (first == Group) {
                for (std::size_t g = b; g < b + inCache; g += Group) {
                    FirstStages(d, g, stages);
                }
            }
            std::size_t h = first;
            for (; 4 * h <= inCache; h *= 4) {
                TwoStages(d + 2 * b, inCache, h, stage(h), stage(2 * h));
            }
            if (h < inCache) {
                OneStage(d + 2 * b, inCache, h, stage(h));
            }
        }
        std::size_t h = inCache;
        for (; 4 * h <= nn && 2 * h <= plan.LargestTabledStage(); h *= 4) {
            TwoStages(d, nn, h, stage(h), stage(2 * h));
        }
        for (; h < nn; h *= 2) {
            if (h <= plan.LargestTabledStage()) {
                OneStage(d, nn, h, stage(h));
            } else {
                SteppedStage(d, nn, h, plan.StageStep(h));
            }
        }
    }

private:
    // Complex values per block whose stages run together while it stays in cache.
    static constexpr std::size_t Block = std::size_t{1} << 12;
    // Complex values whose first stages run unrolled, in registers.
    static constexpr std::size_t Group = 8;
    // Twiddles stepped ahead at a time by a stage without a table.
    static constexpr std::size_t Chunk = 256;

    static constexpr bool Paired = std::is_same_v<T, double>;
    typedef double Pair __attribute__((vector_size(16)));
    struct Split {
        T Re;
        T Im;
    };
    // One complex value of the array.
    using Value = std::conditional_t<Paired, Pair, Split>;

    static Value Load(const T* d, std::size_t c) {
        if constexpr (Paired) {
            Pair v;
            std::memcpy(&v, d + 2 * c, sizeof v);
            return v;
        } else {
            return {d[2 * c], d[2 * c + 1]};
        }
    }

    static void Store(T* d, std::size_t c, const Value& v) {
        if constexpr (Paired) {
            std::memcpy(d + 2 * c, &v, sizeof v);
        } else {
            d[2 * c] = v.Re;
            d[2 * c + 1] = v.Im;
        }
    }

    // x times w: (wr re - wi im, wr im + wi re).
    static Value Times(const Value& x, const StageTwiddle& w) {
        if constexpr (Paired) {
            Pair real;
            Pair imag;
            std::memcpy(&real, &w.Real, sizeof real);
            std::memcpy(&imag, &w.NegatedImag, sizeof imag);
            return x * real + __builtin_shufflevector(x, x, 1, 0) * imag;
        } else {
            return {w.Real * x.Re - w.Imag * x.Im, w.Real * x.Im + w.Imag * x.Re};
        }
    }

    static Value Times(const Value& x, Twiddle w) {
        if constexpr (Paired) {
            const Pair real{w.Real, w.Real};
            const Pair imag{-w.Imag, w.Imag};
            return x * real + __builtin_shufflevector(x, x, 1, 0) * imag;
        } else {
            return {w.Real * x.Re - w.Imag * x.Im, w.Real * x.Im + w.Imag * x.Re};
        }
    }

    static Value Plus(const Value& a, const Value& b) {
        if constexpr (Paired) {
            return a + b;
        } else {
            return {a.Re + b.Re, a.Im + b.Im};
        }
    }

    static Value Minus(const Value& a, const Value& b) {
        if constexpr (Paired) {
            return a - b;
        } else {
            return {a.Re - b.Re, a.Im - b.Im};
        }
    }

    // The butterfly: temp = w x[k]; x[k] = x[i] - temp; x[i] = x[i] + temp.
    static void Butterfly(Value& i, Value& k, const StageTwiddle& w) {
        const Value temp = Times(k, w);
        k = Minus(i, temp);
        i = Plus(i, temp);
    }

    static std::size_t Length(const CosinePlan& plan) { return Fixed != 0 ? Fixed : plan.Length(); }

    struct Table {
        const Twiddle* Next;
        Twiddle operator()() { return *Next++; }
    };

    // Hands out the recurrence's figures one by one, stepping after each.
    struct Chain {
        Twiddle W;
        Twiddle Step;
        Twiddle operator()() {
            const Twiddle current = W;
            CosinePlan::Rotate(W, Step);
            return current;
        }
    };

    static Chain CosineChain(const CosinePlan& plan) {
        return {plan.CosineStart(), plan.CosineStep()};
    }

    // The rotation sequence starts one step past (1, 0).
    static Chain RotationChain(const CosinePlan& plan) {
        Chain chain{{1.0, 0.0}, plan.CosineStep()};
        chain();
        return chain;
    }

    // wi1 of the taper, for the forward loop, from a table or the chain.
    static double TaperFactor(const double*& table) { return *table++; }
    static double TaperFactor(Chain& chain) { return chain().Imag; }

    struct InverseTaperChain {
        Chain Cosine;
    };
    static double InverseFactor(const double*& table) { return *table++; }
    static double InverseFactor(InverseTaperChain& chain) { return 0.5 / chain.Cosine().Imag; }

    template <class Source>
    static void ForwardTaper(T* y, std::size_t n, Source source) {
        for (std::size_t s = 0; s < n / 2; ++s) {
            const double wi1 = TaperFactor(source);
            const T a = y[s];
            const T b = y[n - 1 - s];
            const T p = 0.5 * (a + b);
            const T q = wi1 * (a - b);
            y[s] = p + q;
            y[n - 1 - s] = p - q;
        }
    }

    // The inverse taper followed by the final 2/n scaling of each value.
    template <class Source>
    static void InverseTaper(T* y, std::size_t n, Source source) {
        const double scale = 2.0 / static_cast<double>(n);
        for (std::size_t s = 0; s < n / 2; ++s) {
            const double factor = InverseFactor(source);
            const T a = y[s];
            const T b = y[n - 1 - s];
            const T p = a + b;
            const T q = factor * (a - b);
            y[s] = scale * (0.5 * (p + q));
            y[n - 1 - s] = scale * (0.5 * (p - q));
        }
    }

    // Values 2s and 2s + 1 taken as a complex number times the s-th rotation, s = 1 .. n/2 - 1:
    // forward (p, q) = (y wr - y' wi, y' wr + y wi), the inverse with the conjugate,
    // (y wr + y' wi, y' wr - y wi), which is the product with (wr, -wi).
    template <class Source>
    static void Rotation(T* y, std::size_t n, int direction, Source source) {
        const double sign = direction == 1 ? 1.0 : -1.0;
        for (std::size_t s = 1; s < n / 2; ++s) {
            const Twiddle w = source();
            Store(y, s, Times(Load(y, s), Twiddle{w.Real, sign * w.Imag}));
        }
    }

    // The running sum over the odd elements, from the last down.
    static void Sum(T* y, std::size_t n) {
        T sum = 0.5 * y[1];
        for (std::size_t a = n - 1;; a -= 2) {
            const T old = sum;
            sum = sum + y[a];
            y[a] = old;
            if (a == 1) {
                break;
            }
        }
    }

    template <class Source>
    static void RealSteps(T* y, std::size_t n, bool forward, Source source) {
        const double c1 = 0.5;
        const double c2 = forward ? -0.5 : 0.5;
        for (std::size_t t = 1; t < n / 4; ++t) {
            const Twiddle w = source();
            const std::size_t i1 = 2 * t;
            const std::size_t i3 = n - 2 * t;
            const T h1r = c1 * (y[i1] + y[i3]);
            const T h1i = c1 * (y[i1 + 1] - y[i3 + 1]);
            const T h2r = -c2 * (y[i1 + 1] + y[i3 + 1]);
            const T h2i = c2 * (y[i1] - y[i3]);
            y[i1] = h1r + w.Real * h2r - w.Imag * h2i;
            y[i1 + 1] = h1i + w.Real * h2i + w.Imag * h2r;
            y[i3] = h1r - w.Real * h2r + w.Imag * h2i;
            y[i3 + 1] = -h1i + w.Real * h2i + w.Imag * h2r;
        }
    }

    // Stages 1, 2 and 4 on the Group = 8 complex values from g on, held in registers.
    static void FirstStages(T* d, std::size_t g, const StageTwiddle* stages) {
        static_assert(Group == 8);
        Value v0 = Load(d, g);
        Value v1 = Load(d, g + 1);
        Value v2 = Load(d, g + 2);
        Value v3 = Load(d, g + 3);
        Value v4 = Load(d, g + 4);
        Value v5 = Load(d, g + 5);
        Value v6 = Load(d, g + 6);
        Value v7 = Load(d, g + 7);
        const StageTwiddle* w1 = stages;
        Butterfly(v0, v1, w1[0]);
        Butterfly(v2, v3, w1[0]);
        Butterfly(v4, v5, w1[0]);
        Butterfly(v6, v7, w1[0]);
        const StageTwiddle* w2 = stages + 1;
        Butterfly(v0, v2, w2[0]);
        Butterfly(v1, v3, w2[1]);
        Butterfly(v4, v6, w2[0]);
        Butterfly(v5, v7, w2[1]);
        const StageTwiddle* w4 = stages + 3;
        Butterfly(v0, v4, w4[0]);
        Butterfly(v1, v5, w4[1]);
        Butterfly(v2, v6, w4[2]);
        Butterfly(v3, v7, w4[3]);
        Store(d, g, v0);
        Store(d, g + 1, v1);
        Store(d, g + 2, v2);
        Store(d, g + 3, v3);
        Store(d, g + 4, v4);
        Store(d, g + 5, v5);
        Store(d, g + 6, v6);
        Store(d, g + 7, v7);
    }

    // One stage over count values: pairs h apart within each block of 2h.
    static void OneStage(T* d, std::size_t count, std::size_t h, const StageTwiddle* w) {
        for (std::size_t b = 0; b < count; b += 2 * h) {
            for (std::size_t m = 0; m < h; ++m) {
                Value i = Load(d, b + m);
                Value k = Load(d, b + m + h);
                Butterfly(i, k, w[m]);
                Store(d, b + m, i);
                Store(d, b + m + h, k);
            }
        }
    }

    // Stages h and 2h in one pass: the four values m, m + h, m + 2h, m + 3h of a block of 4h
    // meet only each other in these two stages.
    static void TwoStages(T* d, std::size_t count, std::size_t h, const StageTwiddle* w,
                          const StageTwiddle* w2) {
        for (std::size_t b = 0; b < count; b += 4 * h) {
            for (std::size_t m = 0; m < h; ++m) {
                Value v0 = Load(d, b + m);
                Value v1 = Load(d, b + m + h);
                Value v2 = Load(d, b + m + 2 * h);
                Value v3 = Load(d, b + m + 3 * h);
                Butterfly(v0, v1, w[m]);
                Butterfly(v2, v3, w[m]);
                Butterfly(v0, v2, w2[m]);
                Butterfly(v1, v3, w2[m + h]);
                Store(d, b + m, v0);
                Store(d, b + m + h, v1);
                Store(d, b + m + 2 * h, v2);
                Store(d, b + m + 3 * h, v3);
            }
        }
    }

    // A stage beyond the tables: the recurrence runs once, a chunk at a time, and each chunk
    // serves every block before the next is stepped.
    static void SteppedStage(T* d, std::size_t count, std::size_t h, Twiddle step) {
        std::array<StageTwiddle, Chunk> chunk;
        Chain chain{{1.0, 0.0}, step};
        for (std::size_t m0 = 0; m0 < h; m0 += Chunk) {
            const std::size_t size = std::min(Chunk, h - m0);
            for (std::size_t j = 0; j < size; ++j) {
                chunk[j] = CosinePlan::Expanded(chain());
            }
            for (std::size_t b = 0; b < count; b += 2 * h) {
                for (std::size_t j = 0; j < size; ++j) {
                    Value i = Load(d, b + m0 + j);
                    Value k = Load(d, b + m0 + j + h);
                    Butterfly(i, k, chunk[j]);
                    Store(d, b + m0 + j, i);
                    Store(d, b + m0 + j + h, k);
                }
            }
        }
    }

    // The bit-reversal permutation of nn complex values.
    static void BitReverse(T* d, std::size_t nn) {
        if constexpr (Fixed != 0) {
            // Unrolled by the compiler into the few swaps of a short line.
            std::size_t j = 0;
            for (std::size_t i = 0; i < nn; ++i) {
                if (j > i) {
                    const Value vi = Load(d, i);
                    Store(d, i, Load(d, j));
                    Store(d, j, vi);
                }
                std::size_t m = nn / 2;
                while (m >= 1 && j >= m) {
                    j -= m;
                    m /= 2;
                }
                j += m;
            }
        } else {
            BlockBitReverse(d, nn);
        }
    }

    // Index i = (a, b, c) with a and c of q bits each and b of the bits between goes to
    // (rev c, rev b, rev a). So block b, the Q x Q values with that middle part, moves as a
    // whole to block rev b, transposed with both its indices reversed: each pair of blocks is
    // read into a buffer in runs of Q values and written back in runs of Q values.
    static void BlockBitReverse(T* d, std::size_t nn) {
        if (nn < 4) {
            return;
        }
        constexpr int MaxQuarterBits = 5;
        const int bits = std::countr_zero(nn);
        const int q = std::min(bits / 2, MaxQuarterBits);
        const std::size_t Q = std::size_t{1} << q;
        const int middleBits = bits - 2 * q;
        const int highShift = bits - q;
        std::array<std::size_t, std::size_t{1} << MaxQuarterBits> reversed{};
        for (std::size_t i = 0; i < Q; ++i) {
            reversed[i] = Reverse(i, q);
        }
        constexpr std::size_t MaxBlock = std::size_t{1} << (2 * MaxQuarterBits);
        std::array<Value, MaxBlock> low;
        std::array<Value, MaxBlock> high;
        const auto read = [&](std::array<Value, MaxBlock>& buffer, std::size_t middle) {
            for (std::size_t a = 0; a < Q; ++a) {
                const std::size_t base = (a << highShift) | (middle << q);
                for (std::size_t c = 0; c < Q; ++c) {
                    buffer[a * Q + c] = Load(d, base + c);
                }
            }
        };
        const auto write = [&](const std::array<Value, MaxBlock>& buffer, std::size_t middle) {
            for (std::size_t a = 0; a < Q; ++a) {
                const std::size_t base = (a << highShift) | (middle << q);
                const std::size_t column = reversed[a];
                for (std::size_t c = 0; c < Q; ++c) {
                    Store(d, base + c, buffer[reversed[c] * Q + column]);
                }
            }
        };
        const std::size_t middles = std::size_t{1} << middleBits;
        for (std::size_t b = 0; b < middles; ++b) {
            const std::size_t rb = Reverse(b, middleBits);
            if (rb < b) {
                continue;
            }
            read(low, b);
            if (rb != b) {
                read(high, rb);
                write(high, b);
            }
            write(low, rb);
        }
    }

    // The lowest bits of value, reversed.
    static std::size_t Reverse(std::size_t value, int bits) {
        std::size_t result = 0;
        for (int i = 0; i < bits; ++i) {
            result = (result << 1) | ((value >> i) & 1);
        }
        return result;
    }
};
