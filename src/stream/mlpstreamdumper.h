#pragma once
// Decodes the MLP stream of a DVD-Audio object (sub-stream 0xA1) with libavcodec and
// hands the samples to its sink.
//
// Calls bring arbitrary runs of bytes; whole access units (2 x the low 12 bits of their
// first big-endian word) are cut from an input buffer and decoded one by one. After a
// decoding error with "Recover from stream errors" on, bytes are dropped up to the next
// access unit that carries a major sync and a fresh decoder starts there.
//
// Audio lost so (dropped, or access units that gave no audio) is made up with silence of
// its exact length, so that the output keeps the length the disc gives: each access
// unit's header carries its input timing (bytes 2-3, samples modulo 65536), and the
// bytes lost, at the stream's mean bytes per unit, tell how many times it wrapped.
//
// Everything lives in the dumper: buffers, parser, decoder and the message sink that
// counts what the decoder reports, so two dumpers never share state.
#include <vector>

#include "base/streaminfo.h"
#include "stream/decodermessages.h"
#include "stream/streamdumper.h"

struct AVCodecLibrary;
struct AVCodecContext;
struct AVCodecParserContext;
struct AVPacket;
struct AVFrame;

// A stretch of audio the stream lost, made up with silence.
struct SilencedStretch {
    qint64 frame = 0;  // where it begins in the output
    qint64 frames = 0;
};

struct MlpDecoding {
    bool downmix = false;     // ask the decoder for the stereo downmix (substream 0) only
    bool stereoSink = false;  // the sink takes two channels: the downmix
    bool recover = false;     // resume at the next major sync after a damaged unit
    bool logMessages = false; // the decoder's messages to the decoder log
};

class DVDAMLPStreamDumper : public DVDAStreamDumper {
public:
    // Nothing is decoded before start.
    DVDAMLPStreamDumper(const StreamInfo &info, const MlpDecoding &decoding, SampleSink &sink);
    ~DVDAMLPStreamDumper() override;
    // Loads libavcodec (LoadDecoder when it cannot be had) and finds the stream
    // parameters in info's collected payload (InitMlpDecoder without a major sync there).
    [[nodiscard]] Result start();
    [[nodiscard]] Result write(const quint8 *data, int length) override;

    // The samples the decoder gives for a stream: every channel at group 1's rate, and
    // group 2's resolution where the major sync leaves it unset.
    [[nodiscard]] static StreamInfo outputFormat(const StreamInfo &info);
    [[nodiscard]] const DecoderMessages &decoderMessages() const { return messages; }
    [[nodiscard]] const std::vector<SilencedStretch> &silenced() const { return silences; }

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
    [[nodiscard]] Result writeRun(const quint8 *data, int length);
    // Drops bytes up to the next access unit with a major sync; false when none is
    // pending yet (all but the last 8 bytes are dropped then).
    [[nodiscard]] bool findMajorSync();
    // A fresh parser and decoder on the pending bytes; false when they hold no major sync.
    [[nodiscard]] bool startDecoder(const quint8 *run, int length);
    void freeDecoder();
    // Decodes the access unit of `size` bytes at the read position and writes its samples.
    [[nodiscard]] Result decodeUnit(int size, bool *failed);
    [[nodiscard]] Result writeFrame(const AVFrame *decoded, int unitSize);
    // Silence for the audio lost before the unit at the read position, whose samples
    // come next.
    [[nodiscard]] Result fillLostAudio(int timing, int unitFrames, int channels, int channels2);
    void drop(int count);

    StreamInfo info;           // as the decoder gives it (outputFormat)
    MlpDecoding decoding;
    SampleSink &sink;
    Result state;              // why the dumper cannot decode; every write reports it
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
    int decodedOrder[SampleSink::MAX_CHANNELS]; // decoder channel -> stream channel
    int size1 = 2, size2 = 2;   // written sample sizes of the groups

    // What tells how much audio was lost.
    qint64 consumed = 0;        // bytes of the stream decoded or dropped so far
    qint64 lastGoodEnd = -1;    // where the last unit that gave samples ended; -1 none yet
    int nextTiming = -1;        // the input timing that unit's successor has
    qint64 goodBytes = 0, goodUnits = 0; // units that gave samples, for the mean size
    std::vector<SilencedStretch> silences;
};
