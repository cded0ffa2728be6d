// The queue of finished files waiting for the external command.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

#include "extraction/commandqueue.h"

class TestJobQueue : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;

    QString fileOf(const QString &name, int size)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString();
        file.write(QByteArray(size, 'x'));
        return path;
    }

private slots:
    void sizesAreSummedAndTakenOutOldestFirst()
    {
        CommandQueue queue;
        queue.add(fileOf("a.wav", 1000), 2, 48000, 16);
        queue.add(fileOf("b.wav", 3000), 6, 96000, 24);
        QCOMPARE(queue.count(), 2);
        QCOMPARE(queue.pendingBytes(), qint64(4000));
        QCOMPARE(queue.first()->path, dir.filePath("a.wav"));

        const std::unique_ptr<CommandJob> job = queue.removeFirst();
        QCOMPARE(job->path, dir.filePath("a.wav"));
        QCOMPARE(job->size, qint64(1000));
        QCOMPARE(queue.count(), 1);
        QCOMPARE(queue.pendingBytes(), qint64(3000));
        QCOMPARE(queue.first()->channels, 6);

        QVERIFY(queue.removeFirst());
        QCOMPARE(queue.count(), 0);
        QCOMPARE(queue.pendingBytes(), qint64(0));
        QVERIFY(!queue.removeFirst());
        QVERIFY(!queue.first());
    }

    void sizeIsTakenWhenQueued()
    {
        CommandQueue queue;
        queue.add(dir.filePath("missing.wav"), 2, 44100, 16);
        QCOMPARE(queue.count(), 1);
        QCOMPARE(queue.first()->size, qint64(0));
        QCOMPARE(queue.pendingBytes(), qint64(0));
    }

    void closedQueueDropsJobsUntilCleared()
    {
        CommandQueue queue;
        queue.add(fileOf("c.wav", 500), 2, 48000, 16);
        queue.close();
        QVERIFY(queue.isClosed());
        queue.add(fileOf("d.wav", 700), 2, 48000, 16);
        QCOMPARE(queue.count(), 1);
        QCOMPARE(queue.pendingBytes(), qint64(500));

        queue.clear();
        QVERIFY(!queue.isClosed());
        QCOMPARE(queue.count(), 0);
        QCOMPARE(queue.pendingBytes(), qint64(0));
        // The files of cleared jobs stay on disk.
        QVERIFY(QFile::exists(dir.filePath("c.wav")));

        queue.add(dir.filePath("d.wav"), 2, 48000, 16);
        QCOMPARE(queue.count(), 1);
        QCOMPARE(queue.pendingBytes(), qint64(700));
    }

    // A worker holds back while more bytes wait than the threshold allows: at the
    // threshold it goes on at once; above it, until the runner takes a job, or until a
    // stop, which it is woken for.
    void waitForRoom_data()
    {
        QTest::addColumn<qint64>("threshold");
        QTest::addColumn<QString>("release"); // what the other thread does
        QTest::addColumn<bool>("room");
        QTest::newRow("at the threshold") << qint64(1000) << "nothing" << true;
        QTest::newRow("above it, a job taken") << qint64(999) << "take" << true;
        QTest::newRow("above it, stopped") << qint64(999) << "stop" << false;
        QTest::newRow("above it, the queue cleared") << qint64(0) << "clear" << true;
    }
    void waitForRoom()
    {
        QFETCH(qint64, threshold);
        QFETCH(QString, release);
        QFETCH(bool, room);
        CommandQueue queue;
        queue.add(fileOf("w.wav", 1000), 2, 48000, 16);
        std::atomic<bool> stop{false};
        std::atomic<bool> waited{false}, answer{false};
        std::thread worker([&] {
            answer = queue.waitForRoom(threshold, stop);
            waited = true;
        });
        // Room at once, or a wait that the release below ends.
        QCOMPARE(QTest::qWaitFor([&] { return waited.load(); }, 100), release == "nothing");
        if (release == "take")
            QVERIFY(queue.removeFirst());
        if (release == "clear")
            queue.clear();
        if (release == "stop") {
            stop = true;
            queue.wakeWaiters();
        }
        worker.join();
        QCOMPARE(answer.load(), room);
    }
};

QTEST_GUILESS_MAIN(TestJobQueue)
#include "tst_commandqueue.moc"
