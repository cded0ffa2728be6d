#include "cli/cliarguments.h"

#include <QCoreApplication>

#include "output/flacfile.h"
#include "kestrova_version.h"

namespace {

// The commands an option belongs to.
enum OptionScope { Info = 1, Extract = 2, Verify = 4, Any = Info | Extract | Verify };

struct OptionSpec {
    const char *longName;
    char shortName; // 0 when the option has no short form
    bool takesValue;
    int scope;
};

const OptionSpec optionSpecs[] = {
    {"help", 'h', false, OptionScope::Any},
    {"version", 'V', false, OptionScope::Any},
    {"json", 0, false, OptionScope::Info | OptionScope::Verify},
    {"properties", 0, true, OptionScope::Info},
    {"output", 'o', true, OptionScope::Extract},
    {"store", 0, false, OptionScope::Extract},
    {"convert", 0, false, OptionScope::Extract},
    {"flac", 0, false, OptionScope::Extract},
    {"compression", 0, true, OptionScope::Extract},
    {"tag", 0, true, OptionScope::Extract},
    {"merge", 0, false, OptionScope::Extract},
    {"split", 0, false, OptionScope::Extract},
    {"downmix", 0, false, OptionScope::Extract},
    {"recover", 0, false, OptionScope::Extract},
    {"old-format", 0, false, OptionScope::Extract},
    {"run", 0, true, OptionScope::Extract},
    {"delete", 0, false, OptionScope::Extract},
    {"cache", 0, true, OptionScope::Extract},
    {"threads", 0, true, OptionScope::Extract},
    {"log", 0, false, OptionScope::Extract | OptionScope::Verify},
    {"dry-run", 0, false, OptionScope::Extract},
    {"keep-going", 0, false, OptionScope::Extract},
    {"keep-partial", 0, false, OptionScope::Extract},
    {"per-title", 0, false, OptionScope::Extract},
    {"overwrite", 0, false, OptionScope::Extract},
    {"name", 0, true, OptionScope::Extract},
};

const OptionSpec *findLong(const QString &name)
{
    for (const OptionSpec &spec : optionSpecs) {
        if (name == QLatin1String(spec.longName))
            return &spec;
    }
    return nullptr;
}

const OptionSpec *findShort(QChar letter)
{
    for (const OptionSpec &spec : optionSpecs) {
        if (spec.shortName && letter == QLatin1Char(spec.shortName))
            return &spec;
    }
    return nullptr;
}

struct GivenOption {
    const OptionSpec *spec;
    QString written; // as the user wrote it, for messages
    QString value;
};

QString tr(const char *text)
{
    return QCoreApplication::translate("CliArguments", text);
}

// Splits the arguments into options (with their values) and positional words.
bool splitArguments(const QStringList &arguments, QList<GivenOption> *options,
                    QStringList *positional, QString *error)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &arg = arguments.at(i);
        if (arg == QLatin1String("--")) {
            *positional += arguments.mid(i + 1);
            break;
        }
        const OptionSpec *spec = nullptr;
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
        if (spec->takesValue && !hasValue) {
            if (i + 1 >= arguments.size()) {
                *error = tr("option '%1' needs a value").arg(written);
                return false;
            }
            value = arguments.at(++i);
        } else if (!spec->takesValue && hasValue) {
            *error = tr("option '%1' takes no value").arg(written);
            return false;
        }
        options->append({spec, written, value});
    }
    return true;
}

// The option's value as a whole number from low to high into *out; false, *out
// untouched, for anything else.
bool wholeNumberIn(const QString &value, int low, int high, qint32 *out)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < low || number > high)
        return false;
    *out = number;
    return true;
}

bool applyOption(const GivenOption &option, CliArguments *parsed, QString *error)
{
    const QString name = QLatin1String(option.spec->longName);
    ExtractOptions &o = parsed->options;
    if (name == QLatin1String("json")) {
        parsed->json = true;
    } else if (name == QLatin1String("properties")) {
        parsed->properties = true;
        parsed->propertiesSelector = option.value;
    } else if (name == QLatin1String("output")) {
        if (option.value.isEmpty()) {
            *error = tr("option '%1' needs a folder").arg(option.written);
            return false;
        }
        parsed->outputPath = option.value;
    } else if (name == QLatin1String("store") || name == QLatin1String("convert")) {
        const int mode = name == QLatin1String("store") ? ModeStore : ModeConvert;
        if (o.mode != ModeNone && o.mode != mode) {
            *error = tr("--store and --convert exclude each other");
            return false;
        }
        o.mode = mode;
    } else if (name == QLatin1String("flac")) {
        o.format = OutputFormat::Flac;
    } else if (name == QLatin1String("compression")) {
        parsed->compressionGiven = true;
        if (!wholeNumberIn(option.value, 0, 8, &o.compression)) {
            *error = tr("--compression wants a FLAC level from 0 to 8, not '%1'").arg(option.value);
            return false;
        }
    } else if (name == QLatin1String("tag")) {
        if (!FlacFile::isCommentName(option.value.section(QLatin1Char('='), 0, 0))
            || !option.value.contains(QLatin1Char('='))) {
            *error = tr("--tag wants NAME=VALUE with a name of printable ASCII other than '=', "
                        "not '%1'").arg(option.value);
            return false;
        }
        o.tags << option.value;
    } else if (name == QLatin1String("name")) {
        if (option.value.trimmed().isEmpty()) {
            *error = tr("--name wants a template for the file names, e.g. '%kind%-%track%-[%channels%]'");
            return false;
        }
        o.nameTemplate = option.value;
    } else if (name == QLatin1String("per-title")) {
        o.perTitle = true;
    } else if (name == QLatin1String("merge")) {
        o.merge = true;
    } else if (name == QLatin1String("split")) {
        o.split = true;
    } else if (name == QLatin1String("downmix")) {
        o.downmix = true;
    } else if (name == QLatin1String("recover")) {
        o.streamErrors = true;
    } else if (name == QLatin1String("old-format")) {
        o.oldFormat = true;
    } else if (name == QLatin1String("run")) {
        // As in the dialog: an empty command means no command.
        o.command = option.value;
        o.run = !option.value.isEmpty();
    } else if (name == QLatin1String("delete")) {
        o.deleteFiles = true;
    } else if (name == QLatin1String("cache")) {
        if (!wholeNumberIn(option.value, 0, 9999, &o.cache)) {
            *error = tr("--cache wants a whole number of MiB from 0 to 9999, not '%1'")
                         .arg(option.value);
            return false;
        }
    } else if (name == QLatin1String("threads")) {
        if (!wholeNumberIn(option.value, 1, 64, &o.threads)) {
            *error = tr("--threads wants a whole number of threads from 1 to 64, not '%1'")
                         .arg(option.value);
            return false;
        }
    } else if (name == QLatin1String("log")) {
        o.logMessages = true;
    } else if (name == QLatin1String("dry-run")) {
        parsed->dryRun = true;
    } else if (name == QLatin1String("keep-going")) {
        o.keepGoing = true;
    } else if (name == QLatin1String("keep-partial")) {
        o.keepPartial = true;
    } else if (name == QLatin1String("overwrite")) {
        parsed->overwrite = true;
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
        *error = tr("no command given (info, extract or verify)");
        return false;
    }
    const QString command = positional.takeFirst();
    OptionScope scope;
    if (command == QLatin1String("info")) {
        parsed->command = CliCommand::Info;
        scope = OptionScope::Info;
    } else if (command == QLatin1String("extract")) {
        parsed->command = CliCommand::Extract;
        scope = OptionScope::Extract;
    } else if (command == QLatin1String("verify")) {
        parsed->command = CliCommand::Verify;
        scope = OptionScope::Verify;
    } else {
        *error = tr("unknown command '%1' (info, extract or verify)").arg(command);
        return false;
    }

    for (const GivenOption &option : options) {
        if (!(option.spec->scope & scope)) {
            *error = tr("option '%1' does not belong to the command %2")
                         .arg(option.written, command);
            return false;
        }
        if (!applyOption(option, parsed, error))
            return false;
    }

    if (positional.isEmpty()) {
        *error = tr("%1 needs a zone (the AUDIO_TS folder or a file in it)").arg(command);
        return false;
    }
    parsed->zonePath = positional.takeFirst();

    if (parsed->command == CliCommand::Info) {
        if (!positional.isEmpty()) {
            *error = tr("info takes one zone, not also '%1'").arg(positional.first());
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

QString helpText()
{
    return tr(
        "Usage: kestrova-cli info [--json] [--properties SEL] ZONE\n"
        "       kestrova-cli extract ZONE -o DIR [OPTION...] [SEL...]\n"
        "       kestrova-cli verify [--json] [--log] ZONE [SEL...]\n"
        "       kestrova-cli --help | --version\n"
        "\n"
        "Shows and extracts the audio zone of a DVD-Audio disc. ZONE is the AUDIO_TS\n"
        "folder (or a copy of it), any file in that folder, the root of a mounted disc\n"
        "that holds it, or a UDF disc image (.iso, .img) or drive (/dev/sr0) holding\n"
        "the disc.\n"
        "\n"
        "info prints the zone as an indented tree with the labels of the window.\n"
        "  --json             the whole tree with every object's fields and property\n"
        "                     rows, as JSON\n"
        "  --properties SEL   the property rows of one object, as \"Parameter: Value\"\n"
        "                     lines (SEL may also name a titleset TS or a title TS/TITLE)\n"
        "\n"
        "extract writes the selected tracks and indexes into DIR.\n"
        "  -o, --output DIR   the output folder; it must exist\n"
        "  --store            write the stored stream unchanged (.pcm, .mlp, .raw);\n"
        "                     the default\n"
        "  --convert          decode to wave files\n"
        "  --flac             decode to FLAC files instead (implies --convert); a track\n"
        "                     whose groups share a rate is one file of all its channels\n"
        "                     (as --merge), the shallower group widened losslessly\n"
        "  --compression N    the FLAC level, 0 (fastest) to 8 (smallest), default 5\n"
        "  --tag NAME=VALUE   a Vorbis comment of every FLAC file (repeatable); each file\n"
        "                     also gets TRACKNUMBER, TRACKTOTAL, INDEXNUMBER (an index)\n"
        "                     and ENCODER\n"
        "  --per-title        one file per title instead (or per channel group, as the\n"
        "                     layout says): the titles of the selected tracks, their\n"
        "                     tracks joined without a gap, with the track marks in a\n"
        "                     .cue sheet beside each file and inside it\n"
        "  --merge            one wave file for both channel groups\n"
        "  --split            one wave file per channel\n"
        "  --downmix          the stream's stereo downmix\n"
        "  --recover          recover from stream errors\n"
        "  --old-format       plain wave header instead of the extensible one\n"
        "  --run CMD          run CMD on every file produced, one at a time; it may use\n"
        "                     %path% %filepath% %filebase% %filename% %ext%\n"
        "                     %channels% %samplerate% %bits%\n"
        "  --delete           delete each file once its command has succeeded\n"
        "  --cache MIB        hold the extraction back while more than MIB mebibytes of\n"
        "                     files wait for the command (0 to 9999, default 1000)\n"
        "  --threads N        use N threads (1 to 64): N objects at once, and spare\n"
        "                     threads help encode FLAC; default: one object at a time,\n"
        "                     its FLAC encoded on every core\n"
        "  --log              decoder messages to Kestrova.log and the command's output\n"
        "                     to KestrovaEnc.log, both in the output folder\n"
        "  --dry-run          check the zone, the folder and the selectors, print the\n"
        "                     options and the objects, and write nothing\n"
        "  --keep-going       after a failed object go on with the next one, and list\n"
        "                     the failures at the end\n"
        "  --keep-partial     keep what a failed or cancelled object wrote, as\n"
        "                     NAME.partial.EXT (without it nothing of it is left)\n"
        "  --name TEMPLATE    name the files by TEMPLATE (the extension is added):\n"
        "                     %kind% %titleset% %title% %tag% %track% %index% %volume%\n"
        "                     %channels% %bits% %rate%; the default names are\n"
        "                     %kind%-%titleset%-%title%[%tag%]-%track%-[%channels%]-%bits%-%rate%\n"
        "                     for a track; names two files share are a usage error\n"
        "  --overwrite        replace files of the same names in the output folder;\n"
        "                     without it, extract writes nothing when one exists\n"
        "\n"
        "verify reads and decodes the selected tracks and indexes, writes no file and\n"
        "prints a line per object: ok, or DAMAGED with the errors by kind and the time\n"
        "of the first; a summary line follows.\n"
        "  --json             the report as JSON\n"
        "  --log              decoder messages to Kestrova.log in the current folder\n"
        "\n"
        "Selectors name objects by the numbers the tree shows:\n"
        "  TS/TITLE/TRACK        a track, e.g. 1/1/3\n"
        "  TS/TITLE/TRACK/INDEX  an index, by its own number, e.g. 1/1/3/5\n"
        "  TS/TITLE              every track of a title (TITLE[TAG], e.g. 1/2[1],\n"
        "                        picks one of two titles with the same number)\n"
        "  TS                    every track of an audio titleset\n"
        "  all                   every track of every audio titleset (the default)\n"
        "\n"
        "Ctrl+C, SIGTERM or SIGHUP stops an extraction: the files written so far are\n"
        "finished, a running command is killed. A second one ends the program at once.\n"
        "\n"
        "Exit status: 0 success, 1 failure (for verify and for extract --convert also:\n"
        "damaged or unreadable audio; and when damage to the zone left selected objects\n"
        "out), 2 usage error or files that exist already, 130 cancelled.\n");
}

QString versionText()
{
    return QStringLiteral("kestrova-cli " KESTROVA_VERSION "\n");
}
