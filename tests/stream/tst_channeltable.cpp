// The channel assignment table as streams see it: names per group, masks, output order.
#include <QtTest>

#include <memory>

#include "stream/channeltable.h"
#include "stream/packetreader.h"
#include "testzone/packs.h"

namespace {

// A record as a PCM stream with this channel assignment fills it.
std::unique_ptr<StreamInfo> streamWith(int assignment)
{
    const QByteArray bytes =
        packs::pack({packs::privatePacket(packs::pcmSubStreamHeader({0x00, 0x00, assignment})
                                          + QByteArray(64, char(0x11)))});
    auto info = std::make_unique<StreamInfo>();
    readStreamInfo(*info, reinterpret_cast<const quint8 *>(bytes.constData()), 1);
    return info;
}

} // namespace

class TestChannelTable : public QObject {
    Q_OBJECT

private slots:
    void describe_data();
    void describe();
    void outputOrderOfSurroundFirstIds_data();
    void outputOrderOfSurroundFirstIds();
    void outOfRange();
};

void TestChannelTable::describe_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("group1");
    QTest::addColumn<QString>("group2");
    QTest::addColumn<QString>("all"); // output order
    QTest::addColumn<int>("mask1");
    QTest::addColumn<int>("mask2");

    const struct {
        const char *group1, *group2, *all;
        int mask1, mask2;
    } rows[] = {
        {"M", "None", "None", 0x4, 0},
        {"L-R", "None", "None", 0x3, 0},
        {"Lf-Rf", "S", "Lf-Rf-S", 0x3, 0x100},
        {"Lf-Rf", "Ls-Rs", "Lf-Rf-Ls-Rs", 0x3, 0x30},
        {"Lf-Rf", "LFE", "Lf-Rf-LFE", 0x3, 0x8},
        {"Lf-Rf", "LFE-S", "Lf-Rf-LFE-S", 0x3, 0x108},
        {"Lf-Rf", "LFE-Ls-Rs", "Lf-Rf-LFE-Ls-Rs", 0x3, 0x38},
        {"Lf-Rf", "C", "Lf-Rf-C", 0x3, 0x4},
        {"Lf-Rf", "C-S", "Lf-Rf-C-S", 0x3, 0x104},
        {"Lf-Rf", "C-Ls-Rs", "Lf-Rf-C-Ls-Rs", 0x3, 0x34},
        {"Lf-Rf", "C-LFE", "Lf-Rf-C-LFE", 0x3, 0xC},
        {"Lf-Rf", "C-LFE-S", "Lf-Rf-C-LFE-S", 0x3, 0x10C},
        {"Lf-Rf", "C-LFE-Ls-Rs", "Lf-Rf-C-LFE-Ls-Rs", 0x3, 0x3C},
        {"Lf-Rf-C", "S", "Lf-Rf-C-S", 0x7, 0x100},
        {"Lf-Rf-C", "Ls-Rs", "Lf-Rf-C-Ls-Rs", 0x7, 0x30},
        {"Lf-Rf-C", "LFE", "Lf-Rf-C-LFE", 0x7, 0x8},
        {"Lf-Rf-C", "LFE-S", "Lf-Rf-C-LFE-S", 0x7, 0x108},
        {"Lf-Rf-C", "LFE-Ls-Rs", "Lf-Rf-C-LFE-Ls-Rs", 0x7, 0x38},
        {"Lf-Rf-Ls-Rs", "LFE", "Lf-Rf-LFE-Ls-Rs", 0x33, 0x8},
        {"Lf-Rf-Ls-Rs", "C", "Lf-Rf-C-Ls-Rs", 0x33, 0x4},
        {"Lf-Rf-Ls-Rs", "C-LFE", "Lf-Rf-C-LFE-Ls-Rs", 0x33, 0xC},
    };
    for (int id = 0; id < CHANNEL_ASSIGNMENTS; ++id)
        QTest::addRow("id %d", id) << id << QString::fromLatin1(rows[id].group1)
                                   << QString::fromLatin1(rows[id].group2)
                                   << QString::fromLatin1(rows[id].all) << rows[id].mask1
                                   << rows[id].mask2;
}

void TestChannelTable::describe()
{
    QFETCH(int, id);
    QFETCH(QString, group1);
    QFETCH(QString, group2);
    QFETCH(QString, all);
    QFETCH(int, mask1);
    QFETCH(int, mask2);

    const auto info = streamWith(id);
    int m1 = -1, m2 = -1;
    QString n1, n2, names;
    describeChannels(*info, &m1, &m2, &n1, &n2, &names);
    QCOMPARE(n1, group1);
    QCOMPARE(n2, group2);
    QCOMPARE(names, all);
    QCOMPARE(m1, mask1);
    QCOMPARE(m2, mask2);
    QVERIFY(names.size() <= 17);
    // Every output is optional.
    describeChannels(*info, nullptr, nullptr, nullptr, nullptr, nullptr);

    // Channel by channel, in stream order, the same names and bits; output positions
    // follow the mask bits and cover each place once.
    const int g1 = group1 == QLatin1String("None") ? 0 : int(group1.count(u'-')) + 1;
    const int g2 = group2 == QLatin1String("None") ? 0 : int(group2.count(u'-')) + 1;
    QCOMPARE(info->group1Channels, g1);
    QCOMPARE(info->group2Channels, g2);
    QStringList streamNames, outputNames(g1 + g2);
    int bits1 = 0, bits2 = 0;
    for (int n = 0; n < g1 + g2; ++n) {
        streamNames << channelName(*info, n);
        (n < g1 ? bits1 : bits2) |= channelMask(*info, n);
        const int place = channelOrder(*info, n);
        QVERIFY(place >= 0 && place < g1 + g2);
        QVERIFY(outputNames[place].isEmpty());
        outputNames[place] = channelName(*info, n);
    }
    QCOMPARE(streamNames.join(u'-'), g2 ? group1 + u'-' + group2 : group1);
    QCOMPARE(bits1, mask1);
    QCOMPARE(bits2, mask2);
    if (g1 && g2)
        QCOMPARE(outputNames.join(u'-'), all);
    if (id < 18)
        for (int n = 0; n < g1 + g2; ++n)
            QCOMPARE(channelOrder(*info, n), n);
}

void TestChannelTable::outputOrderOfSurroundFirstIds_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QList<int>>("order");

    // Stream order Lf Rf Ls Rs, then group 2; output puts C and LFE before Ls Rs.
    QTest::newRow("18 Lf Rf Ls Rs / LFE") << 18 << QList<int>{0, 1, 3, 4, 2};
    QTest::newRow("19 Lf Rf Ls Rs / C") << 19 << QList<int>{0, 1, 3, 4, 2};
    QTest::newRow("20 Lf Rf Ls Rs / C LFE") << 20 << QList<int>{0, 1, 4, 5, 2, 3};
}

void TestChannelTable::outputOrderOfSurroundFirstIds()
{
    QFETCH(int, id);
    QFETCH(QList<int>, order);

    const auto info = streamWith(id);
    QList<int> places;
    for (int n = 0; n < order.size(); ++n)
        places << channelOrder(*info, n);
    QCOMPARE(places, order);
}

void TestChannelTable::outOfRange()
{
    const auto info = streamWith(20);
    for (int n : {-1, 6, 7, 100}) {
        QCOMPARE(channelMask(*info, n), 0);
        QCOMPARE(channelName(*info, n), QStringLiteral("-"));
    }
    const auto mono = streamWith(0);
    QCOMPARE(channelMask(*mono, 0), 0x4);
    QCOMPARE(channelName(*mono, 0), QStringLiteral("M"));
    QCOMPARE(channelMask(*mono, 1), 0);
    QCOMPARE(channelName(*mono, 1), QStringLiteral("-"));
}

QTEST_GUILESS_MAIN(TestChannelTable)
#include "tst_channeltable.moc"
