#include "output/flacframes.h"

#include <array>

namespace flacframes {
namespace {

enum : quint32 { CRC16_POLY = 0x8005, CRC8_POLY = 0x07 };

std::array<quint8, 256> makeCrc8Table()
{
    std::array<quint8, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint8 c = quint8(i);
        for (int b = 0; b < 8; ++b)
            c = quint8((c & 0x80) ? (c << 1) ^ CRC8_POLY : c << 1);
        table[size_t(i)] = c;
    }
    return table;
}

std::array<quint16, 256> makeCrc16Table()
{
    std::array<quint16, 256> table{};
    for (int i = 0; i < 256; ++i) {
        quint16 c = quint16(i << 8);
        for (int b = 0; b < 8; ++b)
            c = quint16((c & 0x8000) ? (c << 1) ^ CRC16_POLY : c << 1);
        table[size_t(i)] = c;
    }
    return table;
}

// a * b modulo the CRC-16 polynomial, both of degree below 16.
quint16 multiply(quint16 a, quint16 b)
{
    quint32 product = 0;
    for (int i = 0; i < 16; ++i)
        if (b & (1u << i))
            product ^= quint32(a) << i;
    for (int i = 30; i >= 16; --i)
        if (product & (1u << i))
            product ^= (0x10000u | CRC16_POLY) << (i - 16);
    return quint16(product);
}

// x^(8 n) modulo the polynomial: what a CRC is multiplied by when n bytes follow.
quint16 shiftBy(size_t bytes)
{
    quint16 result = 1;
    quint16 power = 0x100; // x^8
    for (size_t n = bytes; n > 0; n >>= 1) {
        if (n & 1)
            result = multiply(result, power);
        power = multiply(power, power);
    }
    return result;
}

// The header of a frame: its length up to the CRC-8, and where its number is coded.
struct Header {
    size_t numberAt = 4;
    size_t numberLength = 0;
    size_t length = 0; // without the CRC-8
};

// Length of a UTF-8-style coded number from its first byte; 0 for an invalid one.
size_t codedLength(quint8 first)
{
    if (first < 0x80)
        return 1;
    for (size_t length = 2; length <= 7; ++length)
        if ((first & quint8(0xFF << (7 - length))) == quint8(0xFF << (8 - length)))
            return length;
    return 0;
}

[[nodiscard]] bool parseHeader(const quint8 *f, size_t size, Header *h)
{
    // Sync code 0xFFF8: a fixed-blocksize frame, which carries its frame number.
    if (size < 6 || f[0] != 0xFF || f[1] != 0xF8)
        return false;
    h->numberLength = codedLength(f[4]);
    if (h->numberLength == 0 || h->numberLength > 6)
        return false;
    size_t at = 4 + h->numberLength;
    const int blockCode = f[2] >> 4, rateCode = f[2] & 15;
    at += blockCode == 6 ? 1 : blockCode == 7 ? 2 : 0;
    at += rateCode == 12 ? 1 : (rateCode == 13 || rateCode == 14) ? 2 : 0;
    h->length = at;
    return at + 1 + 2 <= size; // the CRC-8, and the CRC-16 at the end
}

void appendNumber(quint64 number, std::vector<quint8> *out)
{
    if (number < 0x80) {
        out->push_back(quint8(number));
        return;
    }
    int length = 2;
    while (length < 7 && number >= (quint64(1) << (5 * length + 1)))
        ++length;
    out->push_back(quint8((0xFF00 >> length) | (number >> (6 * (length - 1)))));
    for (int k = length - 2; k >= 0; --k)
        out->push_back(quint8(0x80 | ((number >> (6 * k)) & 0x3F)));
}

} // namespace

quint8 crc8(const quint8 *data, size_t size)
{
    static const std::array<quint8, 256> table = makeCrc8Table();
    quint8 crc = 0;
    for (size_t i = 0; i < size; ++i)
        crc = table[crc ^ data[i]];
    return crc;
}

quint16 crc16(const quint8 *data, size_t size)
{
    static const std::array<quint16, 256> table = makeCrc16Table();
    quint16 crc = 0;
    for (size_t i = 0; i < size; ++i)
        crc = quint16((crc << 8) ^ table[(crc >> 8) ^ data[i]]);
    return crc;
}

bool renumber(const quint8 *frame, size_t size, quint64 number, std::vector<quint8> *out)
{
    Header old;
    if (!parseHeader(frame, size, &old))
        return false;
    const size_t start = out->size();
    out->insert(out->end(), frame, frame + 4);
    appendNumber(number, out);
    // The block size and rate fields that may follow the number, as they were.
    out->insert(out->end(), frame + old.numberAt + old.numberLength, frame + old.length);
    const size_t headerLength = out->size() - start;
    out->push_back(crc8(out->data() + start, headerLength));

    // The frame's CRC-16 covers the header and the body after it. CRCs of this kind are
    // linear: with the body's length n, crc(header + body) = crc(header) x^(8n) + crc(body),
    // so the new one follows from the old one and the two headers alone.
    const size_t oldHeaderLength = old.length + 1;
    const size_t body = size - oldHeaderLength - 2;
    const quint16 oldCrc = quint16(frame[size - 2] << 8 | frame[size - 1]);
    const quint16 headers = crc16(frame, oldHeaderLength) ^ crc16(out->data() + start, headerLength + 1);
    const quint16 newCrc = oldCrc ^ multiply(headers, shiftBy(body));
    out->insert(out->end(), frame + oldHeaderLength, frame + size - 2);
    out->push_back(quint8(newCrc >> 8));
    out->push_back(quint8(newCrc));
    return true;
}

qint64 frameNumber(const quint8 *frame, size_t size)
{
    Header h;
    if (!parseHeader(frame, size, &h))
        return -1;
    const quint8 first = frame[4];
    if (h.numberLength == 1)
        return first;
    quint64 number = first & (0x7F >> h.numberLength);
    for (size_t k = 1; k < h.numberLength; ++k)
        number = number << 6 | (frame[4 + k] & 0x3F);
    return qint64(number);
}

} // namespace flacframes
