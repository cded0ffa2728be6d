#include "cli/textcliformatter.h"

#include <QString>

#include "zone/dvdazone.h"
#include "text/objectproperties.h"
#include "text/treelabels.h"
#include "zone/zonewalk.h"

// The disc ID, then the same items as the window's tree, indented two blanks a level.
QByteArray TextCliFormatter::zoneTree(DVDAZone *zone)
{
    QString text = QStringLiteral("Disc ID: %1\n").arg(zone->discId);
    walkZone(zone, [&text](const ZoneNode &node) {
        text += QString(node.depth * 2, QLatin1Char(' ')) + treeLabel(node.object)
                + QLatin1Char('\n');
    });
    return text.toUtf8();
}

QByteArray TextCliFormatter::propertyRows(const DVDAObject *object)
{
    QString text;
    for (const PropertyRow &row : objectProperties(object))
        text += row.label + QLatin1String(": ") + row.value + QLatin1Char('\n');
    return text.toUtf8();
}
