// Traits of the 256-bit resonator kernels: eight frames per vector, the twelve strings in one
// vector of eight and one of four. Included by the AVX2 and the AVX-512 kernel files, which build
// it with their own instruction sets: the AVX-512 build has sixteen more vector registers, which
// keep the transposed groups out of memory, and mixes eight frames in one vector of doubles.
// Anonymous namespace on purpose, as in ResonatorKernelBody.h.
#include <immintrin.h>

#include <cstdint>

namespace resonator
{
namespace
{

struct Avx
{
    static constexpr int kWidth = 8;
    static constexpr bool kInterleaved = true; // see processGroups
    using F = __m256;
    using D = __m256d;
    struct Strings
    {
        __m256 low;  // strings 0-7
        __m128 high; // strings 8-11
    };

    static F load(const float* p) { return _mm256_loadu_ps(p); }
    static void store(float* p, F v) { _mm256_storeu_ps(p, v); }
    static F splat(float v) { return _mm256_set1_ps(v); }
    static D splatD(double v) { return _mm256_set1_pd(v); }
    static F alternating(float v) { return _mm256_setr_ps(v, -v, v, -v, v, -v, v, -v); }

    // Member by member, which keeps both halves in registers.
    static void assign(Strings& to, const Strings& from)
    {
        to.low = from.low;
        to.high = from.high;
    }
    static Strings loadStrings(const float* p) { return {load(p), _mm_loadu_ps(p + 8)}; }
    static void storeStrings(float* p, const Strings& s)
    {
        store(p, s.low);
        _mm_storeu_ps(p + 8, s.high);
    }

    // W frames in double precision, for the mix: one 512-bit vector where AVX-512 is there.
#if defined(__AVX512F__)
    using Wide = __m512d;
    static Wide splatWide(double v)
    {
        return _mm512_set1_pd(v);
    }
    // All lanes selected; the plain forms trip a false uninitialised warning in GCC 12's header.
    static Wide widen(F v)
    {
        return _mm512_maskz_cvtps_pd(0xFF, v);
    }
    static F narrow(Wide v)
    {
        return _mm512_maskz_cvtpd_ps(0xFF, v);
    }
#else
    struct Wide
    {
        __m256d lo;
        __m256d hi;
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
#endif

    static D low(F v)
    {
        return _mm256_cvtps_pd(_mm256_castps256_ps128(v));
    }
    static D high(F v)
    {
        return _mm256_cvtps_pd(_mm256_extractf128_ps(v, 1));
    }
    static F pack(D lo, D hi)
    {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(lo)),
                                    _mm256_cvtpd_ps(hi), 1);
    }

    static F notBelowMagnitude(F v, F limit)
    {
        // Unordered: NaN counts.
        return _mm256_cmp_ps(_mm256_andnot_ps(_mm256_set1_ps(-0.0f), v), limit, _CMP_NLT_UQ);
    }
    static F either(F a, F b)
    {
        return _mm256_or_ps(a, b);
    }
    static bool any(F mask)
    {
        return _mm256_movemask_ps(mask) != 0;
    }

    // An 8x8 transpose of rows r; its own inverse.
    static void transpose8(const __m256* r, __m256* o)
    {
        const __m256 t0 = _mm256_unpacklo_ps(r[0], r[1]);
        const __m256 t1 = _mm256_unpackhi_ps(r[0], r[1]);
        const __m256 t2 = _mm256_unpacklo_ps(r[2], r[3]);
        const __m256 t3 = _mm256_unpackhi_ps(r[2], r[3]);
        const __m256 t4 = _mm256_unpacklo_ps(r[4], r[5]);
        const __m256 t5 = _mm256_unpackhi_ps(r[4], r[5]);
        const __m256 t6 = _mm256_unpacklo_ps(r[6], r[7]);
        const __m256 t7 = _mm256_unpackhi_ps(r[6], r[7]);
        const __m256 u0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 u1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 u2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 u3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 u4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 u5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
        const __m256 u6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0));
        const __m256 u7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
        o[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
        o[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
        o[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
        o[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
        o[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
        o[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
        o[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
        o[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
    }

    static void toFrames(const F (&s)[12], Strings (&f)[kWidth])
    {
        __m256 rows[8];
        transpose8(s, rows);
#pragma GCC unroll 8
        for (int j = 0; j < 8; ++j)
            f[j].low = rows[j];
        // Strings 8-11: 4x4 transposes within each 128-bit half; the low half holds frames 0-3,
        // the high half frames 4-7.
        const __m256 t0 = _mm256_unpacklo_ps(s[8], s[9]);
        const __m256 t1 = _mm256_unpackhi_ps(s[8], s[9]);
        const __m256 t2 = _mm256_unpacklo_ps(s[10], s[11]);
        const __m256 t3 = _mm256_unpackhi_ps(s[10], s[11]);
        const __m256 u[4] = {_mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0)),
                             _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2)),
                             _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0)),
                             _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2))};
#pragma GCC unroll 8
        for (int j = 0; j < 4; ++j)
        {
            f[j].high = _mm256_castps256_ps128(u[j]);
            f[j + 4].high = _mm256_extractf128_ps(u[j], 1);
        }
    }

    static void toStrings(const Strings (&f)[kWidth], F (&s)[12])
    {
        __m256 rows[8];
#pragma GCC unroll 8
        for (int j = 0; j < 8; ++j)
            rows[j] = f[j].low;
        transpose8(rows, s);
        __m256 u[4];
#pragma GCC unroll 8
        for (int j = 0; j < 4; ++j)
            u[j] = _mm256_insertf128_ps(_mm256_castps128_ps256(f[j].high), f[j + 4].high, 1);
        const __m256 t0 = _mm256_unpacklo_ps(u[0], u[1]);
        const __m256 t1 = _mm256_unpackhi_ps(u[0], u[1]);
        const __m256 t2 = _mm256_unpacklo_ps(u[2], u[3]);
        const __m256 t3 = _mm256_unpackhi_ps(u[2], u[3]);
        s[8] = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
        s[9] = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
        s[10] = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
        s[11] = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    }

    // Double lanes for the string delays.
    static D loadD(const double* p)
    {
        return _mm256_loadu_pd(p);
    }
    static D equal(D a, D b)
    {
        return _mm256_cmp_pd(a, b, _CMP_EQ_OQ);
    }
    static bool allSame(const int32_t* p)
    {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i same = _mm256_cmpeq_epi32(v, _mm256_set1_epi32(p[0]));
        return _mm256_movemask_ps(_mm256_castsi256_ps(same)) == 0xFF;
    }
    static void fillInts(int32_t* p, int32_t v)
    {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), _mm256_set1_epi32(v));
    }
    static D truncated(D v)
    {
        return _mm256_round_pd(v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    }
    static D less(D a, D b)
    {
        return _mm256_cmp_pd(a, b, _CMP_LT_OQ);
    }
    static D both(D a, D b)
    {
        return _mm256_and_pd(a, b);
    }
    static D select(D mask, D a, D b)
    {
        return _mm256_blendv_pd(b, a, mask);
    }
    static D smaller(D a, D b)
    {
        return _mm256_min_pd(a, b);
    }
    static D larger(D a, D b)
    {
        return _mm256_max_pd(a, b);
    }
    static double lowest(D v)
    {
        const __m128d m = _mm_min_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
        return _mm_cvtsd_f64(_mm_min_sd(m, _mm_unpackhi_pd(m, m)));
    }
    static double highest(D v)
    {
        const __m128d m = _mm_max_pd(_mm256_castpd256_pd128(v), _mm256_extractf128_pd(v, 1));
        return _mm_cvtsd_f64(_mm_max_sd(m, _mm_unpackhi_pd(m, m)));
    }
    static void storeWhole(int32_t* p, D v)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm256_cvttpd_epi32(v));
    }
};

#if !defined(__AVX512F__)
inline Avx::Wide operator-(Avx::Wide a, Avx::Wide b)
{
    return {a.lo - b.lo, a.hi - b.hi};
}
inline Avx::Wide operator*(Avx::Wide a, Avx::Wide b)
{
    return {a.lo * b.lo, a.hi * b.hi};
}
inline Avx::Wide operator+(Avx::Wide a, Avx::Wide b)
{
    return {a.lo + b.lo, a.hi + b.hi};
}
#endif

inline Avx::Strings operator-(const Avx::Strings& a, const Avx::Strings& b)
{
    return {a.low - b.low, a.high - b.high};
}
inline Avx::Strings operator*(const Avx::Strings& a, const Avx::Strings& b)
{
    return {a.low * b.low, a.high * b.high};
}
inline Avx::Strings operator+(const Avx::Strings& a, const Avx::Strings& b)
{
    return {a.low + b.low, a.high + b.high};
}

} // namespace
} // namespace resonator

#include "engine/ResonatorKernelBody.h"
