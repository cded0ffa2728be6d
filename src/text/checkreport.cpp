#include "text/checkreport.h"

#include <QCoreApplication>
#include <QJsonArray>

#include "text/resulttext.h"

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CheckReport", text);
}

// "2 parity", "3 unreadable blocks": a count and what it counts.
QString counted(qint64 count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(tr(count == 1 ? one : many));
}

struct KindName {
    const char *one;
    const char *many;
    const char *key; // in JSON
};

// In the order of DecoderMessages::Kind.
const KindName DECODER_KINDS[DecoderMessages::KINDS] = {
    {"parity", "parity", "parity"},
    {"checksum", "checksum", "checksum"},
    {"lossless check", "lossless check", "losslessCheck"},
    {"restart header checksum", "restart header checksum", "restartHeaderChecksum"},
    {"major sync checksum", "major sync checksum", "majorSyncChecksum"},
    {"undecodable access unit", "undecodable access units", "undecodableAccessUnit"},
};

} // namespace

CheckStatus checkStatus(const ObjectCheck &check)
{
    if (check.result == ResultCode::MlpGroupRates)
        return CheckNotDecodable;
    if (check.result != ResultCode::Succeeded)
        return CheckFailed;
    return check.damaged() ? CheckDamaged : CheckOk;
}

QString checkStatusText(CheckStatus status)
{
    switch (status) {
    case CheckOk: return QStringLiteral("ok");
    case CheckDamaged: return QStringLiteral("DAMAGED");
    case CheckNotDecodable: return QStringLiteral("NOT DECODABLE");
    case CheckFailed:
    case CHECK_STATUSES: break;
    }
    return QStringLiteral("FAILED");
}

QString streamTypeText(const ObjectCheck &check)
{
    return check.mlp ? QStringLiteral("MLP") : check.pcm ? QStringLiteral("PCM") : QStringLiteral("none");
}

QString checkTimeText(qint64 ms)
{
    const qint64 t = qMax<qint64>(0, ms);
    return QString::asprintf("%02lld:%02lld:%02lld.%03lld", t / 3600000, t / 60000 % 60,
                             t / 1000 % 60, t % 1000);
}

QString unitsText(const ObjectCheck &check)
{
    return check.mlp ? counted(check.units, "access unit", "access units")
                     : counted(check.units, "pack", "packs");
}

QString problemsText(const ObjectCheck &check)
{
    if (!check.damaged())
        return QString();
    QStringList kinds;
    for (int k = 0; k < DecoderMessages::KINDS; ++k)
        if (check.errors[k] > 0)
            kinds << counted(check.errors[k], DECODER_KINDS[k].one, DECODER_KINDS[k].many);
    if (check.unreadableBlocks > 0)
        kinds << counted(check.unreadableBlocks, "unreadable block", "unreadable blocks");
    if (check.headerMismatches > 0)
        kinds << counted(check.headerMismatches, "foreign stream header",
                         "foreign stream headers");
    if (check.sequenceGaps > 0)
        kinds << counted(check.sequenceGaps, "missing pack", "missing packs");
    if (check.damagedPackets > 0)
        kinds << counted(check.damagedPackets, "damaged packet header", "damaged packet headers");
    if (check.lostPackets > 0)
        kinds << counted(check.lostPackets, "lost packet", "lost packets");
    if (check.missingFrames > 0)
        kinds << tr("%1 short of the length on the disc").arg(counted(check.missingFrames, "frame", "frames"));
    if (check.extraFrames > 0)
        kinds << tr("%1 past the length on the disc").arg(counted(check.extraFrames, "frame", "frames"));
    QString text = QStringLiteral("%1 (%2)")
                       .arg(counted(check.problems(), "error", "errors"),
                            kinds.join(QStringLiteral(", ")));
    if (check.firstProblemMs >= 0)
        text += tr(", first at %1").arg(checkTimeText(check.firstProblemMs));
    QStringList silences;
    for (const SilencedStretch &stretch : check.silenced)
        silences << tr("%1 at %2").arg(counted(stretch.frames, "sample", "samples"),
                                        check.sampleRate > 0 ? checkTimeText(stretch.frame * 1000 / check.sampleRate)
                                                             : QString::number(stretch.frame));
    if (!silences.isEmpty())
        text += tr("; lost audio made up with silence: %1").arg(silences.join(QStringLiteral(", ")));
    return text;
}

QString checkDetail(const ObjectCheck &check)
{
    switch (checkStatus(check)) {
    case CheckOk: return unitsText(check);
    case CheckDamaged: return problemsText(check);
    case CheckFailed:
    case CheckNotDecodable:
    case CHECK_STATUSES: break;
    }
    return resultText(Result(check.result, check.where));
}

QString checkLine(const QString &name, const ObjectCheck &check)
{
    return QStringLiteral("%1  %2  %3  %4")
        .arg(name, streamTypeText(check), checkStatusText(checkStatus(check)),
             checkDetail(check));
}

QString checkReportText(const QStringList &names, const QList<ObjectCheck> &checks)
{
    QString text;
    for (int k = 0; k < checks.size(); ++k)
        text += checkLine(names.value(k), checks[k]) + QLatin1Char('\n');
    return text + checkSummary(checks) + QLatin1Char('\n');
}

QString checkSummary(const QList<ObjectCheck> &checks)
{
    const QJsonObject counts = checkCounts(checks);
    QString text = tr("%1: %2 ok, %3 damaged, %4 failed")
                       .arg(counted(checks.size(), "object verified", "objects verified"))
                       .arg(counts.value(QLatin1String("ok")).toInt())
                       .arg(counts.value(QLatin1String("damaged")).toInt())
                       .arg(counts.value(QLatin1String("failed")).toInt());
    const int notDecodable = counts.value(QLatin1String("notDecodable")).toInt();
    if (notDecodable > 0)
        text += tr(", %1 not decodable").arg(notDecodable);
    return text;
}

QJsonObject checkCounts(const QList<ObjectCheck> &checks)
{
    int count[CHECK_STATUSES] = {};
    for (const ObjectCheck &check : checks)
        ++count[checkStatus(check)];
    return {{QStringLiteral("objects"), int(checks.size())},
            {QStringLiteral("ok"), count[CheckOk]},
            {QStringLiteral("damaged"), count[CheckDamaged]},
            {QStringLiteral("failed"), count[CheckFailed]},
            {QStringLiteral("notDecodable"), count[CheckNotDecodable]}};
}

bool allClean(const QList<ObjectCheck> &checks)
{
    for (const ObjectCheck &check : checks)
        if (checkStatus(check) != CheckOk)
            return false;
    return true;
}

QJsonObject checkJson(const QString &name, const ObjectCheck &check)
{
    QJsonObject errors;
    for (int k = 0; k < DecoderMessages::KINDS; ++k)
        errors.insert(QLatin1String(DECODER_KINDS[k].key), check.errors[k]);
    QJsonObject object{
        {QStringLiteral("object"), name},
        {QStringLiteral("type"), streamTypeText(check)},
        {QStringLiteral("status"), checkStatus(check) == CheckNotDecodable
                                       ? QStringLiteral("notDecodable")
                                       : checkStatusText(checkStatus(check)).toLower()},
        {QStringLiteral("blocksRead"), check.blocksRead},
        {check.mlp ? QStringLiteral("accessUnits") : QStringLiteral("packs"), check.units},
        {QStringLiteral("decoderErrors"), errors},
        {QStringLiteral("unreadableBlocks"), check.unreadableBlocks},
        {QStringLiteral("damagedPackets"), check.damagedPackets},
        {QStringLiteral("correctedPacketLengths"), check.correctedPackets},
        {QStringLiteral("lostPackets"), check.lostPackets},
        {QStringLiteral("missingFrames"), check.missingFrames},
        {QStringLiteral("extraFrames"), check.extraFrames},
        {QStringLiteral("firstProblem"), check.firstProblemMs >= 0
                                             ? QJsonValue(checkTimeText(check.firstProblemMs))
                                             : QJsonValue()},
    };
    QJsonArray silenced;
    for (const SilencedStretch &stretch : check.silenced)
        silenced.append(QJsonObject{
            {QStringLiteral("at"), check.sampleRate > 0 ? checkTimeText(stretch.frame * 1000 / check.sampleRate)
                                                        : QString()},
            {QStringLiteral("sample"), stretch.frame},
            {QStringLiteral("samples"), stretch.frames}});
    object.insert(QStringLiteral("silenced"), silenced);
    if (!check.mlp) {
        object.insert(QStringLiteral("headerMismatches"), check.headerMismatches);
        object.insert(QStringLiteral("sequenceGaps"), check.sequenceGaps);
    }
    if (check.result != ResultCode::Succeeded)
        object.insert(QStringLiteral("error"), resultText(Result(check.result, check.where)));
    return object;
}

QStringList damagedFileLines(const QList<ObjectCheck> &checks)
{
    QStringList lines;
    for (const ObjectCheck &check : checks)
        if (check.damaged())
            for (const QString &file : check.files)
                lines << tr("Damaged file: %1: %2").arg(file, problemsText(check));
    return lines;
}
