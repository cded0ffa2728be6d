#pragma once
// The command line of kestrova-cli as one value record, parsed without touching any file.
#include <QString>
#include <QStringList>

#include "extraction/extractoptions.h"

enum class CliCommand {
    None,
    Help,
    Version,
    Info,
    Extract,
    Verify,
    Metadata,
    CheckRip,
};

struct CliArguments {
    CliCommand command = CliCommand::None;
    QString zonePath;           // the zone folder or any file in it
    // info
    bool json = false;
    bool properties = false;    // print one object's rows instead of the tree
    QString propertiesSelector;
    // extract (verify takes the selectors, --log and --json)
    QString outputPath;         // as given; checked and made absolute when the zone is opened
    QStringList selectors;      // "all" when none was given
    ExtractOptions options;     // outputDir is filled in after the checks
    bool dryRun = false;
    bool overwrite = false;     // replace files of the same names in the output folder
    bool compressionGiven = false; // --compression was written, whatever its value
    bool albumGiven = false;       // --album was written
    QString metadataPath;       // --metadata: the disc's metadata file, read once the zone is open
    QString coverPath;          // --cover: the front cover image
};

// Parses the arguments after the program name. On a usage error returns false and sets
// error to a one-line reason.
[[nodiscard]] bool parseArguments(const QStringList &arguments, CliArguments *parsed, QString *error);

[[nodiscard]] QString versionText();
