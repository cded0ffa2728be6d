#include "extraction/objectnames.h"
#include "extraction/discmetadata.h"
#include "extraction/nametemplate.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "stream/channeltable.h"
#include "zone/dvdazone.h"
#include "zone/objectpath.h"
#include "output/samplefilesink.h"
#include "kestrova_version.h"

QString objectBaseName(const DVDAObject *object)
{
    const ObjectPath path = objectPath(object);
    if (!object || !path.title || !path.titleset)
        return QString();
    const int title = path.title->number();
    const int tag = path.title->tag();
    if (object->kind() == KindTitle)
        return QString::asprintf("title-%02d-%02d[%01d]", path.titleset->number, title, tag);
    if (!path.track)
        return QString();
    if (object->kind() == KindIndex)
        return QString::asprintf("index-%02d-%02d[%01d]-%02d", path.titleset->number, title,
                                 tag, path.index->number);
    return QString::asprintf("track-%02d-%02d[%01d]-%02d", path.titleset->number, title, tag,
                             path.track->number);
}

QList<QString> uniqueBaseNames(const QList<DVDAObject *> &objects)
{
    QSet<QString> used;
    QList<QString> names;
    for (const DVDAObject *object : objects) {
        const QString name = objectBaseName(object);
        QString candidate = name;
        for (int n = 2; used.contains(candidate); ++n)
            candidate = name + QLatin1Char('-') + QString::number(n);
        used.insert(candidate);
        names.append(candidate);
    }
    return names;
}

QString templatedBaseName(const QString &nameTemplate, const DVDAObject *object, const DiscMetadata *metadata)
{
    if (!objectField(object, metadata, QStringLiteral("kind")))
        return QString();
    // A name holds no control character, and no '"': a cue sheet names its file between
    // quotes and has no way to escape one. A field's value makes no subfolder.
    const auto cleaned = [](QString text, bool slashes) {
        for (QChar &c : text)
            if ((slashes && c == QLatin1Char('/')) || c == QLatin1Char('"') || c.category() == QChar::Other_Control)
                c = QLatin1Char('_');
        return text;
    };
    return expandTemplate(cleaned(nameTemplate, false), [object, metadata, &cleaned](const QString &name) {
        const std::optional<QString> value = objectField(object, metadata, name);
        return value ? std::optional<QString>(cleaned(*value, true)) : std::nullopt;
    });
}

QList<QString> extractionBaseNames(const QList<DVDAObject *> &objects, const QString &nameTemplate,
                                   const DiscMetadata *metadata)
{
    if (nameTemplate.isEmpty())
        return uniqueBaseNames(objects);
    QList<QString> names;
    for (const DVDAObject *object : objects)
        names << templatedBaseName(nameTemplate, object, metadata);
    return names;
}

NamedPathProblem namedPathProblem(const QString &folder, const QString &path, QString *part)
{
    const QString inside = path.mid(folder.size() + 1);
    if (!path.startsWith(folder + QLatin1Char('/')) || inside.startsWith(QLatin1Char('/'))) {
        *part = path;
        return NamedPathProblem::Outside;
    }
    const QStringList parts = inside.split(QLatin1Char('/'));
    for (int k = 0; k < parts.size(); ++k) {
        const QString &name = parts.at(k);
        *part = name;
        if (name == QLatin1String(".."))
            return NamedPathProblem::Outside;
        // ".flac": nothing before the extension.
        if (name.isEmpty() || (k + 1 == parts.size() && name.lastIndexOf(QLatin1Char('.')) == 0))
            return NamedPathProblem::EmptyPart;
        if (name.startsWith(QLatin1Char('.')))
            return NamedPathProblem::HiddenPart;
    }
    // A subfolder that exists already may be a link: where it leads must be in the folder.
    const QString root = QFileInfo(folder).canonicalFilePath();
    QString prefix = folder;
    for (int k = 0; k + 1 < parts.size(); ++k) {
        prefix += QLatin1Char('/') + parts.at(k);
        const QFileInfo entry(prefix);
        if (!entry.exists() && !entry.isSymLink())
            break;
        const QString target = entry.canonicalFilePath();
        if (target.isEmpty() || !(target + QLatin1Char('/')).startsWith(root + QLatin1Char('/'))) {
            *part = parts.at(k);
            return NamedPathProblem::Outside;
        }
    }
    part->clear();
    return NamedPathProblem::None;
}

QStringList objectComments(const DVDAObject *object, const QStringList &userTags, const DiscMetadata *metadata)
{
    QStringList comments;
    const ObjectPath path = objectPath(object);
    if (path.track && path.title) {
        comments << QStringLiteral("TRACKNUMBER=%1").arg(path.track->number)
                 << QStringLiteral("TRACKTOTAL=%1").arg(path.title->tracks.size());
    }
    if (path.index)
        comments << QStringLiteral("INDEXNUMBER=%1").arg(path.index->number);
    comments << QStringLiteral("ENCODER=Kestrova " KESTROVA_VERSION);
    if (metadata)
        comments << metadataComments(*metadata, object);
    // Names are matched without regard to case, as Vorbis comments are.
    for (const QString &tag : userTags) {
        const QString name = tag.section(QLatin1Char('='), 0, 0) + QLatin1Char('=');
        comments.erase(std::remove_if(comments.begin(), comments.end(),
                                      [&name](const QString &c) {
                                          return c.startsWith(name, Qt::CaseInsensitive);
                                      }),
                       comments.end());
    }
    return comments + userTags;
}

namespace {
// A name template's per-file fields filled in.
QString fillFileFields(QString nameTemplate, const QString &channels, int bits, int rate)
{
    return nameTemplate.replace(QLatin1String("%channels%"), channels)
        .replace(QLatin1String("%bits%"), QString::number(bits))
        .replace(QLatin1String("%rate%"), QString::number(rate));
}

// "-[L-R]-24-96000"
QString fieldsSuffix(const QString &channels, int bits, int rate)
{
    return QStringLiteral("-[%1]-%2-%3").arg(channels).arg(bits).arg(rate);
}

// A stored stream's channels ("L-R", "Lf-Rf-C-LFE") and its extension.
QString storedChannels(const StreamInfo &info)
{
    QString group1, group2;
    describeChannels(info, nullptr, nullptr, &group1, &group2, nullptr);
    return info.group2Channels == 0 ? group1 : group1 + QLatin1Char('-') + group2;
}

QString storedExtension(const StreamInfo &info)
{
    return info.subStreamId == SUBSTREAM_PCM   ? QStringLiteral("pcm")
           : info.subStreamId == SUBSTREAM_MLP ? QStringLiteral("mlp")
                                               : QStringLiteral("raw");
}
} // namespace

QString storeSuffix(const StreamInfo &info)
{
    QString suffix;
    if (info.subStreamId == SUBSTREAM_PCM || info.subStreamId == SUBSTREAM_MLP)
        suffix = fieldsSuffix(storedChannels(info), info.group1Bits, info.group1SampleRate);
    return suffix + QLatin1Char('.') + storedExtension(info);
}

FileName layoutFileName(const QString &base, const LayoutFile &file, const QString &extension, bool templated,
                        bool marked)
{
    const QString stem = templated ? fillFileFields(base, file.names, file.bits, file.rate)
                                   : base + fieldsSuffix(file.names, file.bits, file.rate);
    return {stem + QLatin1Char('.') + extension, marked ? stem + QStringLiteral(".cue") : QString()};
}

QString storePath(const QString &base, const StreamInfo &info, bool templated)
{
    if (!templated)
        return base + storeSuffix(info);
    return fillFileFields(base, storedChannels(info), info.group1Bits, info.group1SampleRate)
           + QLatin1Char('.') + storedExtension(info);
}
