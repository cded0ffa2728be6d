#include "markcheck.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtTest>
#include <cmath>

#include "output/trackmarks.h"
#include "pcmtrack.h"
#include "wavereader.h"

namespace testzone {

double MarkCheck::largest = 0;
int MarkCheck::largestAt = 0;

void MarkCheck::check(const QString &path, int rate, int rate1, const QList<qint64> &joins)
{
    const double tolerance = rate / 180000.0 + 0.5;
    QList<double> truth;
    for (qint64 join : joins)
        truth << double(join) * rate / rate1;

    // The cue sheet beside the file, under its name: mm:ss:ff, cut to whole frames of 1/75 s.
    const QFileInfo audio(path);
    QFile sheet(audio.path() + '/' + audio.completeBaseName() + ".cue");
    QVERIFY2(sheet.open(QIODevice::ReadOnly), qPrintable(sheet.fileName()));
    const QString text = QString::fromUtf8(sheet.readAll());
    QVERIFY(text.contains(QString("FILE \"%1\" WAVE\n").arg(QFileInfo(path).fileName())));
    const QRegularExpression index01("INDEX 01 (\\d\\d):(\\d\\d):(\\d\\d)");
    QList<double> sheetStarts;
    for (auto it = index01.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        sheetStarts << (m.captured(1).toInt() * 60 * 75 + m.captured(2).toInt() * 75 + m.captured(3).toInt())
                           * double(rate) / 75;
    }
    QCOMPARE(sheetStarts.size(), truth.size());
    for (int k = 0; k < truth.size(); ++k)
        QVERIFY2(truth[k] - sheetStarts[k] > -tolerance && truth[k] - sheetStarts[k] < rate / 75.0 + tolerance,
                 qPrintable(QString("track %1").arg(k + 1)));

    // Inside the file, in samples.
    QList<double> inside;
    if (path.endsWith(".wav")) {
        const WaveContents w = readWave(path);
        QCOMPARE(w.problem, QString());
        for (const CuePoint &cue : w.cues)
            if (!cue.label.contains("Index"))
                inside << cue.position;
    } else {
        QByteArray out;
        QCOMPARE(runTool("metaflac", {"--export-cuesheet-to=-", path}, &out), QString());
        const QRegularExpression start("TRACK \\d\\d AUDIO\\s+INDEX 01 (\\d+)");
        for (auto it = start.globalMatch(QString::fromLatin1(out)); it.hasNext();)
            inside << it.next().captured(1).toDouble();
        QVERIFY(out.contains("REM FLAC__lead-out 255 "));
        QCOMPARE(runTool("flac", {"-t", "-s", path}, &out), QString());
    }
    QCOMPARE(inside.size(), truth.size());
    for (int k = 0; k < truth.size(); ++k) {
        const double distance = std::abs(inside[k] - truth[k]);
        if (distance > largest) {
            largest = distance;
            largestAt = rate;
        }
        QVERIFY2(distance <= tolerance,
                 qPrintable(QString("track %1 at %2, joins at %3").arg(k + 1).arg(inside[k]).arg(truth[k])));
    }
}

} // namespace testzone
