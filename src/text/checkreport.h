#pragma once
// The words and numbers of a verification, as the command line prints them and the
// window shows and copies them: one line per object, a summary, the same as JSON, and
// the line that names a damaged file at the end of a conversion.
#include <QJsonObject>
#include <QList>
#include <QString>

#include "extraction/objectcheck.h"

enum CheckStatus { CheckOk, CheckDamaged, CheckFailed, CheckNotDecodable, CHECK_STATUSES };

// Failed: the object could not be read or decoded at all (its result code says why). Not
// decodable: a sound stream this program cannot decode yet (MLP whose groups run at two
// rates); no damage.
[[nodiscard]] CheckStatus checkStatus(const ObjectCheck &check);
[[nodiscard]] QString checkStatusText(CheckStatus status); // "ok", "DAMAGED", "FAILED", "NOT DECODABLE"
[[nodiscard]] QString streamTypeText(const ObjectCheck &check); // "MLP", "PCM", or "none" without audio
// "00:02:41.237"
[[nodiscard]] QString checkTimeText(qint64 ms);
// "28512 access units", "1200 packs"
[[nodiscard]] QString unitsText(const ObjectCheck &check);
// "3 errors (2 parity, 1 lossless check), first at 00:02:41.237"; empty when clean.
[[nodiscard]] QString problemsText(const ObjectCheck &check);
// What the status rests on: the units seen (ok), the problems (damaged) or the failure.
[[nodiscard]] QString checkDetail(const ObjectCheck &check);
// "1/1/3  MLP  ok  28512 access units", "1/1/4  MLP  DAMAGED  3 errors (...), first at ..."
[[nodiscard]] QString checkLine(const QString &name, const ObjectCheck &check);
// A line per object, names[k] naming checks[k], then the summary.
[[nodiscard]] QString checkReportText(const QStringList &names, const QList<ObjectCheck> &checks);
// "3 objects verified: 2 ok, 1 damaged, 0 failed" (and ", 1 not decodable" when any is)
[[nodiscard]] QString checkSummary(const QList<ObjectCheck> &checks);
// The summary as numbers: objects, ok, damaged, failed, notDecodable.
[[nodiscard]] QJsonObject checkCounts(const QList<ObjectCheck> &checks);
// True when every object was read and decoded without a problem.
[[nodiscard]] bool allClean(const QList<ObjectCheck> &checks);
[[nodiscard]] QJsonObject checkJson(const QString &name, const ObjectCheck &check);
// "Damaged file: /out/track-01-01[0]-04-[L-R]-24-96000.wav: 3 errors (...), first at ..."
// for every file of every damaged object.
[[nodiscard]] QStringList damagedFileLines(const QList<ObjectCheck> &checks);
