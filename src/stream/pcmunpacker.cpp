#include "stream/pcmunpacker.h"

#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define KESTROVA_BYTE_SHUFFLE 1
#include <immintrin.h>
#endif

namespace {

// One copy per resolution and channel count, so that the loops test neither and keep
// their pointers in registers.
template <int BITS, int C>
struct Unit {
    enum {
        SIZE = BITS == 16 ? 2 : 3, // bytes per written sample
        PACKED = BITS * C / 4,     // bytes per unit in the stream
        WRITTEN = 2 * C * SIZE,    // bytes per unit written
    };
};

// Sample by sample: any resolution, any layout of the channels.
template <int BITS, int C>
void unpackEach(const PcmRun &run, quint8 **out)
{
    const quint8 *in = run.units;
    const int stride = run.stride, unitStep = run.unitStep, outStep = run.outStep;
    quint8 *to[C];
    for (int k = 0; k < C; ++k)
        to[k] = out[k];
    for (int u = 0; u < run.count; ++u, in += unitStep) {
        const quint8 *extra = in + 4 * C; // the low bytes or nibbles, after the high words
#pragma GCC unroll 2
        for (int t = 0; t < 2; ++t) {
#pragma GCC unroll 6
            for (int k = 0; k < C; ++k) {
                const int s = t * C + k; // the sample's place in the unit
                quint8 *d = to[k] + t * stride;
                if (BITS == 24)
                    *d++ = extra[s];
                else if (BITS == 20)
                    *d++ = (s & 1) ? quint8(extra[s / 2] << 4) : quint8(extra[s / 2] & 0xF0);
                d[0] = in[2 * s + 1];
                d[1] = in[2 * s];
            }
        }
        for (int k = 0; k < C; ++k)
            to[k] += outStep;
    }
    for (int k = 0; k < C; ++k)
        out[k] = to[k];
}

#ifdef KESTROVA_BYTE_SHUFFLE

// For 16 and 24 bits every written byte is a byte of the unit, so a unit is unpacked by
// byte shuffles of the 16-byte windows it spans: into one run of frames (the channels
// side by side, the frames back to back or with the other group's samples between them)
// or into one run of samples per channel (each channel in a file of its own). 20-bit
// samples need their nibbles shifted and go sample by sample.
template <int BITS, int C>
struct Shuffles {
    enum {
        WINDOWS = (Unit<BITS, C>::PACKED + 15) / 16,
        // Units whose samples of a channel are gathered into one store, in a run per
        // channel. Measured worth it for 24-bit stereo only: with more channels the
        // gathered samples no longer stay in registers, and 16 bits of a unit take a
        // single store anyway.
        SLOTS = BITS == 24 && C <= 2 ? 2 : 1,
    };
    // Mask w of 16-byte piece j of the written unit, of frame t alone (up to 16 bytes),
    // and of channel k's two samples put in slot i of a store.
    signed char frames[WINDOWS][WINDOWS][16] = {};
    signed char frame[2][WINDOWS][16] = {};
    signed char channel[C][SLOTS][WINDOWS][16] = {};
};

// Where byte b (0 = lowest) of sample s lies in the packed unit.
template <int BITS, int C>
constexpr int packedByte(int s, int b)
{
    if (BITS == 24 && b == 0)
        return 4 * C + s;
    return b == Unit<BITS, C>::SIZE - 1 ? 2 * s : 2 * s + 1;
}

template <int BITS, int C>
constexpr Shuffles<BITS, C> makeShuffles()
{
    enum { SIZE = Unit<BITS, C>::SIZE, WINDOWS = Shuffles<BITS, C>::WINDOWS };
    Shuffles<BITS, C> m{};
    // A byte taken from another window (or from none) is zero here: the masks of all
    // windows are or-ed together.
    const auto fill = [](signed char *mask, int window, int from) {
        *mask = from / 16 == window ? static_cast<signed char>(from % 16) : -128;
    };
    for (int w = 0; w < WINDOWS; ++w) {
        for (int at = 0; at < 16 * WINDOWS; ++at) {
            const bool inside = at < Unit<BITS, C>::WRITTEN;
            fill(&m.frames[at / 16][w][at % 16], w,
                 inside ? packedByte<BITS, C>(at / SIZE, at % SIZE) : -16);
        }
        for (int t = 0; t < 2; ++t)
            for (int at = 0; at < 16; ++at)
                fill(&m.frame[t][w][at], w,
                     at < C * SIZE ? packedByte<BITS, C>(t * C + at / SIZE, at % SIZE) : -16);
        for (int k = 0; k < C; ++k)
            for (int i = 0; i < Shuffles<BITS, C>::SLOTS; ++i)
                for (int at = 0; at < 16; ++at) {
                    const int in = at - i * 2 * SIZE; // the byte's place in the slot
                    fill(&m.channel[k][i][w][at], w,
                         in >= 0 && in < 2 * SIZE
                             ? packedByte<BITS, C>(in / SIZE * C + k, in % SIZE)
                             : -16);
                }
    }
    return m;
}

template <int BITS, int C>
constexpr Shuffles<BITS, C> shuffles = makeShuffles<BITS, C>();

[[nodiscard]] bool shufflesAvailable()
{
    static const bool available = (__builtin_cpu_init(), __builtin_cpu_supports("ssse3"));
    return available;
}

// The units at the start of the run that can be shuffled without reading past its last
// unit, when each reads `reads` bytes from its start.
int unitsInside(const PcmRun &run, int packed, int reads)
{
    return qMax(0, run.count - (reads - packed + run.unitStep - 1) / run.unitStep);
}

// The 16-byte windows a unit spans, loaded once: the stores of its samples could
// alias it, so each pick would load them again.
template <int WINDOWS>
struct Windows {
    __attribute__((target("ssse3"))) explicit Windows(const quint8 *in)
    {
        for (int w = 0; w < WINDOWS; ++w)
            bytes[w] = _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + 16 * w));
    }
    // The bytes that the masks of the windows pick (one mask a window).
    __attribute__((target("ssse3"))) __m128i pick(const __m128i *mask) const
    {
        __m128i picked = _mm_shuffle_epi8(bytes[0], _mm_loadu_si128(mask));
        for (int w = 1; w < WINDOWS; ++w)
            picked = _mm_or_si128(picked, _mm_shuffle_epi8(bytes[w], _mm_loadu_si128(mask + w)));
        return picked;
    }
    __m128i bytes[WINDOWS];
};

// The first BYTES (at most 16) bytes of v to out, and nothing past them: the bytes
// after a unit's samples may be another unit's, written before.
template <int BYTES>
__attribute__((target("ssse3"))) inline void storeFirst(quint8 *out, __m128i v)
{
    if constexpr (BYTES == 16) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), v);
        return;
    }
    if constexpr ((BYTES & 8) != 0) {
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out), v);
        v = _mm_srli_si128(v, 8);
        out += 8;
    }
    if constexpr ((BYTES & 4) != 0) {
        const qint32 word = _mm_cvtsi128_si32(v);
        std::memcpy(out, &word, 4);
        v = _mm_srli_si128(v, 4);
        out += 4;
    }
    if constexpr ((BYTES & 2) != 0) {
        const qint16 half = qint16(_mm_cvtsi128_si32(v));
        std::memcpy(out, &half, 2);
        v = _mm_srli_si128(v, 2);
        out += 2;
    }
    if constexpr ((BYTES & 1) != 0)
        *out = quint8(_mm_cvtsi128_si32(v));
}

// The units at the start of the run whose last store may write all 16 bytes, `reach`
// bytes from where the unit's samples begin: when each unit's `written` bytes follow the
// one's before, what such a store writes past a unit the next units overwrite. The last
// few, whose store would pass the run's end, store their own bytes only.
// Worth it only where the unit's own bytes take more than one store (6, 12 bytes, ...):
// measured slower than a single 2-, 4- or 8-byte store.
int unitsStoredWhole(const PcmRun &run, int written, int reach)
{
    const int last = written % 16; // the bytes of the unit's last store
    if (run.outStep != written || (last & (last - 1)) == 0)
        return 0;
    return qMax(0, run.count - (reach - 1) / written); // those whose store passes the end
}

template <int BITS, int C, int LAST>
__attribute__((target("ssse3"))) inline void storeFrames(const quint8 *in, quint8 *out,
                                                         const __m128i *mask)
{
    enum { WINDOWS = Shuffles<BITS, C>::WINDOWS, WHOLE = Unit<BITS, C>::WRITTEN / 16 };
    const Windows<WINDOWS> unit(in);
    for (int j = 0; j < WHOLE; ++j)
        storeFirst<16>(out + 16 * j, unit.pick(mask + j * WINDOWS));
    if constexpr (LAST > 0)
        storeFirst<LAST>(out + 16 * WHOLE, unit.pick(mask + WHOLE * WINDOWS));
}

template <int BITS, int C>
__attribute__((target("ssse3"))) void shuffleFrames(const PcmRun &run, quint8 *out)
{
    using U = Unit<BITS, C>;
    enum { REST = U::WRITTEN % 16 };
    const auto *mask = reinterpret_cast<const __m128i *>(shuffles<BITS, C>.frames);
    const int whole = unitsStoredWhole(run, U::WRITTEN, U::WRITTEN - REST + 16);
    const int unitStep = run.unitStep, outStep = run.outStep; // not reloaded after a store
    const quint8 *in = run.units;
    int u = 0;
    for (; u < whole; ++u, in += unitStep, out += outStep)
        storeFrames<BITS, C, 16>(in, out, mask);
    for (; u < run.count; ++u, in += unitStep, out += outStep)
        storeFrames<BITS, C, REST>(in, out, mask);
}

// The same into frames with other bytes between them (the other group's samples, when
// both groups go to one file): each of a unit's two frames stored on its own.
template <int BITS, int C>
__attribute__((target("ssse3"))) void shuffleFramesApart(const PcmRun &run, quint8 *out)
{
    using U = Unit<BITS, C>;
    enum { WINDOWS = Shuffles<BITS, C>::WINDOWS, FRAME = C * U::SIZE };
    static_assert(FRAME <= 16, "a frame in one store");
    const auto *mask = reinterpret_cast<const __m128i *>(shuffles<BITS, C>.frame);
    const int units = run.count;
    const int unitStep = run.unitStep, outStep = run.outStep, stride = run.stride;
    const quint8 *in = run.units;
    for (int u = 0; u < units; ++u, in += unitStep, out += outStep) {
        const Windows<WINDOWS> unit(in);
        storeFirst<FRAME>(out, unit.pick(mask));
        storeFirst<FRAME>(out + stride, unit.pick(mask + WINDOWS));
    }
}

// 16-bit units back to back into frames back to back: every big-endian word of the run
// becomes a little-endian sample in its place, channel order and all.
__attribute__((target("ssse3"))) void swapWords(const quint8 *in, quint8 *out, qint64 bytes)
{
    const __m128i swap = _mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14);
    qint64 at = 0;
    for (; at + 16 <= bytes; at += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + at),
                         _mm_shuffle_epi8(
                             _mm_loadu_si128(reinterpret_cast<const __m128i *>(in + at)), swap));
    for (; at < bytes; at += 2) {
        out[at] = in[at + 1];
        out[at + 1] = in[at];
    }
}

template <int BITS, int C, int BYTES>
__attribute__((target("ssse3"))) inline void storeChannels(const quint8 *in, quint8 **to,
                                                           const __m128i *mask, int outStep)
{
    enum { WINDOWS = Shuffles<BITS, C>::WINDOWS, SLOTS = Shuffles<BITS, C>::SLOTS };
    const Windows<WINDOWS> unit(in);
    for (int k = 0; k < C; ++k) {
        storeFirst<BYTES>(to[k], unit.pick(mask + k * SLOTS * WINDOWS));
        to[k] += outStep;
    }
}

// SLOTS units whose samples lie back to back in each channel's run: each channel's
// samples of all of them gathered and stored at once, 16 bytes (the excess, the next
// units overwrite).
template <int BITS, int C>
__attribute__((target("ssse3"))) inline void storeChannelSlots(const quint8 *in, int unitStep,
                                                               quint8 **to, const __m128i *mask)
{
    enum { WINDOWS = Shuffles<BITS, C>::WINDOWS, SLOTS = Shuffles<BITS, C>::SLOTS };
    __m128i gathered[C];
    for (int i = 0; i < SLOTS; ++i) {
        const Windows<WINDOWS> unit(in + i * unitStep);
        for (int k = 0; k < C; ++k) {
            const __m128i picked = unit.pick(mask + (k * SLOTS + i) * WINDOWS);
            gathered[k] = i == 0 ? picked : _mm_or_si128(gathered[k], picked);
        }
    }
    for (int k = 0; k < C; ++k) {
        storeFirst<16>(to[k], gathered[k]);
        to[k] += SLOTS * 2 * Unit<BITS, C>::SIZE;
    }
}

template <int BITS, int C>
__attribute__((target("ssse3"))) void shuffleChannels(const PcmRun &run, quint8 **out)
{
    using U = Unit<BITS, C>;
    const auto *mask = reinterpret_cast<const __m128i *>(shuffles<BITS, C>.channel);
    const int whole = unitsStoredWhole(run, 2 * U::SIZE, 16);
    const int unitStep = run.unitStep, outStep = run.outStep; // not reloaded after a store
    const quint8 *in = run.units;
    quint8 *to[C];
    for (int k = 0; k < C; ++k)
        to[k] = out[k];
    enum { SLOTS = Shuffles<BITS, C>::SLOTS };
    int u = 0;
    if constexpr (SLOTS > 1)
        for (; u < whole && u + SLOTS <= run.count; u += SLOTS, in += SLOTS * unitStep)
            storeChannelSlots<BITS, C>(in, unitStep, to, mask);
    for (; u < whole; ++u, in += unitStep)
        storeChannels<BITS, C, 16>(in, to, mask, outStep);
    for (; u < run.count; ++u, in += unitStep)
        storeChannels<BITS, C, 2 * U::SIZE>(in, to, mask, outStep);
    for (int k = 0; k < C; ++k)
        out[k] = to[k];
}

// How a run's samples lie, as far as the shuffles go.
enum class Shape {
    None,        // some other way: sample by sample
    Words,       // 16-bit units and their frames back to back: one byte swap
    Channels,    // each channel in a run of its own
    Frames,      // channels in order, frames back to back
    FramesApart, // channels in order, other bytes between the frames
};

template <int BITS, int C>
Shape shapeOf(const PcmRun &run, quint8 *const *out)
{
    using U = Unit<BITS, C>;
    enum { FRAME = C * U::SIZE };
    if (BITS == 20 || !shufflesAvailable())
        return Shape::None;
    bool inOrder = true; // channel k's sample k samples after channel 0's in each frame
    for (int k = 1; k < C && inOrder; ++k)
        inOrder = out[k] == out[0] + k * U::SIZE;
    if (inOrder && run.stride == FRAME)
        return BITS == 16 && run.unitStep == U::PACKED && run.outStep == U::WRITTEN
                   ? Shape::Words
                   : Shape::Frames;
    if (run.stride == U::SIZE)
        return Shape::Channels;
    return inOrder && run.stride > FRAME && FRAME <= 16 ? Shape::FramesApart : Shape::None;
}

// Every unit of the run shuffled into its shape, out[k] moved on past them; each unit's
// windows must lie in readable memory.
template <int BITS, int C>
void shuffleInto(Shape shape, const PcmRun &run, quint8 **out)
{
    using U = Unit<BITS, C>;
    switch (shape) {
    case Shape::Words:
        swapWords(run.units, out[0], qint64(run.count) * U::PACKED);
        break;
    case Shape::Channels:
        shuffleChannels<BITS, C>(run, out);
        return;
    case Shape::Frames:
        shuffleFrames<BITS, C>(run, out[0]);
        break;
    case Shape::FramesApart:
        if constexpr (C * U::SIZE <= 16)
            shuffleFramesApart<BITS, C>(run, out[0]);
        break;
    default:
        return;
    }
    for (int k = 0; k < C; ++k)
        out[k] += qint64(run.count) * run.outStep;
}

// The whole run shuffled; false, with nothing done, when its shape has no shuffle.
template <int BITS, int C>
[[nodiscard]] bool shuffleUnits(const PcmRun &run, quint8 **out)
{
    using U = Unit<BITS, C>;
    enum { READS = 16 * Shuffles<BITS, C>::WINDOWS };
    const Shape shape = shapeOf<BITS, C>(run, out);
    if (shape == Shape::None)
        return false;
    if (shape == Shape::Words) { // reads no byte past the run
        shuffleInto<BITS, C>(shape, run, out);
        return true;
    }
    // The last few units' windows would reach past the run. After a long run they go
    // sample by sample; a run of only such units (one unit of a group between the other
    // group's, say) reads them from a copy with room after it, which is cheaper then.
    const int inside = unitsInside(run, U::PACKED, READS);
    shuffleInto<BITS, C>(shape, PcmRun{run.units, inside, run.unitStep, run.stride, run.outStep},
                         out);
    const int rest = run.count - inside;
    if (rest == 0)
        return true;
    const quint8 *const last = run.units + qint64(inside) * run.unitStep;
    const qint64 bytes = qint64(rest - 1) * run.unitStep + U::PACKED;
    const qint64 reads = bytes - U::PACKED + READS; // up to the last unit's last window
    quint8 copy[4 * READS];
    if (inside > 0 || reads > qint64(sizeof copy)) {
        unpackEach<BITS, C>(PcmRun{last, rest, run.unitStep, run.stride, run.outStep}, out);
        return true;
    }
    // A few dozen bytes: 16 at a time, not by a string move's slow start.
    qint64 at = 0;
    for (; at + 16 <= bytes; at += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i *>(copy + at),
                         _mm_loadu_si128(reinterpret_cast<const __m128i *>(last + at)));
    for (; at < bytes; ++at)
        copy[at] = last[at];
    for (; at < reads; ++at)
        copy[at] = 0; // read, never picked
    shuffleInto<BITS, C>(shape, PcmRun{copy, rest, run.unitStep, run.stride, run.outStep}, out);
    return true;
}

#endif

template <int BITS, int C>
void unpackUnits(const PcmRun &run, quint8 **out)
{
#ifdef KESTROVA_BYTE_SHUFFLE
    if (shuffleUnits<BITS, C>(run, out))
        return;
#endif
    unpackEach<BITS, C>(run, out);
}

template <int BITS>
PcmUnpacker unpackerOf(int channels)
{
    switch (channels) {
    case 1: return unpackUnits<BITS, 1>;
    case 2: return unpackUnits<BITS, 2>;
    case 3: return unpackUnits<BITS, 3>;
    case 4: return unpackUnits<BITS, 4>;
    case 5: return unpackUnits<BITS, 5>;
    case 6: return unpackUnits<BITS, 6>;
    default: return nullptr;
    }
}

} // namespace

PcmUnpacker pcmUnpacker(int channels, int bits)
{
    switch (bits) {
    case 16: return unpackerOf<16>(channels);
    case 20: return unpackerOf<20>(channels);
    case 24: return unpackerOf<24>(channels);
    default: return nullptr;
    }
}
