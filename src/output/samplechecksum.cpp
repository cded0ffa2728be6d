#include "output/samplechecksum.h"

#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// zlib's CRC-32, which takes at most a uInt at a time.
quint32 zlibCrc(quint32 crc, const quint8 *data, qint64 count)
{
    constexpr qint64 MOST = qint64(1) << 30;
    uLong value = crc;
    for (qint64 done = 0; done < count; done += MOST)
        value = crc32(value, data + done, uInt(qMin(MOST, count - done)));
    return quint32(value);
}

#if defined(__x86_64__)
// The same CRC folded with carry-less multiplication, 64 bytes a step, as Intel's paper
// "Fast CRC Computation for Generic Polynomials Using PCLMULQDQ" gives it for the
// bit-reflected CRC-32 (its constants: x^(4*128+32) and x^(4*128-32) mod P for the folds of
// 64 bytes, x^(128+32) and x^(128-32) for those of 16, x^64 for the fold to 64 bits, then P
// and its Barrett constant). It runs at several GB/s where zlib's tables run at about two:
// the checksum of a whole disc stays off the critical path. count: at least 64, a multiple
// of 16; crc in and out as zlib keeps it.
__attribute__((target("pclmul,sse4.1"))) quint32 foldedCrc(quint32 crc, const quint8 *buf, qint64 count)
{
    alignas(16) static const quint64 k1k2[] = {0x0154442bd4, 0x01c6e41596};
    alignas(16) static const quint64 k3k4[] = {0x01751997d0, 0x00ccaa009e};
    alignas(16) static const quint64 k5k0[] = {0x0163cd6124, 0x0000000000};
    alignas(16) static const quint64 poly[] = {0x01db710641, 0x01f7011641};

    __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x00));
    __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x10));
    __m128i x3 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x20));
    __m128i x4 = _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x30));
    x1 = _mm_xor_si128(x1, _mm_cvtsi32_si128(int(~crc)));
    __m128i x0 = _mm_load_si128(reinterpret_cast<const __m128i *>(k1k2));
    buf += 64;
    count -= 64;
    while (count >= 64) {
        const __m128i x5 = _mm_clmulepi64_si128(x1, x0, 0x00);
        const __m128i x6 = _mm_clmulepi64_si128(x2, x0, 0x00);
        const __m128i x7 = _mm_clmulepi64_si128(x3, x0, 0x00);
        const __m128i x8 = _mm_clmulepi64_si128(x4, x0, 0x00);
        x1 = _mm_clmulepi64_si128(x1, x0, 0x11);
        x2 = _mm_clmulepi64_si128(x2, x0, 0x11);
        x3 = _mm_clmulepi64_si128(x3, x0, 0x11);
        x4 = _mm_clmulepi64_si128(x4, x0, 0x11);
        x1 = _mm_xor_si128(_mm_xor_si128(x1, x5), _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x00)));
        x2 = _mm_xor_si128(_mm_xor_si128(x2, x6), _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x10)));
        x3 = _mm_xor_si128(_mm_xor_si128(x3, x7), _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x20)));
        x4 = _mm_xor_si128(_mm_xor_si128(x4, x8), _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf + 0x30)));
        buf += 64;
        count -= 64;
    }
    // Four lanes folded into one, then the 16-byte blocks left.
    x0 = _mm_load_si128(reinterpret_cast<const __m128i *>(k3k4));
    for (const __m128i next : {x2, x3, x4}) {
        const __m128i x5 = _mm_clmulepi64_si128(x1, x0, 0x00);
        x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, x0, 0x11), next), x5);
    }
    while (count >= 16) {
        const __m128i x5 = _mm_clmulepi64_si128(x1, x0, 0x00);
        x1 = _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x1, x0, 0x11),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(buf))),
                           x5);
        buf += 16;
        count -= 16;
    }
    // 128 bits to 64, then Barrett's reduction to 32.
    __m128i x2b = _mm_clmulepi64_si128(x1, x0, 0x10);
    const __m128i mask = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2b);
    x0 = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(k5k0));
    x2b = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask), x0, 0x00), x2b);
    x0 = _mm_load_si128(reinterpret_cast<const __m128i *>(poly));
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x1, mask), x0, 0x10);
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x2b, mask), x0, 0x00);
    x1 = _mm_xor_si128(x1, x2b);
    return ~quint32(_mm_extract_epi32(x1, 1));
}

[[nodiscard]] bool canFold()
{
    static const bool can = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return can;
}
#endif

} // namespace

quint32 crc32Of(quint32 crc, const quint8 *data, qint64 count)
{
#if defined(__x86_64__)
    if (count >= 64 && canFold()) {
        const qint64 folded = count & ~qint64(15);
        crc = foldedCrc(crc, data, folded);
        data += folded;
        count -= folded;
    }
#endif
    return zlibCrc(crc, data, count);
}

QString crc32Text(quint32 crc)
{
    return QString::asprintf("%08x", crc);
}

void SampleCrc::start(qint64 bytesPerSecond)
{
    *this = SampleCrc();
    perSecond = bytesPerSecond;
}

void SampleCrc::add(const quint8 *data, qint64 count)
{
    if (perSecond <= 0) {
        all = crc32Of(all, data, count);
        return;
    }
    while (count > 0) {
        const qint64 take = qMin(count, perSecond - inSecond);
        if (inSecond == 0)
            secondsDone.push_back(0);
        second = crc32Of(inSecond == 0 ? 0 : second, data, take);
        secondsDone.back() = second;
        inSecond += take;
        if (inSecond == perSecond) {
            all = quint32(crc32_combine(all, second, z_off_t(perSecond)));
            inSecond = 0;
        }
        data += take;
        count -= take;
    }
}

quint32 SampleCrc::whole() const
{
    return inSecond > 0 ? quint32(crc32_combine(all, second, z_off_t(inSecond))) : all;
}
