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
    line("outputDir", o.outputDir.path());
    line("mode", modeName(o.mode));
    line("merge", yesNo(o.merge));
    line("split", yesNo(o.split));
    line("downmix", yesNo(o.downmix));
    line("streamErrors", yesNo(o.streamErrors));
    line("oldFormat", yesNo(o.oldFormat));
    line("run", yesNo(o.run));
    line("command", o.command);
    line("cache", QString::number(o.cache));
    line("deleteFiles", yesNo(o.deleteFiles));
    line("logMessages", yesNo(o.logMessages));
    line("keepGoing", yesNo(o.keepGoing));
    line("keepPartial", yesNo(o.keepPartial));
    line("threads", o.threads > 0 ? QString::number(o.threads) : QStringLiteral("auto"));
    line("format", o.format == OutputFormat::Flac ? QStringLiteral("flac") : QStringLiteral("wav"));
    line("compression", QString::number(o.compression));
    line("tags", o.tags.join(QStringLiteral("; ")));
    line("perTitle", yesNo(o.perTitle));
    line("nameTemplate", o.nameTemplate);
    return text;
}
