#pragma once
// The messages one MLP decoder (and its parser) report through av_log, routed by their
// codec context to the dumper that owns them: counted by kind, and written to the
// decoder log or, with logging off, handed to FFmpeg's default handler.
//
// av_log's handler is one per process; it is installed once and only looks up which
// sink a context belongs to, so that every count and buffer stays with its dumper.
// Contexts that belong to no sink keep FFmpeg's default behaviour.
#include <QtGlobal>

class DecoderMessages {
public:
    // What the decoder tells about damage in the stream.
    enum Kind {
        ParityError,           // "... parity check failed."
        ChecksumError,         // "Substream %d checksum failed."
        LosslessCheckError,    // "Lossless check failed ..."
        RestartHeaderError,    // "restart header checksum error"
        MajorSyncError,        // "major sync info header checksum error"
        UndecodableUnit,       // an access unit that gave no audio
        KINDS
    };

    explicit DecoderMessages(bool toLogFile);
    ~DecoderMessages();
    DecoderMessages(const DecoderMessages &) = delete;
    DecoderMessages &operator=(const DecoderMessages &) = delete;

    // Messages logged with this context (an AVCodecContext) come here from now on.
    void attach(const void *context);
    void detach(const void *context);

    // One formatted message; counts it and writes it to the log file when logging.
    void receive(int level, const char *text);
    void add(Kind kind);
    [[nodiscard]] int count(Kind kind) const { return counts[kind]; }
    // The frame of the stream being decoded, so that the first damage has a time.
    void setPosition(qint64 frame) { position = frame; }
    // The frame at which the first damage was reported; -1 when none was.
    [[nodiscard]] qint64 firstDamageFrame() const { return firstDamage; }

    // The kind a message text reports, or KINDS when it reports no damage.
    [[nodiscard]] static Kind classify(const char *text);

private:
    bool toFile;
    int counts[KINDS] = {};
    qint64 position = 0;
    qint64 firstDamage = -1;
};
