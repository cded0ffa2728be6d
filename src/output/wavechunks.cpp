#include "output/wavechunks.h"

#include <QtEndian>

#include "base/pts.h"

namespace {
void put32(QByteArray &b, quint32 v)
{
    char le[4];
    qToLittleEndian(v, le);
    b.append(le, 4);
}

QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray c(id, 4);
    put32(c, quint32(body.size()));
    c += body;
    if (body.size() % 2)
        c.append('\0'); // chunks start on even offsets
    return c;
}
} // namespace

QByteArray waveCueChunks(const TrackMarks &marks, int sampleRate, qint64 frames)
{
    QByteArray points, labels;
    quint32 count = 0;
    for (const TrackMark &mark : marks.marks) {
        const qint64 at = markSample(mark, sampleRate);
        // A cue point holds a 32-bit frame number: past it (or past the audio written) a
        // point would name a place that is not in the file.
        if (at > frames || at > qint64(0xFFFFFFFFu))
            continue;
        const quint32 id = ++count;
        put32(points, id);
        put32(points, quint32(at)); // position in the play order
        points.append("data", 4);
        put32(points, 0); // chunk start: the data chunk, not a wave list
        put32(points, 0); // block start: uncompressed samples
        put32(points, quint32(at));
        QByteArray label;
        put32(label, id);
        label += markLabel(mark).toLatin1();
        label.append('\0');
        labels += chunk("labl", label);
    }
    if (count == 0)
        return QByteArray();
    QByteArray cue;
    put32(cue, count);
    cue += points;
    return chunk("cue ", cue) + chunk("LIST", QByteArray("adtl", 4) + labels);
}

QByteArray waveInfoChunk(const QStringList &comments)
{
    static const char *const fields[][2] = {{"TITLE", "INAM"}, {"ARTIST", "IART"},  {"ALBUM", "IPRD"},
                                            {"DATE", "ICRD"},  {"GENRE", "IGNR"},   {"TRACKNUMBER", "ITRK"},
                                            {"COMMENT", "ICMT"}, {"ENCODER", "ISFT"}};
    QByteArray body("INFO");
    for (const auto &field : fields) {
        QString value;
        const QString prefix = QLatin1String(field[0]) + QLatin1Char('=');
        for (const QString &comment : comments)
            if (comment.startsWith(prefix, Qt::CaseInsensitive))
                value = comment.mid(prefix.size());
        if (!value.isEmpty())
            body += chunk(field[1], value.toUtf8() + '\0'); // a text field ends in NUL
    }
    return body.size() > 4 ? chunk("LIST", body) : QByteArray();
}
