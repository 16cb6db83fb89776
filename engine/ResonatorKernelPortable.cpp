// The resonator kernel for every processor: GCC's generic vector types of 128 bits, four frames
// per vector, the twelve strings in three vectors of four. The compiler maps them onto the
// machine's own vectors (Advanced SIMD on ARM64, SSE2 on x86-64), so one source serves every
// architecture and runs, and is tested, on the build machine too.
//
// Where instruction sets disagree, the operations here spell out the answer the body relies on:
// minimum and maximum are the comparison and the choice (the second operand when either is NaN,
// as on x86), truncation is exact for every double (values from 2^52 up are whole already; NaN
// stays NaN), and a float-to-integer conversion only ever sees values that fit.
#include <cstdint>
#include <cstring>

namespace resonator
{
namespace
{

using F4 = float __attribute__((vector_size(16)));
using F2 = float __attribute__((vector_size(8)));
using D2 = double __attribute__((vector_size(16)));
using I4 = int32_t __attribute__((vector_size(16)));
using I2 = int32_t __attribute__((vector_size(8)));
using L2 = int64_t __attribute__((vector_size(16)));

struct Portable
{
    static constexpr int kWidth = 4;
    static constexpr bool kInterleaved = false; // see processGroups
    using F = F4;
    using D = D2;
    struct Strings
    {
        F4 part[3]; // strings 0-3, 4-7, 8-11
    };

    static F load(const float* p)
    {
        F v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(float* p, F v) { std::memcpy(p, &v, sizeof v); }
    static F splat(float v) { return F{v, v, v, v}; }
    static D splatD(double v) { return D{v, v}; }
    static F alternating(float v) { return F{v, -v, v, -v}; }

    static void assign(Strings& to, const Strings& from)
    {
#pragma GCC unroll 8
        for (int q = 0; q < 3; ++q)
            to.part[q] = from.part[q];
    }
    static Strings loadStrings(const float* p)
    {
        return {{load(p), load(p + 4), load(p + 8)}};
    }
    static void storeStrings(float* p, const Strings& s)
    {
#pragma GCC unroll 8
        for (int q = 0; q < 3; ++q)
            store(p + 4 * q, s.part[q]);
    }

    // W frames in double precision, for the mix.
    struct Wide
    {
        D2 lo;
        D2 hi;
    };
    static Wide splatWide(double v)
    {
        return {splatD(v), splatD(v)};
    }
    static Wide widen(F v)
    {
        return {low(v), high(v)};
    }
    static F narrow(Wide v)
    {
        return pack(v.lo, v.hi);
    }

    static D low(F v)
    {
        return __builtin_convertvector(__builtin_shufflevector(v, v, 0, 1), D2);
    }
    static D high(F v)
    {
        return __builtin_convertvector(__builtin_shufflevector(v, v, 2, 3), D2);
    }
    static F pack(D lo, D hi)
    {
        return __builtin_shufflevector(__builtin_convertvector(lo, F2),
                                       __builtin_convertvector(hi, F2), 0, 1, 2, 3);
    }

    // Masks are all-ones or all-zeros lanes, kept in the value types as the body expects.
    static F notBelowMagnitude(F v, F limit)
    {
        const F magnitude = reinterpret_cast<F>(reinterpret_cast<I4>(v) & 0x7FFFFFFF);
        return reinterpret_cast<F>(~(magnitude < limit)); // NaN is not below: it counts
    }
    static F either(F a, F b)
    {
        return reinterpret_cast<F>(reinterpret_cast<I4>(a) | reinterpret_cast<I4>(b));
    }
    static bool any(F mask)
    {
        const I4 m = reinterpret_cast<I4>(mask);
        return (m[0] | m[1] | m[2] | m[3]) != 0;
    }

    // A 4x4 transpose of rows r, its own inverse.
    static void transpose4(F4 r0, F4 r1, F4 r2, F4 r3, F4& o0, F4& o1, F4& o2, F4& o3)
    {
        const F4 t0 = __builtin_shufflevector(r0, r1, 0, 4, 1, 5);
        const F4 t1 = __builtin_shufflevector(r0, r1, 2, 6, 3, 7);
        const F4 t2 = __builtin_shufflevector(r2, r3, 0, 4, 1, 5);
        const F4 t3 = __builtin_shufflevector(r2, r3, 2, 6, 3, 7);
        o0 = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
        o1 = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
        o2 = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
        o3 = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
    }
    // string-major (one vector of four frames per string) <-> frame-major (per frame, three
    // vectors of four strings).
    static void toFrames(const F (&s)[12], Strings (&f)[kWidth])
    {
#pragma GCC unroll 8
        for (int q = 0; q < 3; ++q)
            transpose4(s[4 * q], s[4 * q + 1], s[4 * q + 2], s[4 * q + 3], f[0].part[q],
                       f[1].part[q], f[2].part[q], f[3].part[q]);
    }
    static void toStrings(const Strings (&f)[kWidth], F (&s)[12])
    {
#pragma GCC unroll 8
        for (int q = 0; q < 3; ++q)
            transpose4(f[0].part[q], f[1].part[q], f[2].part[q], f[3].part[q], s[4 * q],
                       s[4 * q + 1], s[4 * q + 2], s[4 * q + 3]);
    }

    // Double lanes for the string delays.
    static D loadD(const double* p)
    {
        D v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }
    static D equal(D a, D b)
    {
        return reinterpret_cast<D>(a == b);
    }
    static D less(D a, D b)
    {
        return reinterpret_cast<D>(a < b);
    }
    static D both(D a, D b)
    {
        return reinterpret_cast<D>(reinterpret_cast<L2>(a) & reinterpret_cast<L2>(b));
    }
    static D select(D mask, D a, D b)
    {
        const L2 m = reinterpret_cast<L2>(mask);
        return reinterpret_cast<D>((m & reinterpret_cast<L2>(a)) | (~m & reinterpret_cast<L2>(b)));
    }
    static bool allSame(const int32_t* p)
    {
        I4 v;
        std::memcpy(&v, p, sizeof v);
        const I4 same = v == I4{p[0], p[0], p[0], p[0]};
        return (same[0] & same[1] & same[2] & same[3]) != 0;
    }
    static void fillInts(int32_t* p, int32_t v)
    {
        const I4 all{v, v, v, v};
        std::memcpy(p, &all, sizeof all);
    }
    // Toward zero. Only magnitudes below 2^52 go through the integer conversion (the others are
    // whole, infinite or NaN and stay as they are), so it never sees a value it cannot hold.
    static D truncated(D v)
    {
        const D magnitude = reinterpret_cast<D>(reinterpret_cast<L2>(v) & 0x7FFFFFFFFFFFFFFF);
        const D fraction = less(magnitude, splatD(0x1p52));
        const D fits = both(fraction, v);
        return select(fraction, __builtin_convertvector(__builtin_convertvector(fits, L2), D2), v);
    }
    // The second operand unless the first compares smaller (larger): NaN gives the second.
    static D smaller(D a, D b)
    {
        return select(less(a, b), a, b);
    }
    static D larger(D a, D b)
    {
        return select(less(b, a), a, b);
    }
    static double lowest(D v)
    {
        return v[0] < v[1] ? v[0] : v[1];
    }
    static double highest(D v)
    {
        return v[0] > v[1] ? v[0] : v[1];
    }
    // Whole numbers that fit an int32 (delays, or -1).
    static void storeWhole(int32_t* p, D v)
    {
        const I2 whole = __builtin_convertvector(v, I2);
        std::memcpy(p, &whole, sizeof whole);
    }
};

inline Portable::Wide operator-(Portable::Wide a, Portable::Wide b)
{
    return {a.lo - b.lo, a.hi - b.hi};
}
inline Portable::Wide operator*(Portable::Wide a, Portable::Wide b)
{
    return {a.lo * b.lo, a.hi * b.hi};
}
inline Portable::Wide operator+(Portable::Wide a, Portable::Wide b)
{
    return {a.lo + b.lo, a.hi + b.hi};
}

inline Portable::Strings operator-(const Portable::Strings& a, const Portable::Strings& b)
{
    return {{a.part[0] - b.part[0], a.part[1] - b.part[1], a.part[2] - b.part[2]}};
}
inline Portable::Strings operator*(const Portable::Strings& a, const Portable::Strings& b)
{
    return {{a.part[0] * b.part[0], a.part[1] * b.part[1], a.part[2] * b.part[2]}};
}
inline Portable::Strings operator+(const Portable::Strings& a, const Portable::Strings& b)
{
    return {{a.part[0] + b.part[0], a.part[1] + b.part[1], a.part[2] + b.part[2]}};
}

} // namespace
} // namespace resonator

#include "ResonatorKernelBody.h"

namespace resonator
{
const Kernel kPortableKernel = makeKernel<Portable>("portable");
} // namespace resonator
