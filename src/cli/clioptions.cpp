#include "cli/clioptions.h"

#include <QCoreApplication>

#include "cli/cliarguments.h"
#include "output/flacfile.h"

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CliArguments", text);
}

// The option's value as a whole number from low to high into *out; false, *out
// untouched, for anything else.
[[nodiscard]] bool wholeNumberIn(const QString &value, int low, int high, qint32 *out)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok || number < low || number > high)
        return false;
    *out = number;
    return true;
}

[[nodiscard]] bool setMode(int mode, CliArguments *parsed, QString *error)
{
    int &current = parsed->options.mode;
    if (current != ModeNone && current != mode) {
        *error = tr("--store and --convert exclude each other");
        return false;
    }
    current = mode;
    return true;
}

using V = const QString &;
using A = CliArguments *;
using E = QString *;

// Applies a flag that only sets one field.
#define FLAG(field) [](V, V, A p, E) { p->field = true; return true; }

const char jsonInfoHelp[] = QT_TRANSLATE_NOOP("CliArguments",
    "the whole tree with every object's fields and property\nrows, as JSON");
const char logExtractHelp[] = QT_TRANSLATE_NOOP("CliArguments",
    "decoder messages to Kestrova.log and the command's output\nto KestrovaEnc.log, both in the output folder");

} // namespace

const std::vector<CliOption> &cliOptions()
{
    static const std::vector<CliOption> options = {
        // Either ends the parsing before any option applies.
        {"help", 'h', nullptr, ScopeAny, nullptr, [](V, V, A, E) { return true; }, CliValueKind::None, nullptr},
        {"version", 'V', nullptr, ScopeAny, nullptr, [](V, V, A, E) { return true; }, CliValueKind::None,
         nullptr},
        {"json", 0, nullptr, ScopeInfo, jsonInfoHelp, FLAG(json), CliValueKind::None, nullptr},
        {"properties", 0, "SEL", ScopeInfo,
         QT_TRANSLATE_NOOP("CliArguments", "the property rows of one object, as \"Parameter: Value\"\n"
                                           "lines (SEL may also name a titleset TS or a title TS/TITLE)"),
         [](V value, V, A p, E) {
             p->properties = true;
             p->propertiesSelector = value;
             return true;
         },
         CliValueKind::Free, nullptr},
        {"output", 'o', "DIR", ScopeExtract, QT_TRANSLATE_NOOP("CliArguments", "the output folder; it must exist"),
         [](V value, V written, A p, E error) {
             if (value.isEmpty()) {
                 *error = tr("option '%1' needs a folder").arg(written);
                 return false;
             }
             p->outputPath = value;
             return true;
         },
         CliValueKind::Folder, nullptr},
        {"store", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "write the stored stream unchanged (.pcm, .mlp, .raw);\nthe default"),
         [](V, V, A p, E error) { return setMode(ModeStore, p, error); }, CliValueKind::None, nullptr},
        {"convert", 0, nullptr, ScopeExtract, QT_TRANSLATE_NOOP("CliArguments", "decode to wave files"),
         [](V, V, A p, E error) { return setMode(ModeConvert, p, error); }, CliValueKind::None, nullptr},
        {"flac", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "decode to FLAC files instead (implies --convert); a track\n"
                                           "whose groups share a rate is one file of all its channels\n"
                                           "(as --merge), the shallower group widened losslessly"),
         [](V, V, A p, E) {
             p->options.format = OutputFormat::Flac;
             return true;
         },
         CliValueKind::None, nullptr},
        {"compression", 0, "N", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "the FLAC level, 0 (fastest) to 8 (smallest), default 5"),
         [](V value, V, A p, E error) {
             p->compressionGiven = true;
             if (wholeNumberIn(value, 0, 8, &p->options.compression))
                 return true;
             *error = tr("--compression wants a FLAC level from 0 to 8, not '%1'").arg(value);
             return false;
         },
         CliValueKind::Choices, "0 1 2 3 4 5 6 7 8"},
        {"tag", 0, "NAME=VALUE", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "a Vorbis comment of every FLAC file (repeatable); each file\n"
                                           "also gets TRACKNUMBER, TRACKTOTAL, INDEXNUMBER (an index)\n"
                                           "and ENCODER"),
         [](V value, V, A p, E error) {
             if (!FlacFile::isCommentName(value.section(QLatin1Char('='), 0, 0))
                 || !value.contains(QLatin1Char('='))) {
                 *error = tr("--tag wants NAME=VALUE with a name of printable ASCII other than '=', "
                             "not '%1'").arg(value);
                 return false;
             }
             p->options.tags << value;
             return true;
         },
         CliValueKind::Free, nullptr},
        {"per-title", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "one file per title instead (or per channel group, as the\n"
                                           "layout says): the titles of the selected tracks, their\n"
                                           "tracks joined without a gap, with the track marks in a\n"
                                           ".cue sheet beside each file and inside it"),
         FLAG(options.perTitle), CliValueKind::None, nullptr},
        {"replaygain", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "measure each decoded file's loudness as it is written and\n"
                                           "tag FLAC files with ReplayGain 2.0 (track and album gain\n"
                                           "and peak, -18 LUFS) once every object is done; the rip\n"
                                           "log keeps the figures of every file; --run then gets the\n"
                                           "files tagged"),
         FLAG(options.replayGain), CliValueKind::None, nullptr},
        {"album", 0, "WHAT", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "the ReplayGain album: 'title' (the files of each title, the\n"
                                           "default) or 'selection' (all files of the run)"),
         [](V value, V, A p, E error) {
             if (value != QLatin1String("title") && value != QLatin1String("selection")) {
                 *error = tr("--album wants 'title' or 'selection', not '%1'").arg(value);
                 return false;
             }
             p->options.albumPerSelection = value == QLatin1String("selection");
             p->albumGiven = true;
             return true;
         },
         CliValueKind::Choices, "title selection"},
        {"merge", 0, nullptr, ScopeExtract, QT_TRANSLATE_NOOP("CliArguments", "one wave file for both channel groups"),
         FLAG(options.merge), CliValueKind::None, nullptr},
        {"split", 0, nullptr, ScopeExtract, QT_TRANSLATE_NOOP("CliArguments", "one wave file per channel"),
         FLAG(options.split), CliValueKind::None, nullptr},
        {"downmix", 0, nullptr, ScopeExtract, QT_TRANSLATE_NOOP("CliArguments", "the stream's stereo downmix"),
         FLAG(options.downmix), CliValueKind::None, nullptr},
        {"recover", 0, nullptr, ScopeExtract, QT_TRANSLATE_NOOP("CliArguments", "recover from stream errors"),
         FLAG(options.streamErrors), CliValueKind::None, nullptr},
        {"old-format", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "plain wave header instead of the extensible one"),
         FLAG(options.oldFormat), CliValueKind::None, nullptr},
        {"run", 0, "CMD", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "run CMD on every file produced, one at a time; it may use\n"
                                           "%path% %filepath% %filebase% %filename% %ext%\n"
                                           "%channels% %samplerate% %bits%"),
         [](V value, V, A p, E) {
             // As in the dialog: an empty command means no command.
             p->options.command = value;
             p->options.run = !value.isEmpty();
             return true;
         },
         CliValueKind::Program, nullptr},
        {"delete", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "delete each file once its command has succeeded"),
         FLAG(options.deleteFiles), CliValueKind::None, nullptr},
        {"cache", 0, "MIB", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "hold the extraction back while more than MIB mebibytes of\n"
                                           "files wait for the command (0 to 9999, default 1000)"),
         [](V value, V, A p, E error) {
             if (wholeNumberIn(value, 0, 9999, &p->options.cache))
                 return true;
             *error = tr("--cache wants a whole number of MiB from 0 to 9999, not '%1'").arg(value);
             return false;
         },
         CliValueKind::Free, nullptr},
        {"threads", 0, "N", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "use N threads (1 to 64): N objects at once, and spare\n"
                                           "threads help encode FLAC; default: one object at a time,\n"
                                           "its FLAC encoded on every core"),
         [](V value, V, A p, E error) {
             if (wholeNumberIn(value, 1, 64, &p->options.threads))
                 return true;
             *error = tr("--threads wants a whole number of threads from 1 to 64, not '%1'").arg(value);
             return false;
         },
         CliValueKind::Free, nullptr},
        {"log", 0, nullptr, ScopeExtract, logExtractHelp, FLAG(options.logMessages), CliValueKind::None, nullptr},
        {"dry-run", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "check the zone, the folder and the selectors, print the\n"
                                           "options and the objects, and write nothing"),
         FLAG(dryRun), CliValueKind::None, nullptr},
        {"keep-going", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "after a failed object go on with the next one, and list\n"
                                           "the failures at the end"),
         FLAG(options.keepGoing), CliValueKind::None, nullptr},
        {"keep-partial", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "keep what a failed or cancelled object wrote, as\n"
                                           "NAME.partial.EXT (without it nothing of it is left)"),
         FLAG(options.keepPartial), CliValueKind::None, nullptr},
        {"name", 0, "TEMPLATE", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "name the files by TEMPLATE (the extension is added):\n"
                                           "%kind% %titleset% %title% %tag% %track% %index% %volume%\n"
                                           "%channels% %bits% %rate%, and from --metadata %album%\n"
                                           "%albumartist% %artist% %tracktitle% %date% %discnumber%\n"
                                           "(%tracktitle|Track %track%% gives a fallback); a track's\n"
                                           "default name is %kind%-%titleset%-%title%[%tag%]-\n"
                                           "%track%-[%channels%]-%bits%-%rate%; a '/' makes\n"
                                           "subfolders; names two files share are a usage error"),
         [](V value, V, A p, E error) {
             if (value.trimmed().isEmpty()) {
                 *error = tr("--name wants a template for the file names, e.g. '%kind%-%track%-[%channels%]'");
                 return false;
             }
             p->options.nameTemplate = value;
             return true;
         },
         CliValueKind::Free, nullptr},
        {"metadata", 0, "FILE", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "tag the FLAC files from the disc's metadata file FILE\n"
                                           "(made by the metadata command, then filled in)"),
         [](V value, V written, A p, E error) {
             if (value.isEmpty()) {
                 *error = tr("option '%1' needs a file").arg(written);
                 return false;
             }
             p->metadataPath = value;
             return true;
         },
         CliValueKind::File, nullptr},
        {"cover", 0, "FILE", ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "embed the JPEG or PNG image FILE in every FLAC file as its\n"
                                           "front cover, and write it beside the files as cover.jpg or\n"
                                           "cover.png (default: the metadata file's cover)"),
         [](V value, V written, A p, E error) {
             if (value.isEmpty()) {
                 *error = tr("option '%1' needs a file").arg(written);
                 return false;
             }
             p->coverPath = value;
             return true;
         },
         CliValueKind::File, nullptr},
        {"overwrite", 0, nullptr, ScopeExtract,
         QT_TRANSLATE_NOOP("CliArguments", "replace files of the same names in the output folder;\n"
                                           "without it, extract writes nothing when one exists"),
         FLAG(overwrite), CliValueKind::None, nullptr},
        {"json", 0, nullptr, ScopeVerify, QT_TRANSLATE_NOOP("CliArguments", "the report as JSON"), FLAG(json),
         CliValueKind::None, nullptr},
        {"log", 0, nullptr, ScopeVerify,
         QT_TRANSLATE_NOOP("CliArguments", "decoder messages to Kestrova.log in the current folder"),
         FLAG(options.logMessages), CliValueKind::None, nullptr},
    };
    return options;
}

const std::vector<CliCommandName> &cliCommandNames()
{
    static const std::vector<CliCommandName> names = {
        {"info", ScopeInfo}, {"extract", ScopeExtract}, {"verify", ScopeVerify}, {"metadata", ScopeMetadata},
        {"check-rip", ScopeCheckRip}};
    return names;
}

QString optionLabel(const CliOption &option)
{
    QString label = QStringLiteral("--") + QLatin1String(option.longName);
    if (option.shortName)
        label = QStringLiteral("-%1, ").arg(QLatin1Char(option.shortName)) + label;
    if (option.value)
        label += QLatin1Char(' ') + QLatin1String(option.value);
    return label;
}

QStringList optionNamesOf(CliScope scope)
{
    QStringList names;
    for (const CliOption &option : cliOptions()) {
        if (scope == ScopeAny ? option.scope != ScopeAny : !(option.scope & scope))
            continue;
        if (option.shortName)
            names << QStringLiteral("-%1").arg(QLatin1Char(option.shortName));
        const QString name = QStringLiteral("--") + QLatin1String(option.longName);
        if (!names.contains(name))
            names << name;
    }
    return names;
}

namespace {
// The rows of --help of the options of one command: the label, then its lines in a
// column of their own.
QString optionRows(CliScope scope)
{
    enum { INDENT = 2, LABEL_WIDTH = 19 };
    QString rows;
    for (const CliOption &option : cliOptions()) {
        if (option.scope != scope || !option.help)
            continue;
        const QStringList lines = tr(option.help).split(QLatin1Char('\n'));
        QString label = optionLabel(option);
        label = label.size() < LABEL_WIDTH ? label.leftJustified(LABEL_WIDTH) : label + QLatin1Char(' ');
        rows += QString(INDENT, QLatin1Char(' ')) + label + lines.first() + QLatin1Char('\n');
        for (int k = 1; k < lines.size(); ++k)
            rows += QString(INDENT + LABEL_WIDTH, QLatin1Char(' ')) + lines.at(k) + QLatin1Char('\n');
    }
    return rows;
}
} // namespace

QString helpText()
{
    return tr("Usage: kestrova-cli info [--json] [--properties SEL] ZONE\n"
              "       kestrova-cli extract ZONE -o DIR [OPTION...] [SEL...]\n"
              "       kestrova-cli verify [--json] [--log] ZONE [SEL...]\n"
              "       kestrova-cli metadata ZONE > FILE\n"
              "       kestrova-cli check-rip DIR\n"
              "       kestrova-cli --help | --version\n"
              "\n"
              "Shows and extracts the audio zone of a DVD-Audio disc. ZONE is the AUDIO_TS\n"
              "folder (or a copy of it), any file in that folder, the root of a mounted disc\n"
              "that holds it, or a UDF disc image (.iso, .img) or drive (/dev/sr0) holding\n"
              "the disc.\n"
              "\n"
              "info prints the zone as an indented tree with the labels of the window.\n")
        + optionRows(ScopeInfo)
        + tr("\n"
             "extract writes the selected tracks and indexes into DIR.\n")
        + optionRows(ScopeExtract)
        + tr("\n"
             "verify reads and decodes the selected tracks and indexes, writes no file and\n"
             "prints a line per object: ok, or DAMAGED with the errors by kind and the time\n"
             "of the first; a summary line follows.\n")
        + optionRows(ScopeVerify)
        + tr("\n"
             "metadata prints the disc's metadata file to fill in (JSON): its disc ID, the\n"
             "album's fields, and a title and artist for every title and track, with their\n"
             "numbers and lengths. Filled in, extract --metadata tags the files with it.\n")
        + tr("\n"
             "check-rip reads the rip log in DIR (kestrova-rip.log) and decodes every WAV and\n"
             "FLAC file it names, by its place under DIR: a line per file, ok, missing,\n"
             "changed (sample count or the CRC-32 of its samples) or unreadable; a line per\n"
             "WAV or FLAC file the log does not name (extra) and per record edited since it\n"
             "was written. A WAV a command re-encoded to FLAC is checked through the FLAC.\n")
        + tr("\n"
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
             "out; for check-rip any difference from the log), 2 usage error or files that\n"
             "exist already (or no rip log), 130 cancelled.\n");
}
