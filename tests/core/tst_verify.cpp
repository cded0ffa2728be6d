// Verification: tracks written into zones, clean or with one kind of damage each, are
// read and decoded without writing a file, and the check names the damage, its kind
// and when in the track it first shows. A conversion of a damaged track counts the
// same and names its files.
#include <QDir>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "dump/checkreport.h"
#include "extract/extractoptions.h"
#include "extract/extractresult.h"
#include "testzone/damagedtrack.h"
#include "zone/dvdazone.h"

using damagedtrack::DamagedTrack;

namespace {

// The count under a key of the check's JSON, decoder errors included.
int countOf(const QJsonObject &json, const QString &key)
{
    const QJsonObject errors = json.value("decoderErrors").toObject();
    return errors.contains(key) ? errors.value(key).toInt() : json.value(key).toInt();
}

} // namespace

class TestVerify : public QObject {
    Q_OBJECT

private slots:
    // kinds: the counts that must not be 0; every other count is.
    void verify_data()
    {
        QTest::addColumn<bool>("mlp");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("kinds");
        QTest::newRow("MLP clean") << true << "" << "ok" << QStringList();
        QTest::newRow("MLP audio byte flipped") << true << "flip audio" << "damaged"
                                                << QStringList{"parity", "checksum", "losslessCheck"};
        QTest::newRow("MLP major sync checksum flipped")
            << true << "flip major sync checksum" << "damaged"
            << QStringList{"majorSyncChecksum", "undecodableAccessUnit"};
        QTest::newRow("MLP AOB truncated") << true << "truncate" << "damaged"
                                           << QStringList{"unreadableBlocks"};
        QTest::newRow("PCM clean") << false << "" << "ok" << QStringList();
        QTest::newRow("PCM stream header changed") << false << "change header" << "damaged"
                                                   << QStringList{"headerMismatches"};
        QTest::newRow("PCM pack missing") << false << "zero pack" << "damaged"
                                          << QStringList{"sequenceGaps"};
        QTest::newRow("PCM AOB truncated") << false << "truncate" << "damaged"
                                           << QStringList{"unreadableBlocks"};
    }

    void verify()
    {
        QFETCH(bool, mlp);
        QFETCH(QString, damage);
        QFETCH(QString, status);
        QFETCH(QStringList, kinds);
        const DamagedTrack t(mlp, damage);
        QTemporaryDir out;
        const ObjectCheck check = t.run(out.filePath("t"), ModeVerify);
        QCOMPARE(resultMessage(check.result), resultMessage(0));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList()); // nothing written
        QCOMPARE(check.object, static_cast<const DVDAObject *>(t.track()));
        const QJsonObject json = checkJson("1/1/1", check);
        QCOMPARE(json.value("status").toString(), status);
        const QStringList keys = json.value("decoderErrors").toObject().keys()
                               + QStringList{"unreadableBlocks", "headerMismatches", "sequenceGaps"};
        for (const QString &key : keys)
            QVERIFY2((countOf(json, key) > 0) == kinds.contains(key), qPrintable(key));
        // Every unit (MLP) or pack (PCM) of what could be read was seen.
        QCOMPARE(check.blocksRead, qint64(t.readablePacks()));
        if (mlp && damage.isEmpty())
            QCOMPARE(check.units, qint64(damagedtrack::unitStarts(t.stream).size() - 1));
        if (!mlp)
            QCOMPARE(check.units + check.sequenceGaps, qint64(t.readablePacks()));
        if (t.damageAt < 0) {
            QCOMPARE(check.firstProblemMs, qint64(-1));
            return;
        }
        QVERIFY2(qAbs(check.firstProblemMs - t.msAt(t.damageAt)) <= t.tolerance(),
                 qPrintable(QString("%1 ms, damage at %2 ms")
                                .arg(check.firstProblemMs)
                                .arg(t.msAt(t.damageAt))));
    }

    // A conversion counts what the decoder reports whether or not it recovers, and
    // names every file of a damaged track; its files are written all the same.
    void convertNamesDamagedFiles_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("recover");
        QTest::addColumn<int>("lines");
        QTest::newRow("clean") << "" << false << 0;
        QTest::newRow("damaged") << "flip audio" << false << 1;
        QTest::newRow("damaged, recovering") << "flip audio" << true << 1;
    }

    void convertNamesDamagedFiles()
    {
        QFETCH(QString, damage);
        QFETCH(bool, recover);
        QFETCH(int, lines);
        const DamagedTrack t(true, damage);
        QTemporaryDir out;
        const ObjectCheck check = t.run(out.filePath("t"), ModeConvert, recover);
        QCOMPARE(resultMessage(check.result), resultMessage(0));
        const QString file = out.filePath("t-[L-R]-16-48000.wav");
        QCOMPARE(check.files, QStringList{file});
        QVERIFY(QFile::exists(file));
        const QStringList named = damagedFileLines({check});
        QCOMPARE(named.size(), lines);
        for (const QString &line : named)
            QVERIFY2(line.startsWith("Damaged file: " + file + ": ") && line.contains("parity"),
                     qPrintable(line));
    }

    // The line and summary the command line prints and the window copies.
    void lines_data()
    {
        QTest::addColumn<bool>("mlp");
        QTest::addColumn<QList<int>>("errors"); // by kind, in DecoderMessages' order
        QTest::addColumn<int>("unreadable");
        QTest::addColumn<qint64>("firstMs");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("line");
        QTest::newRow("ok") << true << QList<int>() << 0 << qint64(-1) << 0
                            << "1/1/3  MLP  ok  28512 access units";
        QTest::newRow("damaged") << true << QList<int>{2, 0, 1} << 0 << qint64(161237) << 0
            << "1/1/3  MLP  DAMAGED  3 errors (2 parity, 1 lossless check), first at 00:02:41.237";
        QTest::newRow("unreadable PCM") << false << QList<int>() << 1 << qint64(3723004) << 0
            << "1/1/3  PCM  DAMAGED  1 error (1 unreadable block), first at 01:02:03.004";
        QTest::newRow("failed") << true << QList<int>() << 0 << qint64(-1) << int(ErrInitMlpDecoder)
            << "1/1/3  MLP  FAILED  " + resultMessage(ErrInitMlpDecoder);
    }

    void lines()
    {
        QFETCH(bool, mlp);
        QFETCH(QList<int>, errors);
        QFETCH(int, unreadable);
        QFETCH(qint64, firstMs);
        QFETCH(int, result);
        QFETCH(QString, line);
        ObjectCheck check;
        check.mlp = mlp;
        check.units = 28512;
        for (int k = 0; k < errors.size(); ++k)
            check.errors[k] = errors[k];
        check.unreadableBlocks = unreadable;
        check.firstProblemMs = firstMs;
        check.result = result;
        QCOMPARE(checkLine("1/1/3", check), line);
        const bool clean = line.contains("  ok  ");
        QCOMPARE(allClean({check}), clean);
        QCOMPARE(checkSummary({check, ObjectCheck()}),
                 QString("2 objects verified: %1 ok, %2 damaged, %3 failed")
                     .arg(clean ? 2 : 1)
                     .arg(line.contains("DAMAGED") ? 1 : 0)
                     .arg(result != 0 ? 1 : 0));
    }
};

QTEST_GUILESS_MAIN(TestVerify)
#include "tst_verify.moc"
