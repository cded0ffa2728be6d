#pragma once
// The dump driver: one track or index, block by block, through a dumper into files.
#include <QString>

#include "1-base/streaminfo.h"
#include "5-extraction/extractoptions.h"

class AOBObject;
class DVDAZone;
class DVDATitleset;
class JobQueue;
struct ExtractProgress;
struct ObjectCheck;

// Strips one 2048-byte pack down to its audio bytes and hands them to info.dumper.
// skip and limit (when > 0) replace the record's counters; both count audio bytes.
[[nodiscard]] int extractPayload(StreamInfo &info, const quint8 *pack, int skip, int limit);

// The object's stream description with its collected payload, read again from its
// first blocks: the objects of a zone drop it after parsing, the MLP decoder starts from it.
StreamInfo streamInfoWithPayload(DVDATitleset *titleset, const AOBObject *object);

// Writes the files of the object, read from the zone's blocks, at basePath + suffix;
// returns (and stores in progress.lastResult) a result code. With check, what was read
// and decoded and the damage found are added to it. In Verify mode no file is written,
// decoding goes on past damage and past unreadable blocks, and only the check is filled.
[[nodiscard]] int dumpObject(DVDAZone *zone, AOBObject *object, const QString &basePath, const ExtractOptions &options,
               JobQueue *jobs, ExtractProgress &progress, ObjectCheck *check = nullptr);
