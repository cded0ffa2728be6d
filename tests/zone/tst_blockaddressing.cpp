// Block numbers across a titleset's AOB files: the file table, single reads, runs, and
// what each kind of read failure reports.
#include <QFile>
#include <QtTest>
#include "testzone/resultcompare.h"
#include <memory>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include "base/result.h"
#include "testzone/testzone.h"
#include "zone/dvdazone.h"
#include "zone/zoneproblem.h"

using namespace testzone;

namespace {

const quint32 RESERVED = 524272;

// One titleset holding the given AOB files; lastAobBlock as given or covering the files.
Zone zoneOfFiles(const std::vector<AobFile> &files, qint64 lastAobBlock = -1)
{
    Zone zone;
    Titleset &titleset = zone.titlesets.emplace_back();
    titleset.aobFiles = files;
    titleset.info.lastAobBlock = lastAobBlock;
    return zone;
}

AobFile numbered(quint32 first, int count)
{
    return AobFile::ofBytes(numberedBlocks(first, count));
}

struct Opened {
    explicit Opened(const Zone &description) : folder(description)
    {
        if (folder.ok())
            zone = std::make_unique<DVDAZone>(QDir(folder.path()));
    }
    DVDATitleset *titleset() const { return zone->titlesets.at(0); }
    ZoneFolder folder;
    std::unique_ptr<DVDAZone> zone;
};

} // namespace

class BlockAddressing : public QObject {
    Q_OBJECT

private slots:
    void fileTable_data();
    void fileTable();
    void readsEachBlockFromItsFile();
    void eachBlockReadsOrSaysWhy_data();
    void eachBlockReadsOrSaysWhy();
    void cutAndMissingPartsAreNamed_data();
    void cutAndMissingPartsAreNamed();
    void runMatchesSingleBlocks_data();
    void runMatchesSingleBlocks();
    void runCrossesIntoNextFile();
    void runIsCutAtLastAobBlockAndAtFailure();
    void runStartingAboveLastAobBlockReadsNothing();
    void fileDeletedAfterProbeCannotBeOpened();
    void fileTruncatedAfterProbeCannotBeRead();
    void pipeInPlaceOfFileIsNotOpened();
    void eachTitlesetReadsItsOwnFiles();
    void concurrentReadersGetTheirOwnBlocks();
};

// Per file: present, first block, last block (last = first - 1 when it holds no block).
void BlockAddressing::fileTable_data()
{
    QTest::addColumn<std::vector<AobFile>>("files");
    QTest::addColumn<QList<bool>>("present");
    QTest::addColumn<QList<quint32>>("firsts");
    QTest::addColumn<QList<quint32>>("lasts");

    // File 3 is not written: absent, it keeps its reservation (checked below).
    QTest::newRow("100 + 50 blocks, file 3 absent")
        << std::vector<AobFile>{numbered(0, 100), numbered(100, 50)}
        << QList<bool>{true, true} << QList<quint32>{0, 100} << QList<quint32>{99, 149};
    QTest::newRow("file 1 absent")
        << std::vector<AobFile>{AobFile::absent(), numbered(RESERVED, 4)}
        << QList<bool>{false, true} << QList<quint32>{0, RESERVED}
        << QList<quint32>{RESERVED - 1, RESERVED + 3};
    QTest::newRow("2047-byte file 1 keeps its one block number")
        << std::vector<AobFile>{AobFile::ofBytes(QByteArray(2047, 'x')), numbered(1, 3)}
        << QList<bool>{true, true} << QList<quint32>{0, 1} << QList<quint32>{0, 3};
    QTest::newRow("2047-byte file between files")
        << std::vector<AobFile>{numbered(0, 3), AobFile::ofBytes(QByteArray(2047, 'x')),
                                numbered(4, 2)}
        << QList<bool>{true, true, true} << QList<quint32>{0, 3, 4} << QList<quint32>{2, 3, 5};
    QTest::newRow("5000-byte file before another keeps 3 block numbers")
        << std::vector<AobFile>{AobFile::ofBytes(numberedBlocks(0, 2) + QByteArray(904, 'z')),
                                numbered(3, 1)}
        << QList<bool>{true, true} << QList<quint32>{0, 3} << QList<quint32>{2, 3};
    QTest::newRow("one byte cut off file 1")
        << std::vector<AobFile>{AobFile::ofBytes(numberedBlocks(0, 10).chopped(1)), numbered(10, 5)}
        << QList<bool>{true, true} << QList<quint32>{0, 10} << QList<quint32>{9, 14};
    QTest::newRow("empty file 1 is reserved like an absent one")
        << std::vector<AobFile>{AobFile::ofBytes(QByteArray()), numbered(RESERVED, 2)}
        << QList<bool>{true, true} << QList<quint32>{0, RESERVED}
        << QList<quint32>{RESERVED - 1, RESERVED + 1};
    QTest::newRow("2047-byte last file holds no block")
        << std::vector<AobFile>{numbered(0, 3), AobFile::ofBytes(QByteArray(2047, 'x'))}
        << QList<bool>{true, true} << QList<quint32>{0, 3} << QList<quint32>{2, 2};
}

void BlockAddressing::fileTable()
{
    QFETCH(std::vector<AobFile>, files);
    QFETCH(QList<bool>, present);
    QFETCH(QList<quint32>, firsts);
    QFETCH(QList<quint32>, lasts);

    Opened opened(zoneOfFiles(files));
    QVERIFY(opened.zone);
    const DVDATitleset *titleset = opened.titleset();
    quint32 next = 0;
    for (int m = 0; m < 9; ++m) {
        const AobFileEntry &row = titleset->aobFiles[m];
        if (m < present.size()) {
            QCOMPARE(row.present, present[m]);
            QCOMPARE(row.firstBlock, firsts[m]);
            QCOMPARE(row.lastBlock, lasts[m]);
        } else {
            // Files not written are absent and keep their reservation.
            QVERIFY(!row.present);
            QCOMPARE(row.firstBlock, next);
            QCOMPARE(row.lastBlock, next + RESERVED - 1);
        }
        next = row.lastBlock + 1;
    }
}

void BlockAddressing::readsEachBlockFromItsFile()
{
    Opened opened(zoneOfFiles({AobFile::absent(), numbered(RESERVED, 100), numbered(RESERVED + 100, 50)}));
    QVERIFY(opened.zone);
    DVDATitleset *titleset = opened.titleset();
    quint8 block[BLOCK_BYTES];
    for (quint32 number : {RESERVED, RESERVED + 99, RESERVED + 100, RESERVED + 149}) {
        QCOMPARE(titleset->readBlock(number, block), ResultCode::Succeeded);
        QVERIFY2(isNumberedBlock(block, number), qPrintable(QString::number(number)));
    }
    // Inside the reservation of a file missing before the others: its file is missing.
    QCOMPARE(titleset->readBlock(0, block), ResultCode::OpenAobFile);
    QCOMPARE(titleset->readBlock(RESERVED - 1, block), ResultCode::OpenAobFile);
    // Past the last present file there is nothing.
    QCOMPARE(titleset->readBlock(RESERVED + 150, block), ResultCode::BlockNotFound);
    QCOMPARE(titleset->readBlock(0xFFFFFFFFu, block), ResultCode::BlockNotFound);
}

// Per block: 0 when it reads as its numbered block, else the code it reports.
void BlockAddressing::eachBlockReadsOrSaysWhy_data()
{
    QTest::addColumn<std::vector<AobFile>>("files");
    QTest::addColumn<QList<quint32>>("blocks");
    QTest::addColumn<QList<int>>("results");

    QTest::newRow("partial blocks are never read")
        << std::vector<AobFile>{AobFile::ofBytes(QByteArray(2047, 'x')),
                                AobFile::ofBytes(numberedBlocks(1, 2) + QByteArray(904, 'z')),
                                numbered(4, 1)}
        << QList<quint32>{0, 1, 2, 3, 4, 5}
        << QList<int>{int(ResultCode::ReadAobFile), 0, 0, int(ResultCode::ReadAobFile), 0, int(ResultCode::BlockNotFound)};
    QTest::newRow("one byte cut off file 1: file 2 keeps its numbers")
        << std::vector<AobFile>{AobFile::ofBytes(numberedBlocks(0, 10).chopped(1)), numbered(10, 5)}
        << QList<quint32>{8, 9, 10, 14} << QList<int>{0, int(ResultCode::ReadAobFile), 0, 0};
    QTest::newRow("empty file 1")
        << std::vector<AobFile>{AobFile::ofBytes(QByteArray()), numbered(RESERVED, 2)}
        << QList<quint32>{0, RESERVED} << QList<int>{int(ResultCode::ReadAobFile), 0};
    QTest::newRow("missing file 1")
        << std::vector<AobFile>{AobFile::absent(), numbered(RESERVED, 2)}
        << QList<quint32>{0, RESERVED + 1, RESERVED + 2}
        << QList<int>{int(ResultCode::OpenAobFile), 0, int(ResultCode::BlockNotFound)};
    QTest::newRow("empty last file")
        << std::vector<AobFile>{numbered(0, 2), AobFile::ofBytes(QByteArray())}
        << QList<quint32>{1, 2} << QList<int>{0, int(ResultCode::BlockNotFound)};
}

void BlockAddressing::eachBlockReadsOrSaysWhy()
{
    QFETCH(std::vector<AobFile>, files);
    QFETCH(QList<quint32>, blocks);
    QFETCH(QList<int>, results);

    Opened opened(zoneOfFiles(files));
    QVERIFY(opened.zone);
    quint8 block[BLOCK_BYTES];
    for (int i = 0; i < blocks.size(); ++i) {
        const QString which = QString::number(blocks[i]);
        QCOMPARE(codeOf(opened.titleset()->readBlock(blocks[i], block)), results[i]);
        if (results[i] == 0)
            QVERIFY2(isNumberedBlock(block, blocks[i]), qPrintable(which));
    }
}

// A part cut short or missing is named as a problem, and its blocks fail naming it; the
// parts after a cut one keep the numbers the header gives them, so no object is read from
// another's packs.
void BlockAddressing::cutAndMissingPartsAreNamed_data()
{
    QTest::addColumn<std::vector<AobFile>>("files");
    QTest::addColumn<qint64>("lastAobBlock");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<QList<quint32>>("blocks");
    QTest::addColumn<QStringList>("results"); // "" for a block read as itself

    const QString missingTail = "ATS_01_1.AOB is cut short or ATS_01_2.AOB is missing";
    QTest::newRow("part 1 cut from 30 to 10 blocks") << std::vector<AobFile>{numbered(0, 10), numbered(30, 6)}
        << qint64(35)
        << QStringList{"ATS_01_1.AOB: cut short: 10 blocks, 30 expected (the header ends the audio objects at block 35)"}
        << QList<quint32>{9, 10, 29, 30, 35}
        << QStringList{"", "-9 ATS_01_1.AOB, block 10", "-9 ATS_01_1.AOB, block 29", "", ""};
    QTest::newRow("last part missing") << std::vector<AobFile>{numbered(0, 30)} << qint64(35)
        << QStringList{"ATS_01_2.AOB: blocks 30-35 are in no file: " + missingTail}
        << QList<quint32>{29, 30, 35, 36}
        << QStringList{"", "-9 block 30: " + missingTail, "-9 block 35: " + missingTail, "-18 block 36"};
    QTest::newRow("part 1 missing") << std::vector<AobFile>{AobFile::absent(), numbered(RESERVED, 2)}
        << qint64(-1) << QStringList{QString("ATS_01_1.AOB: missing: blocks 0-%1 are in no file").arg(RESERVED - 1)}
        << QList<quint32>{0, RESERVED} << QStringList{"-3 ATS_01_1.AOB, block 0", ""};
}

void BlockAddressing::cutAndMissingPartsAreNamed()
{
    QFETCH(std::vector<AobFile>, files);
    QFETCH(qint64, lastAobBlock);
    QFETCH(QStringList, problems);
    QFETCH(QList<quint32>, blocks);
    QFETCH(QStringList, results);
    Opened opened(zoneOfFiles(files, lastAobBlock));
    QVERIFY(opened.zone);
    QStringList texts;
    for (const ZoneProblem &problem : opened.titleset()->problems)
        texts << problemText(problem);
    QCOMPARE(texts, problems);
    quint8 block[BLOCK_BYTES];
    for (int i = 0; i < blocks.size(); ++i) {
        const Result read = opened.titleset()->readBlock(blocks[i], block);
        QCOMPARE(read.ok() ? QString() : QString("%1 %2").arg(codeOf(read)).arg(read.where()), results[i]);
        if (read.ok())
            QVERIFY2(isNumberedBlock(block, blocks[i]), qPrintable(QString::number(blocks[i])));
    }
}

// A run gives the bytes and the failure that block-by-block reads give.
void BlockAddressing::runMatchesSingleBlocks_data()
{
    QTest::addColumn<std::vector<AobFile>>("files");
    QTest::addColumn<quint32>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("read");
    QTest::addColumn<int>("result");

    const std::vector<AobFile> threeParts{numbered(0, 10), numbered(10, 20), numbered(30, 5)};
    QTest::newRow("crossing two files") << threeParts << 5u << 30 << 30 << 0;
    QTest::newRow("ending at the last block") << threeParts << 20u << 15 << 15 << 0;
    QTest::newRow("past the last block") << threeParts << 30u << 10 << 5 << int(ResultCode::BlockNotFound);
    QTest::newRow("into a cut file")
        << std::vector<AobFile>{numbered(0, 4), AobFile::ofBytes(numberedBlocks(4, 3).chopped(100)),
                                numbered(7, 2)}
        << 1u << 8 << 5 << int(ResultCode::ReadAobFile);
    QTest::newRow("into a missing file")
        << std::vector<AobFile>{numbered(0, 4), AobFile::absent(), numbered(4 + RESERVED, 2)}
        << 2u << 4 << 2 << int(ResultCode::OpenAobFile);
}

void BlockAddressing::runMatchesSingleBlocks()
{
    QFETCH(std::vector<AobFile>, files);
    QFETCH(quint32, first);
    QFETCH(int, count);
    QFETCH(int, read);
    QFETCH(int, result);

    Opened opened(zoneOfFiles(files));
    QVERIFY(opened.zone);
    std::vector<quint8> run(size_t(count) * BLOCK_BYTES);
    int got = -1;
    QCOMPARE(codeOf(opened.titleset()->readRun(first, count, run.data(), &got)), result);
    QCOMPARE(got, read);
    quint8 block[BLOCK_BYTES];
    for (int i = 0; i < read; ++i) {
        QCOMPARE(opened.titleset()->readBlock(first + quint32(i), block), ResultCode::Succeeded);
        QVERIFY(std::equal(block, block + BLOCK_BYTES, run.data() + size_t(i) * BLOCK_BYTES));
    }
    if (read < count)
        QCOMPARE(codeOf(opened.titleset()->readBlock(first + quint32(read), block)), result);
}

void BlockAddressing::runCrossesIntoNextFile()
{
    Opened opened(zoneOfFiles({numbered(0, 10), numbered(10, 20)}));
    QVERIFY(opened.zone);
    std::vector<quint8> buffer(16 * BLOCK_BYTES);
    int read = -1;
    QCOMPARE(opened.titleset()->readBlocks(7, 16, buffer.data(), &read), ResultCode::Succeeded);
    QCOMPARE(read, 16);
    for (int i = 0; i < 16; ++i)
        QVERIFY2(isNumberedBlock(buffer.data() + i * BLOCK_BYTES, 7 + i), qPrintable(QString::number(i)));
}

void BlockAddressing::runIsCutAtLastAobBlockAndAtFailure()
{
    // The files hold 30 blocks but the header ends the AOB area at block 12.
    Opened cut(zoneOfFiles({numbered(0, 10), numbered(10, 20)}, 12));
    QVERIFY(cut.zone);
    QCOMPARE(cut.titleset()->lastAobBlock, 12u);
    std::vector<quint8> buffer(16 * BLOCK_BYTES, 0xEE);
    int read = -1;
    QCOMPARE(cut.titleset()->readBlocks(5, 16, buffer.data(), &read), ResultCode::Succeeded);
    QCOMPARE(read, 8);
    QVERIFY(isNumberedBlock(buffer.data() + 7 * BLOCK_BYTES, 12));
    QCOMPARE(buffer[8 * BLOCK_BYTES], quint8(0xEE)); // nothing written past the run

    // A run that meets an absent file stops there with the blocks read so far.
    Opened gap(zoneOfFiles({numbered(0, 5), AobFile::absent(), numbered(5 + RESERVED, 5)}));
    QVERIFY(gap.zone);
    QCOMPARE(gap.titleset()->readBlocks(2, 16, buffer.data(), &read), ResultCode::Succeeded);
    QCOMPARE(read, 3);
}

void BlockAddressing::runStartingAboveLastAobBlockReadsNothing()
{
    Opened opened(zoneOfFiles({numbered(0, 30)}, 12));
    QVERIFY(opened.zone);
    std::vector<quint8> buffer(16 * BLOCK_BYTES);
    int read = -1;
    QCOMPARE(opened.titleset()->readBlocks(13, 16, buffer.data(), &read), ResultCode::BlockNotFound);
    QCOMPARE(read, 0);
    // A failing first block gives "not found" whatever made it fail.
    QVERIFY(QFile::remove(opened.folder.filePath(aobName(1, 1))));
    QCOMPARE(opened.titleset()->readBlocks(0, 16, buffer.data(), &read), ResultCode::BlockNotFound);
    QCOMPARE(read, 0);
}

void BlockAddressing::fileDeletedAfterProbeCannotBeOpened()
{
    Opened opened(zoneOfFiles({numbered(0, 4), numbered(4, 4)}));
    QVERIFY(opened.zone);
    QVERIFY(QFile::remove(opened.folder.filePath(aobName(1, 2))));
    quint8 block[BLOCK_BYTES];
    QCOMPARE(opened.titleset()->readBlock(5, block), ResultCode::OpenAobFile);
    // The other file is unaffected.
    QCOMPARE(opened.titleset()->readBlock(3, block), ResultCode::Succeeded);
    QVERIFY(isNumberedBlock(block, 3));
}

void BlockAddressing::fileTruncatedAfterProbeCannotBeRead()
{
    Opened opened(zoneOfFiles({numbered(0, 4)}));
    QVERIFY(opened.zone);
    QFile file(opened.folder.filePath(aobName(1, 1)));
    QVERIFY(file.resize(BLOCK_BYTES + 1000));
    quint8 block[BLOCK_BYTES];
    QCOMPARE(opened.titleset()->readBlock(0, block), ResultCode::Succeeded);
    QCOMPARE(opened.titleset()->readBlock(1, block), ResultCode::ReadAobFile); // partly there
    QCOMPARE(opened.titleset()->readBlock(3, block), ResultCode::ReadAobFile); // past the end
}

void BlockAddressing::pipeInPlaceOfFileIsNotOpened()
{
#ifdef Q_OS_UNIX
    Opened opened(zoneOfFiles({numbered(0, 4)}));
    QVERIFY(opened.zone);
    // Replace the probed file by a pipe without a writer: opening it must neither block
    // nor let a read wait for data that never comes.
    const QByteArray path = QFile::encodeName(opened.folder.filePath(aobName(1, 1)));
    QVERIFY(QFile::remove(QString::fromLocal8Bit(path)));
    QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    quint8 block[BLOCK_BYTES];
    QCOMPARE(opened.titleset()->readBlock(1, block), ResultCode::OpenAobFile);
#else
    QSKIP("needs a named pipe");
#endif
}

void BlockAddressing::eachTitlesetReadsItsOwnFiles()
{
    Zone description = zoneOfFiles({numbered(0, 3)});
    Titleset &second = description.titlesets.emplace_back();
    second.aobFiles = {numbered(1000, 3)};
    Opened opened(description);
    QVERIFY(opened.zone);
    quint8 block[BLOCK_BYTES];
    QCOMPARE(opened.zone->titlesets[0]->readBlock(2, block), ResultCode::Succeeded);
    QVERIFY(isNumberedBlock(block, 2));
    QCOMPARE(opened.zone->titlesets[1]->readBlock(2, block), ResultCode::Succeeded);
    QVERIFY(isNumberedBlock(block, 1002));
    QCOMPARE(opened.zone->titlesets[1]->readBlock(3, block), ResultCode::BlockNotFound);
}

void BlockAddressing::concurrentReadersGetTheirOwnBlocks()
{
    // Two threads reading one file: each seek must stay paired with its read.
    const int blocks = 64;
    Opened opened(zoneOfFiles({numbered(0, blocks)}));
    QVERIFY(opened.zone);
    DVDATitleset *titleset = opened.titleset();
    std::atomic<int> wrong{0};
    auto reader = [&](quint32 start) {
        quint8 block[BLOCK_BYTES];
        for (int i = 0; i < 4000; ++i) {
            const quint32 number = (start + quint32(i) * 7) % blocks;
            if (titleset->readBlock(number, block).failed() || !isNumberedBlock(block, number))
                ++wrong;
        }
    };
    std::thread a(reader, 0), b(reader, 31);
    a.join();
    b.join();
    QCOMPARE(wrong.load(), 0);
}

QTEST_GUILESS_MAIN(BlockAddressing)
#include "tst_blockaddressing.moc"
