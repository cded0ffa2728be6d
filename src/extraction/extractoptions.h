#pragma once
// The extraction options as one value record, copied into every thread and dumper.
#include <QDir>
#include <QString>
#include <QStringList>
#include <memory>

struct CoverImage;
struct DiscMetadata;

enum ExtractMode : int {
    ModeNone = 0,
    ModeStore = 1,
    ModeConvert = 2,
    ModeVerify = 3, // decode everything, write nothing, count the damage
};

// The files decoded audio is written to.
enum class OutputFormat : int {
    Wave = 0,
    Flac = 1,
};

struct ExtractOptions {
    QDir outputDir;
    int mode = ModeNone;
    bool merge = false;        // "Merge groups"
    bool split = false;        // "Split groups"
    bool downmix = false;      // "Get stereo downmix"
    bool streamErrors = false; // "Recover from stream errors"
    bool oldFormat = false;    // "Use old format"
    bool run = false;          // run the command on every produced file
    QString command;           // the command template
    qint32 cache = 1000;       // wait threshold in MiB, 0 to 9999
    bool deleteFiles = false;  // delete each file after its command succeeded
    bool logMessages = false;  // "Log messages"
    bool keepGoing = false;    // after a failed object go on with the next (command line only)
    bool keepPartial = false;  // keep what a failed or cancelled object wrote, as NAME.partial.EXT (command line only)
    // Threads that decode and encode: that many workers, each dumping one object at a
    // time, and where fewer objects are left, helpers of FLAC encoding in the threads
    // left over. 0: one worker, helped by every other core of the machine.
    qint32 threads = 0;
    OutputFormat format = OutputFormat::Wave; // of decoded audio
    qint32 compression = 5;    // FLAC compression level, 0 to 8
    QStringList tags;          // "NAME=value" Vorbis comments of the user's for FLAC files
    std::shared_ptr<const DiscMetadata> metadata; // the disc's album, titles and artists; null: none
    std::shared_ptr<const CoverImage> cover;      // the front cover of every FLAC file; null: none
    bool perTitle = false;     // "One file per title": the front ends extract whole titles
    bool replayGain = false;   // ReplayGain 2.0 tags (FLAC) and figures in the rip log
    bool albumPerSelection = false; // the ReplayGain album: the whole selection, not each title
    QString nameTemplate;      // the files' names, "" for the program's own (see objectnames.h)
};
