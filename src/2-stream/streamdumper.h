#pragma once
// The dumper family: each takes the bare audio bytes of one object, in stream order,
// and turns them into output files. Destroying a dumper always finishes its files.
#include <QFile>
#include <QString>

#include "4-output/bufferedoutput.h"
#include "1-base/streaminfo.h"
#include "5-extraction/extractoptions.h"
#include "1-base/result.h"

class JobQueue;
struct ObjectCheck;

class DVDAStreamDumper {
public:
    virtual ~DVDAStreamDumper() = default;
    // The next run of audio payload bytes; 0 to go on, anything else stops the dump.
    [[nodiscard]] virtual int write(const quint8 *data, int length) = 0;
    // Finishes and closes the files (queuing their jobs when the command is to be run):
    // 0 or ErrCloseOutput. The dump driver calls it before destroying the dumper, since a
    // destructor cannot report; a destructor finishes whatever nobody finished.
    [[nodiscard]] virtual int finish() { return ExtractSucceeded; }
    // Adds what this dumper found (files, access units, decoder errors) to check.
    virtual void report(ObjectCheck &check) const { (void)check; }

    qint32 packets = 0; // write calls counted (null dumper only)
    qint64 bytes = 0;   // payload bytes counted (null dumper only)
    qint32 result = ExtractSucceeded; // while all is well; a constructor stores its failure here
    qint64 framesDone = 0; // sample frames decoded so far (group 1's rate; decoding dumpers)
};

// Writes the payload unchanged to one file (".pcm", ".mlp", ".raw").
class DVDARawStreamDumper : public DVDAStreamDumper {
public:
    DVDARawStreamDumper(const StreamInfo &info, const QString &path,
                        const ExtractOptions &options, JobQueue *jobs);
    ~DVDARawStreamDumper() override;
    [[nodiscard]] int write(const quint8 *data, int length) override;
    [[nodiscard]] int finish() override;

    StreamInfo info;
    ExtractOptions options;
    JobQueue *jobs;
    QFile file;
    BufferedOutput payload; // not yet in the file
};

// Counts writes and bytes; writes nothing.
class DVDANullStreamDumper : public DVDAStreamDumper {
public:
    [[nodiscard]] int write(const quint8 *data, int length) override;
};
