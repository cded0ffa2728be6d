#include "text/optionstext.h"

#include "extraction/extractoptions.h"

namespace {
QString yesNo(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

QString modeName(int mode)
{
    switch (mode) {
    case ModeStore: return QStringLiteral("store");
    case ModeConvert: return QStringLiteral("convert");
    }
    return QStringLiteral("none");
}
} // namespace

QString optionsText(const ExtractOptions &o)
{
    QString text;
    const auto line = [&text](const char *field, const QString &value) {
        text += QLatin1String(field) + QLatin1String(": ") + value + QLatin1Char('\n');
    };
    line("output", o.outputDir.path());
    line("mode", modeName(o.mode));
    line("merge", yesNo(o.merge));
    line("split", yesNo(o.split));
    line("downmix", yesNo(o.downmix));
    line("recover", yesNo(o.streamErrors));
    line("old-format", yesNo(o.oldFormat));
    line("run", yesNo(o.run));
    line("command", o.command);
    line("cache", QString::number(o.cache));
    line("delete", yesNo(o.deleteFiles));
    line("log", yesNo(o.logMessages));
    line("keep-going", yesNo(o.keepGoing));
    line("keep-partial", yesNo(o.keepPartial));
    line("threads", o.threads > 0 ? QString::number(o.threads) : QStringLiteral("auto"));
    line("format", o.format == OutputFormat::Flac ? QStringLiteral("flac") : QStringLiteral("wav"));
    line("compression", QString::number(o.compression));
    line("tag", o.tags.join(QStringLiteral("; ")));
    line("per-title", yesNo(o.perTitle));
    line("replaygain", yesNo(o.replayGain));
    line("album", o.albumPerSelection ? QStringLiteral("selection") : QStringLiteral("title"));
    line("name", o.nameTemplate);
    return text;
}
