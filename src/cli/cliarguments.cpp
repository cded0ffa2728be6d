#include "cli/cliarguments.h"

#include <QCoreApplication>

#include "cli/clioptions.h"
#include "kestrova_version.h"

namespace {

const CliOption *findLong(const QString &name)
{
    for (const CliOption &option : cliOptions()) {
        if (name == QLatin1String(option.longName))
            return &option;
    }
    return nullptr;
}

const CliOption *findShort(QChar letter)
{
    for (const CliOption &option : cliOptions()) {
        if (option.shortName && letter == QLatin1Char(option.shortName))
            return &option;
    }
    return nullptr;
}

// The row of the option for the command: its own where the option has one per command.
const CliOption *rowFor(const CliOption *spec, CliScope scope)
{
    for (const CliOption &option : cliOptions()) {
        if ((option.scope & scope) && !qstrcmp(option.longName, spec->longName))
            return &option;
    }
    return nullptr;
}

struct GivenOption {
    const CliOption *spec;
    QString written; // as the user wrote it, for messages
    QString value;
};

QString tr(const char *text)
{
    return QCoreApplication::translate("CliArguments", text);
}

// Splits the arguments into options (with their values) and positional words.
[[nodiscard]] bool splitArguments(const QStringList &arguments, QList<GivenOption> *options,
                    QStringList *positional, QString *error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            *positional += arguments.mid(i + 1);
            break;
        }
        const CliOption *spec = nullptr;
        QString written;
        QString value;
        bool hasValue = false;
        if (arg.startsWith(QLatin1String("--"))) {
            const int eq = arg.indexOf(QLatin1Char('='));
            const QString name = arg.mid(2, eq < 0 ? -1 : eq - 2);
            written = QLatin1String("--") + name;
            spec = findLong(name);
            if (eq >= 0) {
                value = arg.mid(eq + 1);
                hasValue = true;
            }
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            written = arg.left(2);
            spec = findShort(arg.at(1));
            if (arg.size() > 2) {
                value = arg.mid(2);
                hasValue = true;
            }
        } else {
            positional->append(arg);
            continue;
        }
        if (!spec) {
            *error = tr("unknown option '%1'").arg(written);
            return false;
        }
        if (spec->value && !hasValue) {
            if (i + 1 >= arguments.size()) {
                *error = tr("option '%1' needs a value").arg(written);
                return false;
            }
            value = arguments.at(++i);
        } else if (!spec->value && hasValue) {
            *error = tr("option '%1' takes no value").arg(written);
            return false;
        }
        options->append({spec, written, value});
    }
    return true;
}

} // namespace

bool parseArguments(const QStringList &arguments, CliArguments *parsed, QString *error)
{
    *parsed = CliArguments();
    QList<GivenOption> options;
    QStringList positional;
    if (!splitArguments(arguments, &options, &positional, error))
        return false;

    for (const GivenOption &option : options) {
        if (option.spec->shortName == 'h') {
            parsed->command = CliCommand::Help;
            return true;
        }
    }
    for (const GivenOption &option : options) {
        if (option.spec->shortName == 'V') {
            parsed->command = CliCommand::Version;
            return true;
        }
    }

    if (positional.isEmpty()) {
        *error = tr("no command given (info, extract, verify, metadata or check-rip)");
        return false;
    }
    const QString command = positional.takeFirst();
    CliScope scope;
    if (command == QLatin1String("info")) {
        parsed->command = CliCommand::Info;
        scope = ScopeInfo;
    } else if (command == QLatin1String("extract")) {
        parsed->command = CliCommand::Extract;
        scope = ScopeExtract;
    } else if (command == QLatin1String("verify")) {
        parsed->command = CliCommand::Verify;
        scope = ScopeVerify;
    } else if (command == QLatin1String("metadata")) {
        parsed->command = CliCommand::Metadata;
        scope = ScopeMetadata;
    } else if (command == QLatin1String("check-rip")) {
        parsed->command = CliCommand::CheckRip;
        scope = ScopeCheckRip;
    } else {
        *error = tr("unknown command '%1' (info, extract, verify, metadata or check-rip)").arg(command);
        return false;
    }

    for (const GivenOption &option : options) {
        const CliOption *row = rowFor(option.spec, scope);
        if (!row) {
            *error = tr("option '%1' does not belong to the command %2")
                         .arg(option.written, command);
            return false;
        }
        if (!row->apply(option.value, option.written, parsed, error))
            return false;
    }

    if (positional.isEmpty()) {
        *error = parsed->command == CliCommand::CheckRip
                     ? tr("check-rip needs the folder of a rip (the one holding kestrova-rip.log)")
                     : tr("%1 needs a zone (the AUDIO_TS folder or a file in it)").arg(command);
        return false;
    }
    parsed->zonePath = positional.takeFirst(); // check-rip: the rip's folder

    if (parsed->command == CliCommand::Info || parsed->command == CliCommand::Metadata
        || parsed->command == CliCommand::CheckRip) {
        if (!positional.isEmpty()) {
            *error = tr("%1 takes one zone, not also '%2'").arg(command, positional.first());
            return false;
        }
        return true;
    }

    parsed->selectors = positional.isEmpty() ? QStringList{QStringLiteral("all")} : positional;
    ExtractOptions &o = parsed->options;
    if (parsed->command == CliCommand::Verify) {
        o.mode = ModeVerify;
        return true;
    }
    if (int(o.merge) + int(o.split) + int(o.downmix) > 1) {
        *error = tr("--merge, --split and --downmix exclude each other");
        return false;
    }
    if ((o.replayGain || parsed->albumGiven) && o.mode == ModeStore) {
        *error = tr("--replaygain and --album go with decoded files, not --store");
        return false;
    }
    if (parsed->albumGiven && !o.replayGain) {
        *error = tr("--album goes with --replaygain");
        return false;
    }
    if (o.replayGain)
        o.mode = ModeConvert; // the loudness of decoded files
    if (o.format == OutputFormat::Flac) {
        if (o.mode == ModeStore) {
            *error = tr("--flac goes with --convert, not --store");
            return false;
        }
        o.mode = ModeConvert; // --flac alone decodes
    } else if (parsed->compressionGiven || !o.tags.isEmpty()) {
        *error = tr("--compression and --tag go with --flac");
        return false;
    }
    if (o.mode == ModeNone)
        o.mode = ModeStore; // what the dialog selects on first use
    if (parsed->outputPath.isEmpty()) {
        *error = tr("extract needs an output folder: -o DIR");
        return false;
    }
    return true;
}

QString versionText()
{
    return QStringLiteral("kestrova-cli " KESTROVA_VERSION "\n");
}
