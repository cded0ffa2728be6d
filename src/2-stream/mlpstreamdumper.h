#pragma once
// Decodes the MLP stream of a DVD-Audio object (sub-stream 0xA1) with libavcodec and
// writes the samples to the wave files of its base.
//
// Calls bring arbitrary runs of bytes; whole access units (2 x the low 12 bits of their
// first big-endian word) are cut from an input buffer and decoded one by one. After a
// decoding error with "Recover from stream errors" on, bytes are dropped up to the next
// access unit that carries a major sync and a fresh decoder starts there.
//
// Everything lives in the dumper: buffers, parser, decoder and the message sink that
// counts what the decoder reports, so two dumpers never share state.
#include <vector>

#include "2-stream/decodermessages.h"
#include "4-output/formattedstreamdumper.h"

struct AVCodecLibrary;
struct AVCodecContext;
struct AVCodecParserContext;
struct AVPacket;
struct AVFrame;

class DVDAMLPStreamDumper : public DVDAFormattedStreamDumper {
public:
    // Opens the files, then finds the stream parameters in info's collected payload;
    // without a major sync there result is ErrInitMlpDecoder.
    DVDAMLPStreamDumper(const StreamInfo &info, const QString &basePath,
                        const ExtractOptions &options, JobQueue *jobs);
    ~DVDAMLPStreamDumper() override;
    [[nodiscard]] int write(const quint8 *data, int length) override;

    const DecoderMessages &decoderMessages() const { return messages; }
    // The files, the access units seen and what the decoder reported.
    void report(ObjectCheck &check) const override;

    enum {
        // Bytes kept between calls: at most APPEND_AT (more without a whole unit is an
        // overrun); one call's bytes come on top, within INPUT_SIZE.
        INPUT_SIZE = 32768,
        APPEND_AT = 30720,
        MAX_CALL = 2048, // a longer call is taken in runs of this size
    };

    qint32 pending = 0;      // bytes from readPosition on, not yet decoded
    qint32 skippedBytes = 0; // dropped while resynchronising since the last decoder start
    bool searching = false;  // the next call first looks for a major sync
    bool decoderReady = false;
    qint64 units = 0;        // access units cut from the stream, decodable or not

private:
    [[nodiscard]] int writeRun(const quint8 *data, int length);
    // Drops bytes up to the next access unit with a major sync; false when none is
    // pending yet (all but the last 8 bytes are dropped then).
    [[nodiscard]] bool findMajorSync();
    // A fresh parser and decoder on the pending bytes; false when they hold no major sync.
    [[nodiscard]] bool startDecoder(const quint8 *run, int length);
    void freeDecoder();
    // Decodes the access unit of `size` bytes at the read position and writes its samples.
    [[nodiscard]] int decodeUnit(int size, bool *failed);
    [[nodiscard]] int writeFrame(const AVFrame *decoded);
    void drop(int count);

    DecoderMessages messages;
    const AVCodecLibrary *av = nullptr; // loaded on the first MLP stream
    AVCodecContext *parserContext = nullptr; // what the parser read from the major sync
    AVCodecParserContext *parser = nullptr;
    AVCodecContext *decoder = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;

    std::vector<quint8> input;  // INPUT_SIZE bytes and the parser's padding
    int readPosition = 0;       // first byte not yet decoded
    int expectedChannels = 0;   // what the layout needs from the decoder
    int decodedOrder[SLOTS];    // decoder channel -> stream channel
    int size1 = 2, size2 = 2;   // written sample sizes of the groups
};
