// The resonator kernel for the x86-64 baseline: SSE2, four frames per vector, the twelve strings
// in three vectors of four.
#include <emmintrin.h>

#include <cstdint>

namespace resonator
{
namespace
{

struct Sse2
{
    static constexpr int kWidth = 4;
    static constexpr bool kInterleaved = false; // see processGroups
    using F = __m128;
    using D = __m128d;
    struct Strings
    {
        __m128 part[3]; // strings 0-3, 4-7, 8-11
    };

    static F load(const float* p) { return _mm_loadu_ps(p); }
    static void store(float* p, F v) { _mm_storeu_ps(p, v); }
    static F splat(float v) { return _mm_set1_ps(v); }
    static D splatD(double v) { return _mm_set1_pd(v); }
    static F alternating(float v) { return _mm_setr_ps(v, -v, v, -v); }

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
        __m128d lo;
        __m128d hi;
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
        return _mm_cvtps_pd(v);
    }
    static D high(F v)
    {
        return _mm_cvtps_pd(_mm_movehl_ps(v, v));
    }
    static F pack(D lo, D hi)
    {
        return _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
    }

    static F notBelowMagnitude(F v, F limit)
    {
        // The magnitude as v AND 0x7FFFFFFF, which overwrites v's register rather than the mask's.
        const __m128 magnitude = _mm_and_ps(v, _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)));
        return _mm_cmpnlt_ps(magnitude, limit); // NaN counts
    }
    static F either(F a, F b)
    {
        return _mm_or_ps(a, b);
    }
    static bool any(F mask)
    {
        return _mm_movemask_ps(mask) != 0;
    }

    // string-major (one vector of four frames per string) <-> frame-major (per frame, three
    // vectors of four strings): three 4x4 transposes, their own inverse.
    static void toFrames(const F (&s)[12], Strings (&f)[kWidth])
    {
#pragma GCC unroll 8
        for (int q = 0; q < 3; ++q)
        {
            __m128 r0 = s[4 * q];
            __m128 r1 = s[4 * q + 1];
            __m128 r2 = s[4 * q + 2];
            __m128 r3 = s[4 * q + 3];
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            f[0].part[q] = r0;
            f[1].part[q] = r1;
            f[2].part[q] = r2;
            f[3].part[q] = r3;
        }
    }
    // The same from memory, string k's four frames at s[k]: loading them in halves does the first
    // stage of each transpose, with no shuffle and no register copy.
    static void toFramesFrom(const float* const (&s)[12], Strings (&f)[kWidth])
    {
        auto halves = [](const float* a, const float* b)
        {
            // Both loads go through may-alias vector types: the samples are floats.
            const __m128 low =
                _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(a)));
            return _mm_loadh_pi(low, reinterpret_cast<const __m64*>(b));
        };
#pragma GCC unroll 8
        for (int q = 0; q < 3; ++q)
        {
            const float* const* r = s + 4 * q;
            const __m128 low01 = halves(r[0], r[1]);          // frames 0, 1 of strings 0, 1
            const __m128 high01 = halves(r[0] + 2, r[1] + 2); // frames 2, 3 of strings 0, 1
            const __m128 low23 = halves(r[2], r[3]);
            const __m128 high23 = halves(r[2] + 2, r[3] + 2);
            f[0].part[q] = _mm_shuffle_ps(low01, low23, _MM_SHUFFLE(2, 0, 2, 0));
            f[1].part[q] = _mm_shuffle_ps(low01, low23, _MM_SHUFFLE(3, 1, 3, 1));
            f[2].part[q] = _mm_shuffle_ps(high01, high23, _MM_SHUFFLE(2, 0, 2, 0));
            f[3].part[q] = _mm_shuffle_ps(high01, high23, _MM_SHUFFLE(3, 1, 3, 1));
        }
    }
    static void toStrings(const Strings (&f)[kWidth], F (&s)[12])
    {
#pragma GCC unroll 8
        for (int q = 0; q < 3; ++q)
        {
            __m128 r0 = f[0].part[q];
            __m128 r1 = f[1].part[q];
            __m128 r2 = f[2].part[q];
            __m128 r3 = f[3].part[q];
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            s[4 * q] = r0;
            s[4 * q + 1] = r1;
            s[4 * q + 2] = r2;
            s[4 * q + 3] = r3;
        }
    }

    // Double lanes for the string delays.
    static D loadD(const double* p)
    {
        return _mm_loadu_pd(p);
    }
    static D equal(D a, D b)
    {
        return _mm_cmpeq_pd(a, b);
    }
    static bool allSame(const int32_t* p)
    {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(v, _mm_set1_epi32(p[0])))) == 0xF;
    }
    static void fillInts(int32_t* p, int32_t v)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_set1_epi32(v));
    }
    static D truncated(D v)
    {
        return _mm_cvtepi32_pd(_mm_cvttpd_epi32(v));
    }
    static D less(D a, D b)
    {
        return _mm_cmplt_pd(a, b);
    }
    static D both(D a, D b)
    {
        return _mm_and_pd(a, b);
    }
    static D select(D mask, D a, D b)
    {
        return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
    }
    static D smaller(D a, D b)
    {
        return _mm_min_pd(a, b);
    }
    static D larger(D a, D b)
    {
        return _mm_max_pd(a, b);
    }
    static double lowest(D v)
    {
        return _mm_cvtsd_f64(_mm_min_sd(v, _mm_unpackhi_pd(v, v)));
    }
    static double highest(D v)
    {
        return _mm_cvtsd_f64(_mm_max_sd(v, _mm_unpackhi_pd(v, v)));
    }
    static void storeWhole(int32_t* p, D v)
    {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_cvttpd_epi32(v));
    }
};

inline Sse2::Wide operator-(Sse2::Wide a, Sse2::Wide b)
{
    return {a.lo - b.lo, a.hi - b.hi};
}
inline Sse2::Wide operator*(Sse2::Wide a, Sse2::Wide b)
{
    return {a.lo * b.lo, a.hi * b.hi};
}
inline Sse2::Wide operator+(Sse2::Wide a, Sse2::Wide b)
{
    return {a.lo + b.lo, a.hi + b.hi};
}

inline Sse2::Strings operator-(const Sse2::Strings& a, const Sse2::Strings& b)
{
    return {{a.part[0] - b.part[0], a.part[1] - b.part[1], a.part[2] - b.part[2]}};
}
inline Sse2::Strings operator*(const Sse2::Strings& a, const Sse2::Strings& b)
{
    return {{a.part[0] * b.part[0], a.part[1] * b.part[1], a.part[2] * b.part[2]}};
}
inline Sse2::Strings operator+(const Sse2::Strings& a, const Sse2::Strings& b)
{
    return {{a.part[0] + b.part[0], a.part[1] + b.part[1], a.part[2] + b.part[2]}};
}

} // namespace
} // namespace resonator

#include "engine/ResonatorKernelBody.h"

namespace resonator
{
extern const Kernel kSse2Kernel;
const Kernel kSse2Kernel = makeKernel<Sse2>("sse2");
} // namespace resonator
