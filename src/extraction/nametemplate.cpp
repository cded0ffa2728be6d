#include "extraction/nametemplate.h"

#include <QRegularExpression>

#include "extraction/discmetadata.h"
#include "zone/dvdazone.h"
#include "zone/objectpath.h"

namespace {

[[nodiscard]] bool isNameChar(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

// The length of the placeholder name that starts at from (after its '%').
int nameLength(const QString &text, int from)
{
    int end = from;
    while (end < text.size() && isNameChar(text.at(end)))
        ++end;
    return end - from;
}

// Where the fallback that starts at from ends: at the first '%' that opens no placeholder.
int fallbackEnd(const QString &text, int from)
{
    for (int k = from; k < text.size(); ++k) {
        if (text.at(k) != QLatin1Char('%'))
            continue;
        const int length = nameLength(text, k + 1);
        if (length == 0 || k + 1 + length >= text.size() || text.at(k + 1 + length) != QLatin1Char('%'))
            return k;
        k += length + 1; // an inner "%name%"
    }
    return -1;
}

QString albumField(const DiscMetadata *metadata, const char *field)
{
    if (metadata)
        for (const auto &[name, value] : metadata->album)
            if (name == QLatin1String(field))
                return value;
    return QString();
}

// A "NAME=value" comment's value among the metadata's comments of the object.
QString commentValue(const DVDAObject *object, const DiscMetadata *metadata, const char *name)
{
    if (!metadata)
        return QString();
    const QString prefix = QLatin1String(name) + QLatin1Char('=');
    for (const QString &comment : metadataComments(*metadata, object))
        if (comment.startsWith(prefix))
            return comment.mid(prefix.size());
    return QString();
}

} // namespace

QStringList namePlaceholders()
{
    return QStringList{QStringLiteral("%kind%"),  QStringLiteral("%titleset%"), QStringLiteral("%title%"),
                       QStringLiteral("%tag%"),   QStringLiteral("%track%"),    QStringLiteral("%index%"),
                       QStringLiteral("%volume%"), QStringLiteral("%channels%"), QStringLiteral("%bits%"),
                       QStringLiteral("%rate%")}
        + metadataPlaceholders();
}

QStringList metadataPlaceholders()
{
    return {QStringLiteral("%album%"), QStringLiteral("%albumartist%"), QStringLiteral("%artist%"),
            QStringLiteral("%tracktitle%"), QStringLiteral("%date%"), QStringLiteral("%discnumber%")};
}

QString unknownPlaceholder(const QString &nameTemplate)
{
    static const QRegularExpression word(QStringLiteral("%([A-Za-z_]+)[%|]"));
    const QStringList known = namePlaceholders();
    for (QRegularExpressionMatchIterator it = word.globalMatch(nameTemplate); it.hasNext();) {
        const QString found = QLatin1Char('%') + it.next().captured(1) + QLatin1Char('%');
        if (!known.contains(found))
            return found;
    }
    return QString();
}

QString expandTemplate(const QString &text, const std::function<std::optional<QString>(const QString &)> &value)
{
    QString out;
    for (int i = 0; i < text.size();) {
        const int length = text.at(i) == QLatin1Char('%') ? nameLength(text, i + 1) : 0;
        const int after = i + 1 + length;
        if (length > 0 && after < text.size() && text.at(after) == QLatin1Char('%')) {
            const std::optional<QString> known = value(text.mid(i + 1, length));
            out += known ? *known : text.mid(i, length + 2);
            i = after + 1;
            continue;
        }
        const int end = length > 0 && after < text.size() && text.at(after) == QLatin1Char('|')
                            ? fallbackEnd(text, after + 1)
                            : -1;
        if (end >= 0) {
            const std::optional<QString> known = value(text.mid(i + 1, length));
            out += known && !known->isEmpty() ? *known : expandTemplate(text.mid(after + 1, end - after - 1), value);
            i = end + 1;
            continue;
        }
        out += text.at(i++);
    }
    return out;
}

std::optional<QString> objectField(const DVDAObject *object, const DiscMetadata *metadata, const QString &name)
{
    const ObjectPath path = objectPath(object);
    if (!object || !path.title || !path.titleset)
        return std::nullopt;
    const auto twoDigits = [](const DVDAObject *node, int number) {
        return node ? QString::asprintf("%02d", number) : QString();
    };
    if (name == QLatin1String("kind"))
        return QLatin1String(object->kind() == KindTitle ? "title" : object->kind() == KindIndex ? "index" : "track");
    if (name == QLatin1String("titleset"))
        return twoDigits(path.titleset, path.titleset->number);
    if (name == QLatin1String("title"))
        return twoDigits(path.title, path.title->number());
    if (name == QLatin1String("tag"))
        return QString::number(path.title->tag());
    if (name == QLatin1String("track"))
        return twoDigits(path.track, path.track ? path.track->number : 0);
    if (name == QLatin1String("index"))
        return twoDigits(path.index, path.index ? path.index->number : 0);
    if (name == QLatin1String("volume")) {
        const auto *zone = static_cast<const DVDAZone *>(object->ancestor(KindZone));
        return zone && zone->source && zone->source->image ? zone->source->volumeName : QString();
    }
    if (name == QLatin1String("album"))
        return albumField(metadata, "ALBUM");
    if (name == QLatin1String("albumartist"))
        return albumField(metadata, "ALBUMARTIST");
    if (name == QLatin1String("date"))
        return albumField(metadata, "DATE");
    if (name == QLatin1String("discnumber"))
        return albumField(metadata, "DISCNUMBER");
    if (name == QLatin1String("artist"))
        return commentValue(object, metadata, "ARTIST");
    if (name == QLatin1String("tracktitle"))
        return commentValue(object, metadata, "TITLE");
    return std::nullopt;
}

QString emptyTemplateField(const QString &nameTemplate, const DVDAObject *object, const DiscMetadata *metadata)
{
    for (const QString &placeholder : metadataPlaceholders()) {
        if (!nameTemplate.contains(placeholder))
            continue; // absent, or only with a fallback ("%album|...")
        const std::optional<QString> value = objectField(object, metadata, placeholder.mid(1, placeholder.size() - 2));
        if (!value || value->isEmpty())
            return placeholder;
    }
    return QString();
}
