// A zone of 2 titlesets, 3 titles and 20 tracks opened in the window: every label of the
// tree as a user reads it, and how long opening takes.
#include <QElapsedTimer>
#include <QtTest>

#include "window/mainwindow.h"
#include "window/zonetreeview.h"
#include "guitest.h"
#include "guizones.h"

namespace {

// Titleset 1: title 1 with 8 tracks, title 2 with 7; titleset 2: title 1 with 5.
// Every track is 61 s long over 2 blocks of PCM, with one index.
std::vector<testzone::TrackSpan> tracksFrom(quint32 firstBlock, int count)
{
    std::vector<testzone::TrackSpan> tracks;
    for (int t = 0; t < count; ++t) {
        const quint32 first = firstBlock + 2 * t;
        tracks.push_back({61 * guizones::SECOND, {{first, first + 1}}});
    }
    return tracks;
}

testzone::Titleset titlesetOf(const std::vector<int> &trackCounts)
{
    testzone::Titleset titleset;
    quint32 block = 0;
    for (int count : trackCounts) {
        titleset.info.titles.push_back(testzone::makeTitle(tracksFrom(block, count)));
        block += 2 * count;
    }
    QByteArray aob;
    for (quint32 b = 0; b < block; ++b)
        aob += guizones::pcmPack();
    titleset.aobFiles.push_back(testzone::AobFile::ofBytes(aob));
    return titleset;
}

} // namespace

class TestLargeZone : public QObject {
    Q_OBJECT

    QTemporaryDir settingsDir;

private slots:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid());
        guitest::redirectSettings(settingsDir.path());
    }

    void twentyTracksShowWithTheirLabels()
    {
        testzone::Zone description;
        description.titlesets.push_back(titlesetOf({8, 7}));
        description.titlesets.push_back(titlesetOf({5}));
        testzone::ZoneFolder folder(description);
        QVERIFY(folder.ok());

        MainWindow window;
        window.setupWindow();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QElapsedTimer clock;
        clock.start();
        window.open(QDir(folder.path()));
        qInfo("opening the zone of 20 tracks in the window took %lld ms", clock.elapsed());

        const QAbstractItemModel *nodes = window.treeView()->model();
        QCOMPARE(nodes->rowCount(), 1);
        const QModelIndex zoneNode = nodes->index(0, 0);
        QCOMPARE(zoneNode.data().toString(), QStringLiteral("AUDIO_TS.IFO"));
        QCOMPARE(nodes->rowCount(zoneNode), 2);

        const std::vector<std::vector<int>> layout = {{8, 7}, {5}};
        int tracksSeen = 0;
        for (int ts = 0; ts < 2; ++ts) {
            const QModelIndex titlesetNode = nodes->index(ts, 0, zoneNode);
            QCOMPARE(titlesetNode.data().toString(), QStringLiteral("ATS_%1_0.IFO - Audio").arg(ts + 1, 2, 10, QLatin1Char('0')));
            QCOMPARE(nodes->rowCount(titlesetNode), int(layout[ts].size()));
            for (int ti = 0; ti < int(layout[ts].size()); ++ti) {
                const int count = layout[ts][ti];
                const QModelIndex titleNode = nodes->index(ti, 0, titlesetNode);
                // 61 s per track: the title's length is the sum.
                const int seconds = 61 * count;
                QCOMPARE(titleNode.data().toString(),
                         QString::asprintf("Title %02d[0] - 00:%02d:%02d - %d tracks", ti + 1,
                                           seconds / 60, seconds % 60, count));
                QCOMPARE(nodes->rowCount(titleNode), count);
                for (int tr = 0; tr < count; ++tr, ++tracksSeen) {
                    const QModelIndex trackNode = nodes->index(tr, 0, titleNode);
                    QCOMPARE(trackNode.data().toString(),
                             QString::asprintf("Track %02d - 00:01:01", tr + 1));
                    QCOMPARE(nodes->rowCount(trackNode), 1);
                    // Indexes are numbered through the title.
                    QCOMPARE(nodes->index(0, 0, trackNode).data().toString(),
                             QString::asprintf("%02d - 00:01:01", tr + 1));
                }
            }
        }
        QCOMPARE(tracksSeen, 20);
    }
};

QTEST_MAIN(TestLargeZone)
#include "tst_largezone.moc"
