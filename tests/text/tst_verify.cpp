// Verification: tracks written into zones, clean or with one kind of damage each, are
// read and decoded without writing a file, and the check names the kind of damage and
// when in the track it first shows.
#include <QJsonArray>
#include <QJsonObject>
#include <QtTest>

#include "text/checkreport.h"
#include "testzone/damagedtrack.h"
#include "zone/dvdazone.h"

class TestVerify : public QObject {
    Q_OBJECT

private slots:
    // kinds: the counts of the check's JSON that are not 0; every other one is.
    void verify_data()
    {
        QTest::addColumn<bool>("mlp");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("kinds");
        QTest::newRow("MLP clean") << true << "" << QStringList();
        QTest::newRow("MLP audio byte flipped")
            << true << "flip audio" << QStringList{"parity", "checksum", "losslessCheck"};
        QTest::newRow("MLP major sync checksum flipped")
            << true << "flip major sync checksum"
            << QStringList{"majorSyncChecksum", "undecodableAccessUnit"};
        QTest::newRow("MLP AOB truncated") << true << "truncate" << QStringList{"unreadableBlocks"};
        QTest::newRow("PCM clean") << false << "" << QStringList();
        QTest::newRow("PCM stream header changed")
            << false << "change header" << QStringList{"headerMismatches"};
        QTest::newRow("PCM pack missing") << false << "zero pack" << QStringList{"sequenceGaps"};
        QTest::newRow("PCM AOB truncated") << false << "truncate" << QStringList{"unreadableBlocks"};
    }

    void verify()
    {
        QFETCH(bool, mlp);
        QFETCH(QString, damage);
        QFETCH(QStringList, kinds);
        const DamagedTrack t(mlp, damage);
        const ObjectCheck check = t.verify();
        QCOMPARE(check.result, ResultCode::Succeeded);
        QCOMPARE(check.files, QStringList()); // nothing written
        QCOMPARE(check.object, static_cast<const DVDAObject *>(t.track()));
        const QJsonObject json = checkJson("1/1/1", check);
        QCOMPARE(json.value("status").toString(), kinds.isEmpty() ? "ok" : "damaged");
        QVariantMap counts = json.value("decoderErrors").toObject().toVariantMap();
        for (const char *key : {"unreadableBlocks", "headerMismatches", "sequenceGaps"})
            counts.insert(key, json.value(key).toInt());
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            QVERIFY2((it.value().toInt() > 0) == kinds.contains(it.key()), qPrintable(it.key()));
        // Every block that could be read was, and every unit (MLP) or pack (PCM) in them.
        QCOMPARE(check.blocksRead, t.readablePacks);
        if (damage.isEmpty())
            QCOMPARE(check.units, t.units);
        // Audio the decoder could not give is made up with silence of its length, and named.
        const bool lost = damage == "flip major sync checksum";
        QCOMPARE(json.value("silenced").toArray().isEmpty(), !lost);
        QCOMPARE(problemsText(check).contains("lost audio made up with silence: "), lost);
        QVERIFY2(qAbs(check.firstProblemMs - t.damageMs) <= (damage.isEmpty() ? 0 : t.unitMs),
                 qPrintable(QString("at %1 ms, not %2").arg(check.firstProblemMs).arg(t.damageMs)));
    }

    // A stream this program cannot decode yet is neither damaged nor failed: its own
    // status, counted apart, and the reason with --store as the way out.
    void notDecodable()
    {
        ObjectCheck check;
        check.mlp = true;
        check.result = ResultCode::MlpGroupRates;
        check.where = "group 1 at 96000 Hz, group 2 at 48000 Hz";
        QCOMPARE(checkLine("1/1/1", check),
                 QString("1/1/1  MLP  NOT DECODABLE  Cannot decode MLP whose channel groups run at different "
                         "sample rates; --store keeps the stream. (group 1 at 96000 Hz, group 2 at 48000 Hz)"));
        ObjectCheck ok;
        ok.mlp = true;
        QCOMPARE(checkSummary({ok, check}), QString("2 objects verified: 1 ok, 0 damaged, 0 failed, 1 not decodable"));
        QCOMPARE(checkJson("1/1/1", check).value("status").toString(), QString("notDecodable"));
        QCOMPARE(checkCounts({ok, check}).value("notDecodable").toInt(), 1);
        QVERIFY(!allClean({ok, check}));
    }
};

QTEST_GUILESS_MAIN(TestVerify)
#include "tst_verify.moc"
