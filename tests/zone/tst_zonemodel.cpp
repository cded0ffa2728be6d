// The zone as a whole: the audio manager checks, one titleset per number, the parent and
// position of every node, and the computed block ranges and durations of the tree.
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>
#include <type_traits>

#include "base/result.h"
#include "testzone/testzone.h"
#include "zone/dvdazone.h"
#include "zone/objectpath.h"
#include "zone/zonewalk.h"

using namespace testzone;

namespace {

// A titleset with one title of one track with one index over its single AOB block.
Titleset smallTitleset()
{
    Titleset titleset;
    titleset.info.titles.push_back(makeTitle({{90000, {{0, 0}}}}));
    titleset.aobFiles.push_back(AobFile::ofBytes(numberedBlocks(0, 1)));
    return titleset;
}

struct Opened {
    explicit Opened(const Zone &description) : folder(description)
    {
        if (folder.ok())
            zone = std::make_unique<DVDAZone>(QDir(folder.path()));
    }
    ZoneFolder folder;
    std::unique_ptr<DVDAZone> zone;
};

// The place of the node and of each node above it among its parent's children, found by
// going up from the node.
void checkPositions(const DVDAObject *node, int titleset, int title, int track, int index)
{
    const ObjectPath path = objectPath(node);
    const auto place = [](const DVDAObject *level) { return level ? level->position() : -1; };
    QCOMPARE(place(path.titleset), titleset);
    QCOMPARE(place(path.title), title);
    QCOMPARE(place(path.track), track);
    QCOMPARE(place(path.index), index);
}

// A node that owns children cannot be copied: the copy would delete them a second time.
static_assert(!std::is_copy_constructible_v<DVDAZone> && !std::is_copy_assignable_v<DVDAZone>);
static_assert(!std::is_copy_constructible_v<DVDATitleset>);
static_assert(!std::is_copy_constructible_v<DVDATitle> && !std::is_copy_assignable_v<DVDATitle>);
static_assert(!std::is_copy_constructible_v<DVDATrack> && !std::is_copy_assignable_v<DVDATrack>);

} // namespace

class ZoneModel : public QObject {
    Q_OBJECT

private slots:
    void formatPtsTimeRoundsToNearestSecond_data();
    void formatPtsTimeRoundsToNearestSecond();
    void managerFileIsChecked_data();
    void managerFileIsChecked();
    void countAbove99IsClamped();
    void missingTitlesetKeepsItsPlace();
    void everyNodeKnowsItsPosition();
    void nodesBelongToTheirOwnZone();
    void trackBlocksComeFromItsIndexes();
    void indexDurationIsShareOfTrack_data();
    void indexDurationIsShareOfTrack();
    void startsInTheTitle_data();
    void startsInTheTitle();
    void walkListsWhatTheTreeShows_data();
    void walkListsWhatTheTreeShows();
};

void ZoneModel::formatPtsTimeRoundsToNearestSecond_data()
{
    QTest::addColumn<quint32>("pts");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0u << "00:00:00";
    QTest::newRow("just under half a second") << 44999u << "00:00:00";
    QTest::newRow("half a second rounds up") << 45000u << "00:00:01";
    QTest::newRow("59.5 s carries into minutes") << 5355000u << "00:01:00";
    QTest::newRow("3661 s") << 329490000u << "01:01:01";
    QTest::newRow("largest tick count") << 0xFFFFFFFFu << "13:15:22";
}

void ZoneModel::formatPtsTimeRoundsToNearestSecond()
{
    QFETCH(quint32, pts);
    QFETCH(QString, text);
    QCOMPARE(formatPtsTime(pts), text);
}

void ZoneModel::managerFileIsChecked_data()
{
    QTest::addColumn<Manager>("manager");
    QTest::addColumn<int>("titlesets");

    Manager valid;
    QTest::newRow("valid") << valid << 2;
    Manager missing;
    missing.present = false;
    QTest::newRow("missing file") << missing << 0;
    Manager exact = valid;
    exact.tweaks.size = 510;
    QTest::newRow("exactly 510 bytes") << exact << 2;
    Manager shortFile = valid;
    shortFile.tweaks.size = 509;
    QTest::newRow("509 bytes") << shortFile << 0;
    Manager lastChar = valid;
    lastChar.magic = "DVDAUDIO-AMH";
    QTest::newRow("wrong 12th magic character") << lastChar << 0;
    Manager firstChar = valid;
    firstChar.magic = "dVDAUDIO-AMG";
    QTest::newRow("wrong 1st magic character") << firstChar << 0;
    Manager none = valid;
    none.titlesetCount = 0;
    QTest::newRow("count 0") << none << 0;
    Manager one = valid;
    one.titlesetCount = 1;
    QTest::newRow("count 1 of 2 files") << one << 1;
}

void ZoneModel::managerFileIsChecked()
{
    QFETCH(Manager, manager);
    QFETCH(int, titlesets);

    Zone description;
    description.manager = manager;
    description.titlesets = {smallTitleset(), smallTitleset()};
    Opened opened(description);
    QVERIFY(opened.zone);
    QCOMPARE(int(opened.zone->titlesets.size()), titlesets);
    QCOMPARE(opened.zone->titlesetCount, titlesets);
    QCOMPARE(opened.zone->kind(), int(KindZone));
    checkPositions(opened.zone.get(), -1, -1, -1, -1);
}

void ZoneModel::countAbove99IsClamped()
{
    Zone description;
    description.manager.titlesetCount = 200;
    description.titlesets.assign(98, Titleset::absent());
    description.titlesets.push_back(smallTitleset());
    Opened opened(description);
    QVERIFY(opened.zone);
    QCOMPARE(opened.zone->titlesetCount, 99);
    QCOMPARE(int(opened.zone->titlesets.size()), 99);
    const DVDATitleset *last = opened.zone->titlesets.back();
    QCOMPARE(last->number, 99);
    QCOMPARE(last->position(), 98);
    QCOMPARE(last->parent(), opened.zone.get());
    QCOMPARE(last->contentKind, TitlesetAudio);
    QCOMPARE(int(last->titles.size()), 1);
    QCOMPARE(opened.zone->titlesets[97]->contentKind, TitlesetUnknown);
}

void ZoneModel::missingTitlesetKeepsItsPlace()
{
    Zone description;
    description.titlesets = {smallTitleset(), smallTitleset(), smallTitleset()};
    description.titlesets[1].info.present = false; // its AOB file is still there
    Opened opened(description);
    QVERIFY(opened.zone);
    const auto &titlesets = opened.zone->titlesets;
    QCOMPARE(int(titlesets.size()), 3);
    for (int p = 0; p < 3; ++p) {
        QCOMPARE(titlesets[p]->number, p + 1);
        QCOMPARE(titlesets[p]->kind(), int(KindTitleset));
        checkPositions(titlesets[p], p, -1, -1, -1);
    }
    QCOMPARE(titlesets[0]->contentKind, TitlesetAudio);
    QCOMPARE(titlesets[2]->contentKind, TitlesetAudio);
    QCOMPARE(int(titlesets[0]->titles.size()), 1);
    QCOMPARE(int(titlesets[2]->titles.size()), 1);

    DVDATitleset *broken = titlesets[1];
    QCOMPARE(broken->contentKind, TitlesetUnknown);
    QVERIFY(broken->titles.empty());
    for (const AobFileEntry &row : broken->aobFiles)
        QVERIFY(!row.present);
    quint8 block[BLOCK_BYTES];
    QCOMPARE(titlesets[1]->readBlock(0, block), ResultCode::BlockNotFound);
    QCOMPARE(titlesets[2]->readBlock(0, block), ResultCode::Succeeded);
    QVERIFY(isNumberedBlock(block, 0));
}

void ZoneModel::everyNodeKnowsItsPosition()
{
    Zone description;
    Titleset first;
    first.info.titles.push_back(makeTitle({{100, {{0, 1}, {2, 3}}}, {100, {{4, 5}}}}));
    first.info.titles.push_back(makeTitle({{100, {}}, {100, {{6, 6}, {7, 7}, {8, 8}}}}));
    Titleset second;
    second.info.titles.push_back(makeTitle({{100, {{0, 0}}}, {100, {{1, 1}}}, {100, {{2, 2}, {3, 3}}}}));
    description.titlesets = {first, second};
    Opened opened(description);
    QVERIFY(opened.zone);

    int nodes = 0;
    const auto &titlesets = opened.zone->titlesets;
    QCOMPARE(int(titlesets.size()), 2);
    for (int a = 0; a < int(titlesets.size()); ++a) {
        checkPositions(titlesets[a], a, -1, -1, -1);
        const auto &titles = titlesets[a]->titles;
        for (int b = 0; b < int(titles.size()); ++b) {
            QCOMPARE(titles[b]->kind(), int(KindTitle));
            checkPositions(titles[b], a, b, -1, -1);
            const auto &tracks = titles[b]->tracks;
            for (int k = 0; k < int(tracks.size()); ++k) {
                QCOMPARE(tracks[k]->kind(), int(KindTrack));
                checkPositions(tracks[k], a, b, k, -1);
                const auto &indexes = tracks[k]->indexes;
                for (int d = 0; d < int(indexes.size()); ++d) {
                    QCOMPARE(indexes[d]->kind(), int(KindIndex));
                    checkPositions(indexes[d], a, b, k, d);
                    ++nodes;
                }
                ++nodes;
            }
            ++nodes;
        }
    }
    // 3 titles, 7 tracks, 10 indexes: the walk saw every node the table describes.
    QCOMPARE(nodes, 20);
}

void ZoneModel::nodesBelongToTheirOwnZone()
{
    Zone description;
    description.titlesets = {smallTitleset()};
    ZoneFolder folder(description);
    QVERIFY(folder.ok());
    // Two zones of the same files: going up from a node always reaches its own zone.
    const DVDAZone older{QDir(folder.path())}, newer{QDir(folder.path())};
    for (const DVDAZone *zone : {&older, &newer}) {
        const DVDASectorPointer *index = zone->titlesets[0]->titles[0]->tracks[0]->indexes[0];
        QCOMPARE(index->ancestor(KindZone), static_cast<const DVDAObject *>(zone));
        QCOMPARE(index->titleset(), zone->titlesets[0]);
        QCOMPARE(zone->parent(), nullptr);
        QCOMPARE(zone->titleset(), nullptr);
    }
    // A zone without a manager file has no titleset.
    QTemporaryDir empty;
    DVDAZone nothing{QDir(empty.path())};
    QVERIFY(nothing.titlesets.empty());
}

void ZoneModel::trackBlocksComeFromItsIndexes()
{
    Zone description;
    Titleset &titleset = description.titlesets.emplace_back();
    // Track 1 lists its indexes out of block order, track 2 has none.
    titleset.info.titles.push_back(makeTitle({{300, {{20, 29}, {0, 9}, {10, 19}}}, {135000, {}}}));
    Opened opened(description);
    QVERIFY(opened.zone);
    const auto &tracks = opened.zone->titlesets[0]->titles[0]->tracks;
    QCOMPARE(tracks[0]->firstBlock(), 0u);
    QCOMPARE(tracks[0]->lastBlock(), 29u);
    QCOMPARE(tracks[0]->timePts(), 300u);
    QVERIFY(tracks[1]->indexes.empty());
    QCOMPARE(tracks[1]->firstBlock(), 0u);
    QCOMPARE(tracks[1]->lastBlock(), 0u);
    QCOMPARE(tracks[1]->timeText(), QString("00:00:02"));
}

void ZoneModel::indexDurationIsShareOfTrack_data()
{
    QTest::addColumn<quint32>("trackPts");
    QTest::addColumn<std::vector<IndexEntry>>("indexes");
    QTest::addColumn<QList<quint32>>("durations");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("quarter and rest") << 900000u << std::vector<IndexEntry>{{0, 24}, {25, 99}}
        << QList<quint32>{225000, 675000} << QStringList{"00:00:03", "00:00:08"};
    QTest::newRow("thirds truncate") << 100u << std::vector<IndexEntry>{{5, 5}, {6, 6}, {7, 7}}
        << QList<quint32>{33, 33, 33} << QStringList{"00:00:00", "00:00:00", "00:00:00"};
    // The product needs more than 32 bits.
    QTest::newRow("wide product") << 4000000000u
        << std::vector<IndexEntry>{{0, 2999999998u}, {2999999999u, 2999999999u}}
        << QList<quint32>{3999999998u, 1} << QStringList{"12:20:44", "00:00:00"};
    QTest::newRow("zero-span track") << 90000u << std::vector<IndexEntry>{{10, 9}}
        << QList<quint32>{0} << QStringList{"00:00:00"};
}

void ZoneModel::indexDurationIsShareOfTrack()
{
    QFETCH(quint32, trackPts);
    QFETCH(std::vector<IndexEntry>, indexes);
    QFETCH(QList<quint32>, durations);
    QFETCH(QStringList, texts);

    Zone description;
    Titleset &titleset = description.titlesets.emplace_back();
    // A first title pushes the track to titlePos 1, so lookup by position is exercised.
    titleset.info.titles.push_back(makeTitle({{7, {{0, 0}}}}));
    titleset.info.titles.push_back(makeTitle({{1, {{0, 0}}}, {trackPts, indexes}}));
    Opened opened(description);
    QVERIFY(opened.zone);
    const DVDATrack *track = opened.zone->titlesets[0]->titles[1]->tracks[1];
    QCOMPARE(int(track->indexes.size()), durations.size());
    for (int d = 0; d < durations.size(); ++d) {
        QCOMPARE(track->indexes[d]->timePts(), durations[d]);
        QCOMPARE(track->indexes[d]->timeText(), texts[d]);
    }
}

void ZoneModel::startsInTheTitle_data()
{
    QTest::addColumn<QList<quint32>>("unused"); // track record bytes 6-9, which the format leaves unused
    // Track 1 has two indexes of 10 and 30 blocks, so its second begins a quarter in.
    // Whatever those bytes hold, each track begins where the lengths before it end.
    QTest::newRow("zeros") << QList<quint32>{0, 0, 0};
    QTest::newRow("one value for every track") << QList<quint32>{0x249, 0x249, 0x249};
    QTest::newRow("times that disagree") << QList<quint32>{5000, 405000, 905000};
}

void ZoneModel::startsInTheTitle()
{
    QFETCH(QList<quint32>, unused);

    Zone description;
    Titleset &titleset = description.titlesets.emplace_back();
    const Title title = makeTitle({{400000, {{0, 9}, {10, 39}}}, {300000, {{40, 49}}}, {90000, {{50, 59}}}});
    titleset.info.titles.push_back(title);
    for (int k = 0; k < unused.size(); ++k) {
        QByteArray bytes(4, '\0');
        qToBigEndian<quint32>(unused[k], bytes.data());
        titleset.info.tweaks.patches.push_back(
            {TITLE_TABLE_AT + titleRecordOffset(titleset.info, 0) + 16 + 20 * k + 6, bytes});
    }
    Opened opened(description);
    QVERIFY(opened.zone);
    QList<quint64> tracks, indexes;
    for (const DVDATrack *track : opened.zone->titlesets[0]->titles[0]->tracks) {
        tracks << track->titleStartPts();
        for (const DVDASectorPointer *index : track->indexes)
            indexes << index->titleStartPts();
    }
    QCOMPARE(tracks, (QList<quint64>{0, 400000, 700000}));
    QCOMPARE(indexes, (QList<quint64>{0, 100000, 400000, 700000}));
}

void ZoneModel::walkListsWhatTheTreeShows_data()
{
    QTest::addColumn<bool>("allNodes");
    QTest::addColumn<QStringList>("visits");
    // depth, kind, listed; and for the titleset, title and track on the path their numbers.
    QTest::newRow("listed only") << false
        << QStringList{"0 6 1 - - -", "1 5 1 1 - -", "2 4 1 1 3 -", "3 3 1 1 3 1",
                       "4 2 1 1 3 1", "1 5 1 3 - -"};
    QTest::newRow("all nodes") << true
        << QStringList{"0 6 1 - - -", "1 5 1 1 - -", "2 4 1 1 3 -", "3 3 1 1 3 1",
                       "4 2 1 1 3 1", "1 5 0 2 - -", "1 5 1 3 - -", "2 4 0 3 1 -",
                       "3 3 0 3 1 1", "4 2 0 3 1 1"};
}

// An audio titleset with all its nodes, an unreadable one left out, a video one without
// its titles: the walk gives each node with the path down to it.
void ZoneModel::walkListsWhatTheTreeShows()
{
    QFETCH(bool, allNodes);
    QFETCH(QStringList, visits);
    Zone description;
    Titleset &audio = description.titlesets.emplace_back(smallTitleset());
    audio.info.titles[0].titleId = 3;
    description.titlesets.push_back(Titleset::absent());
    Titleset &video = description.titlesets.emplace_back(smallTitleset());
    video.info.videoObjects = 1;
    video.aobFiles.clear(); // its objects are in VIDEO_TS
    Opened opened(description);
    QVERIFY(opened.zone);
    const auto number = [](bool present, int value) {
        return present ? QString::number(value) : QStringLiteral("-");
    };
    QStringList seen;
    bool within = true;
    walkZone(opened.zone.get(), [&](const ZoneNode &node) {
        const ObjectPath &p = node.path;
        seen << QStringLiteral("%1 %2 %3 ").arg(node.depth).arg(node.object->kind()).arg(int(node.listed))
                    + number(p.titleset, p.titleset ? p.titleset->number : 0) + QLatin1Char(' ')
                    + number(p.title, p.title ? p.title->number() : 0) + QLatin1Char(' ')
                    + number(p.track, p.track ? p.track->number : 0);
        within = within && node.within(opened.zone.get()) && node.within(node.object);
    }, allNodes);
    QCOMPARE(seen, visits);
    QVERIFY(within);
}

QTEST_GUILESS_MAIN(ZoneModel)
#include "tst_zonemodel.moc"
