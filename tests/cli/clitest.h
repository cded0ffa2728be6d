#pragma once
// What the kestrova-cli suites share: running the built program and the zones they
// write for it.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QtTest>

#include "testzone/dumpzone.h"
#include "testzone/packs.h"
#include "testzone/pcmpacking.h"
#include "testzone/testzone.h"

namespace clitest {

struct CliRun {
    int exitCode = -1;
    bool crashed = false;
    QByteArray out;
    QByteArray err;
};

// Starts the program; the caller waits.
inline void startCli(QProcess &process, const QStringList &arguments,
                     const QString &workingDir = QString())
{
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(KESTROVA_CLI), arguments);
}

inline CliRun finishCli(QProcess &process, int timeoutMs = 120000)
{
    CliRun run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    run.crashed = process.exitStatus() != QProcess::NormalExit;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

inline CliRun runCli(const QStringList &arguments, const QString &workingDir = QString())
{
    QProcess process;
    startCli(process, arguments, workingDir);
    return finishCli(process);
}

// Lines of a program output without the line ends.
inline QStringList linesOf(const QByteArray &bytes)
{
    QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The lines without the summary of what was written ("2 files written, ..."), which
// comes before the failures listed and the result.
inline QStringList withoutSummary(QStringList lines)
{
    lines.removeIf([](const QString &line) { return QRegularExpression(QStringLiteral("\\d+ files? written")).match(line).hasMatch(); });
    return lines;
}

// The files of a folder, sorted by name, without the rip log an extraction keeps there.
inline QStringList filesIn(const QString &dir)
{
    QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
    files.removeAll(QStringLiteral("kestrova-rip.log"));
    return files;
}

inline QByteArray fileBytes(const QString &path)
{
    return dumpzone::fileBytes(path);
}

// The body of the "data" chunk of a RIFF/WAVE file; null when there is none.
inline QByteArray waveData(const QByteArray &wave)
{
    if (wave.size() < 12 || !wave.startsWith("RIFF") || wave.mid(8, 4) != "WAVE")
        return QByteArray();
    int at = 12;
    while (at + 8 <= wave.size()) {
        const QByteArray id = wave.mid(at, 4);
        const quint32 size = quint32(quint8(wave[at + 4])) | quint32(quint8(wave[at + 5])) << 8
                             | quint32(quint8(wave[at + 6])) << 16
                             | quint32(quint8(wave[at + 7])) << 24;
        if (id == "data")
            return wave.mid(at + 8, int(size));
        at += 8 + int(size) + int(size & 1);
    }
    return QByteArray();
}

// A zone of linear PCM tracks in one title, laid one after another in ATS_01_1.AOB, with
// what each track must give.
struct PcmZone {
    testzone::Zone zone;
    testzone::PcmGroup group;
    QList<QByteArray> storedAudio; // the stream bytes a store of track k writes
    QList<QByteArray> waveSamples; // the samples a conversion of track k writes
    QList<int> firstBlocks;
    int blockCount = 0;
};

// tracks tracks of frames frames each (frames even), each as long on the time line as its
// samples.
inline PcmZone pcmZone(int tracks, int frames, const testzone::PcmGroup &group = {2, 16, 48000})
{
    PcmZone result;
    result.group = group;
    packs::PcmFormat format;
    format.bitCodes = testzone::pcmBitsCode(group.bits) << 4;
    format.rateCodes = testzone::pcmRateCode(group.rate) << 4;
    format.channelAssignment = group.channels == 2 ? 1 : 0;
    QByteArray allPacks;
    for (int k = 0; k < tracks; ++k) {
        const testzone::PcmSamples samples = testzone::makePcmSamples(group, frames, quint32(k + 1));
        const packs::PackedStream stream =
            packs::packStream(testzone::packPcm(group, samples), packs::pcmLayout(format));
        result.firstBlocks << result.blockCount;
        result.blockCount += stream.count;
        allPacks += stream.packs;
        result.storedAudio << stream.audio;
        result.waveSamples << testzone::waveSamples(group, samples);
    }
    result.zone = dumpzone::consecutiveTracks(allPacks, result.firstBlocks,
                                              quint32(qint64(frames) * 90000 / group.rate));
    return result;
}

// The one file of the folder whose name starts with prefix and ends with suffix; empty when
// there is not exactly one.
inline QString fileLike(const QString &dir, const QString &prefix, const QString &suffix)
{
    QStringList found;
    for (const QString &name : filesIn(dir)) {
        if (name.startsWith(prefix) && name.endsWith(suffix))
            found << name;
    }
    return found.size() == 1 ? QDir(dir).filePath(found.first()) : QString();
}

// The tags of the OPTIONS section of a man(7) page (the line after each .TP or .TQ),
// without roff's escapes.
inline QStringList optionTags(const QString &roff)
{
    QStringList tags;
    bool inOptions = false;
    bool tagNext = false;
    for (QString line : roff.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String(".SH")))
            inOptions = line == QLatin1String(".SH OPTIONS");
        if (!inOptions)
            continue;
        if (tagNext) {
            line.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
            line.replace(QLatin1String("\\-"), QLatin1String("-"));
            tags += line;
        }
        tagNext = line == QLatin1String(".TP") || line == QLatin1String(".TQ");
    }
    return tags;
}

// Titleset 1: title 1 with three tracks (track 1 has two indexes) and title 2 with one;
// titleset 2: one title, one track; titleset 3: video.
inline testzone::Zone selectorZone()
{
    testzone::Zone zone;
    testzone::Titleset &ts1 = zone.titlesets.emplace_back();
    ts1.info.titles = {testzone::makeTitle({{90000, {{0, 1}, {2, 3}}},
                                            {90000, {{4, 5}}},
                                            {90000, {{6, 7}}}}),
                       testzone::makeTitle({{90000, {{8, 9}}}})};
    ts1.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 10)));
    testzone::Titleset &ts2 = zone.titlesets.emplace_back();
    ts2.info.titles = {testzone::makeTitle({{90000, {{0, 3}}}})};
    ts2.aobFiles.push_back(testzone::AobFile::ofBytes(testzone::numberedBlocks(0, 4)));
    testzone::Titleset &video = zone.titlesets.emplace_back();
    video.info.videoObjects = 1;
    return zone;
}

// The "object:" lines a dry run prints.
inline QStringList objectLines(const QByteArray &out)
{
    return linesOf(out).filter(QRegularExpression(QStringLiteral("^object: ")));
}

// True when the file is a finished wave file: the RIFF size and the data chunk's size
// agree with the file's length.
inline bool isFinishedWave(const QByteArray &wave)
{
    if (wave.size() < 44 || !wave.startsWith("RIFF"))
        return false;
    const auto le32 = [&wave](int at) {
        return quint32(quint8(wave[at])) | quint32(quint8(wave[at + 1])) << 8
               | quint32(quint8(wave[at + 2])) << 16 | quint32(quint8(wave[at + 3])) << 24;
    };
    if (le32(4) != quint32(wave.size() - 8))
        return false;
    const QByteArray data = waveData(wave);
    const int dataAt = wave.indexOf("data");
    return dataAt > 0 && dataAt + 8 + data.size() == wave.size();
}

} // namespace clitest
