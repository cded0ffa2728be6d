#include "externaltools.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "wavereader.h"

namespace testzone {

QString runTool(const QString &tool, const QStringList &arguments, QByteArray *out)
{
    QProcess p;
    p.start(tool, arguments);
    if (!p.waitForStarted(10000))
        return tool + " did not start";
    p.closeWriteChannel();
    if (!p.waitForFinished(60000))
        return tool + " did not finish";
    const QByteArray collected = p.readAllStandardOutput();
    const QByteArray errors = p.readAllStandardError();
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0 || !errors.isEmpty())
        return QString("%1 failed (%2): %3").arg(tool).arg(p.exitCode()).arg(QString(errors));
    *out = collected;
    return QString();
}

bool haveTool(const QString &name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// One process per file: the machine may be busy.
Decoded decode(const QString &path)
{
    Decoded d;
    QTemporaryDir dir;
    const QString copy = dir.filePath("s32.wav");
    QByteArray ignored;
    d.error = runTool("ffmpeg", {"-nostdin", "-v", "error", "-i", path, "-c:a", "pcm_s32le",
                                 "-bitexact", "-f", "wav", copy}, &ignored);
    if (!d.error.isEmpty())
        return d;
    const WaveContents w = readWave(copy);
    d.error = w.problem;
    d.channels = w.channels;
    d.sampleRate = w.sampleRate;
    d.channelMask = w.channelMask;
    d.samples = w.samples;
    if (w.bits != 32)
        d.error = QString("ffmpeg wrote %1-bit samples").arg(w.bits);
    return d;
}

} // namespace testzone
