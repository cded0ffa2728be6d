#include "cli/selectors.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include "zone/dvdazone.h"
#include "zone/objectpath.h"
#include "zone/zonewalk.h"
#include "zone/zoneproblem.h"

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Selectors", text);
}

struct Selector {
    bool all = false;
    int depth = 0; // 1 titleset, 2 title, 3 track, 4 index
    int titleset = 0;
    int title = 0;
    int tag = -1; // -1: either tag
    int track = 0;
    int index = 0;
};

[[nodiscard]] bool parseSelector(const QString &text, Selector *selector, QString *error)
{
    *selector = Selector();
    if (text == QLatin1String("all")) {
        selector->all = true;
        return true;
    }
    static const QRegularExpression pattern(QStringLiteral(
        "^(\\d{1,4})(?:/(\\d{1,4})(?:\\[([01])\\])?(?:/(\\d{1,4})(?:/(\\d{1,4}))?)?)?$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        *error = tr("'%1' is not a selector (TS/TITLE/TRACK, TS/TITLE/TRACK/INDEX, "
                    "TS/TITLE, TS or all)")
                     .arg(text);
        return false;
    }
    selector->titleset = match.captured(1).toInt();
    selector->depth = 1;
    if (match.hasCaptured(2)) {
        selector->title = match.captured(2).toInt();
        selector->depth = 2;
    }
    if (match.hasCaptured(3))
        selector->tag = match.captured(3).toInt();
    if (match.hasCaptured(4)) {
        selector->track = match.captured(4).toInt();
        selector->depth = 3;
    }
    if (match.hasCaptured(5)) {
        selector->index = match.captured(5).toInt();
        selector->depth = 4;
    }
    return true;
}

// The title as written in the selector: "2" or "2[1]".
QString titleText(const Selector &s)
{
    QString text = QString::number(s.title);
    if (s.tag >= 0)
        text += QStringLiteral("[%1]").arg(s.tag);
    return text;
}

// "1/2" or "1/2[1]".
QString titlePart(const Selector &s)
{
    return QString::number(s.titleset) + QLatin1Char('/') + titleText(s);
}

// How many levels of the selector, from the titleset down, the listed node matches.
int matchedLevels(const Selector &s, const ZoneNode &node)
{
    const ObjectPath &p = node.path;
    if (node.depth < 1 || p.titleset->number != s.titleset)
        return 0;
    if (node.depth < 2 || s.depth < 2 || p.title->number() != s.title
        || (s.tag >= 0 && p.title->tag() != s.tag))
        return 1;
    if (node.depth < 3 || s.depth < 3 || p.track->number != s.track)
        return 2;
    if (node.depth < 4 || s.depth < 4 || p.index->number != s.index)
        return 3;
    return 4;
}

// Every listed object of the selector's depth that it names, in tree order; on none, a
// message that says at which level the chain broke.
QList<DVDAObject *> matchSelector(DVDAZone *zone, const Selector &s, QString *error)
{
    QList<DVDAObject *> found;
    int reached = 0;
    walkZone(zone, [&](const ZoneNode &node) {
        const int levels = matchedLevels(s, node);
        reached = qMax(reached, levels);
        if (node.depth == s.depth && levels == s.depth)
            found.append(node.object);
    });
    if (!found.isEmpty())
        return found;
    switch (reached) {
    case 0: *error = tr("the zone has no titleset %1").arg(s.titleset); break;
    case 1: *error = tr("titleset %1 has no audio title %2").arg(s.titleset).arg(titleText(s)); break;
    case 2: *error = tr("title %1 has no track %2").arg(titlePart(s)).arg(s.track); break;
    default: *error = tr("track %1/%2 has no index %3").arg(titlePart(s)).arg(s.track).arg(s.index);
    }
    return found;
}

// The listed tracks at or below the object (an index stands for itself), in tree order.
void appendTracks(DVDAZone *zone, const DVDAObject *object, QList<DVDAObject *> *objects)
{
    walkZone(zone, [&](const ZoneNode &node) {
        if (node.within(object) && (node.depth == 3 || (node.depth == 4 && node.object == object)))
            objects->append(node.object);
    });
}

} // namespace

bool selectExtractObjects(DVDAZone *zone, const QStringList &selectors,
                          QList<DVDAObject *> *objects, QString *error, bool *malformed)
{
    objects->clear();
    QList<DVDAObject *> result;
    if (malformed)
        *malformed = false;
    for (const QString &text : selectors) {
        Selector s;
        if (!parseSelector(text, &s, error)) {
            if (malformed)
                *malformed = true;
            return false;
        }
        QList<DVDAObject *> named;
        if (s.all) {
            appendTracks(zone, zone, &named);
            if (named.isEmpty()) {
                *error = tr("the zone has no tracks to extract");
                return false;
            }
        } else {
            QString why;
            const QList<DVDAObject *> matched = matchSelector(zone, s, &why);
            if (matched.isEmpty()) {
                *error = tr("selector '%1': %2").arg(text, why);
                return false;
            }
            for (DVDAObject *object : matched)
                appendTracks(zone, object, &named);
            if (named.isEmpty()) {
                *error = tr("selector '%1' names no track to extract").arg(text);
                return false;
            }
        }
        for (DVDAObject *object : named) {
            if (!result.contains(object))
                result.append(object);
        }
    }
    *objects = result;
    return true;
}

bool groupsMayLackObjects(const QStringList &selectors, const DVDAZone *zone)
{
    for (const QString &text : selectors) {
        Selector s;
        QString ignored;
        if (parseSelector(text, &s, &ignored) && (s.all || s.depth < 3)
            && problemsHideObjects(zone, s.all ? 0 : s.titleset))
            return true;
    }
    return false;
}

DVDAObject *selectOneObject(DVDAZone *zone, const QString &selector, QString *error)
{
    Selector s;
    if (!parseSelector(selector, &s, error))
        return nullptr;
    if (s.all) {
        *error = tr("'all' names more than one object; give TS, TS/TITLE, TS/TITLE/TRACK "
                    "or TS/TITLE/TRACK/INDEX");
        return nullptr;
    }
    QString why;
    const QList<DVDAObject *> matched = matchSelector(zone, s, &why);
    if (matched.isEmpty()) {
        *error = tr("selector '%1': %2").arg(selector, why);
        return nullptr;
    }
    if (matched.size() > 1) {
        *error = tr("selector '%1' names more than one object: two titles %2 differ by "
                    "their tag; write the title as %3[0] or %3[1]")
                     .arg(selector, QString::number(s.title), titlePart(s));
        return nullptr;
    }
    return matched.first();
}
