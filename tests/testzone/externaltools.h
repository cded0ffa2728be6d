#pragma once
// Other programs' readings of what this program wrote: FFmpeg, flac, metaflac.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testzone {

// A file as FFmpeg reads it, written out again as a wave file of plain 32-bit samples.
struct Decoded {
    QString error;
    QByteArray samples; // s32le, interleaved as in the file
    int channels = 0;
    int sampleRate = 0;
    quint32 channelMask = 0; // the speakers FFmpeg took the channels for
};
Decoded decode(const QString &path);

// Runs a tool to its end: an empty string and its standard output in *out, or what went
// wrong (it did not start or finish, failed, or wrote to standard error).
QString runTool(const QString &tool, const QStringList &arguments, QByteArray *out);
bool haveTool(const QString &name);

} // namespace testzone
