#pragma once
// How the test-zone writer fills what the format leaves open. Our own reader and our own
// writer agree by construction; a second profile lays zones out as other authoring does,
// so that a reader that trusts what the format does not define fails a test.
//
//   Plain:    zeros where nothing is defined, one PCM sub-stream header length for a whole
//             stream, every time stamp 0, a track's first block the one holding its
//             first sample.
//   Authored: non-zero filler, different per record, in every byte the information files
//             leave unused; PCM header lengths that change from pack to pack so that a
//             pack holds whole sample units (a stream's first and last packs differ from
//             the others) with the access unit pointer to match; a system header in a
//             stream's first pack and a padding packet in its last; time stamps from a
//             first one that is not 0; a PCM track boundary inside a pack leaves that
//             pack to the track before.
//
// Every suite runs under both: CTest runs each a second time with
// KESTROVA_TESTZONE_PROFILE=authored.
#include <QtGlobal>

namespace testzone {

enum class Profile { Plain, Authored };

Profile profile();
inline bool authored() { return profile() == Profile::Authored; }

// A filler byte for byte `at` of the record numbered `record`: never 0, and different from
// record to record.
quint8 filler(quint32 record, int at);

} // namespace testzone
