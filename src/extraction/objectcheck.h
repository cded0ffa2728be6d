#pragma once
// What reading and decoding one track or index found: the blocks read, the access
// units (MLP) or packs (PCM) seen and every kind of damage, with the time of the
// first. Filled by the dump driver and its dumper in Verify and Convert mode alike.
#include <QMetaType>
#include <QString>
#include <QStringList>

#include "base/result.h"
#include "stream/decodermessages.h"
#include "stream/mlpstreamdumper.h"
#include "output/outputsink.h"

#include <vector>

class DVDAObject;
struct StreamInfo;

struct ObjectCheck {
    const DVDAObject *object = nullptr; // the track or index checked; not owned
    bool mlp = false;
    bool pcm = false;            // neither: no audio stream was found
    qint64 blocksRead = 0;       // blocks of the object read without failure
    qint64 units = 0;            // MLP access units or PCM packs
    int errors[DecoderMessages::KINDS] = {}; // what the decoder reported, by kind
    qint64 unreadableBlocks = 0;
    qint64 headerMismatches = 0; // PCM packs whose stream header is not the track's
    qint64 sequenceGaps = 0;     // PCM blocks in the object that are no pack with private data
    qint64 damagedPackets = 0;   // packets whose length or sub-stream header length was damaged
    qint64 correctedPackets = 0; // packet lengths that took in the next packet's prefix: no damage
    qint64 lostPackets = 0;      // PCM packets the headers' continuity counter shows missing
    qint64 missingFrames = 0;    // frames decoded short of the length the disc gives
    qint64 extraFrames = 0;      // frames decoded past it (the object took another's blocks)
    qint64 firstProblemMs = -1;  // from the start of the object; -1 when clean
    std::vector<SilencedStretch> silenced; // lost audio made up with silence (MLP)
    int sampleRate = 0;          // of the frames counted above
    ResultCode result = ResultCode::Succeeded; // the dump's
    QString where;               // where it failed: the file, block or command
    QStringList notes;           // what the rip log should say besides (a mark the stream moved)
    QStringList files;           // Convert: the files written
    std::vector<WrittenFile> written; // Store and Convert: the files written, with what they hold

    [[nodiscard]] int decoderErrors() const;
    // Every problem counted, decoder errors and unreadable, foreign or missing packs.
    [[nodiscard]] qint64 problems() const;
    [[nodiscard]] bool damaged() const { return problems() > 0; }
    // A problem seen at that time; the earliest one is kept.
    void noteProblemAt(qint64 ms);
};

// Checks one block of a PCM object against the track's stream: a block that is no pack
// with private stream data is a gap in the sequence; a pack whose sub-stream header
// gives another format, or MLP, disagrees. ms is the time in the object where the
// block's audio begins.
void checkPcmPack(ObjectCheck &check, const StreamInfo &track, const quint8 *pack, qint64 ms);

Q_DECLARE_METATYPE(ObjectCheck)
