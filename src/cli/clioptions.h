#pragma once
// Every option of kestrova-cli, written once: its names, its value, the commands it
// belongs to, its lines of --help, how it applies, and what a shell offers for its value.
// The parser, --help, the manual page's test and the shell completions all read this table.
#include <QString>
#include <QStringList>
#include <vector>

struct CliArguments;

// The commands an option belongs to.
enum CliScope { ScopeInfo = 1, ScopeExtract = 2, ScopeVerify = 4, ScopeMetadata = 8, ScopeCheckRip = 16, ScopeAny = 31 };

// What a shell completes after an option that takes a value.
enum class CliValueKind { None, Folder, File, Program, Choices, Free };

struct CliOption {
    const char *longName;
    char shortName;   // 0 when it has none
    const char *value; // its value as --help names it ("DIR"); null when it takes none
    int scope;         // CliScope bits; an option with other help per command has a row per command
    const char *help;  // its lines of --help, '\n' between them; null: named in the usage lines only
    // Applies the value (empty for a flag) as written ("-o", "--output"); false with *error.
    bool (*apply)(const QString &value, const QString &written, CliArguments *parsed, QString *error);
    CliValueKind kind;
    const char *choices; // CliValueKind::Choices: the values, blank-separated
};

[[nodiscard]] const std::vector<CliOption> &cliOptions();

// "--output", "-o, --output DIR" as --help shows it.
[[nodiscard]] QString optionLabel(const CliOption &option);

// The commands, as they are typed, and the bit of each.
struct CliCommandName {
    const char *name;
    CliScope scope;
};
[[nodiscard]] const std::vector<CliCommandName> &cliCommandNames();

// The short and long names of the options of a scope, each once, in table order: of a
// command, its own and those every command takes; of ScopeAny, only those every command takes.
[[nodiscard]] QStringList optionNamesOf(CliScope scope);

[[nodiscard]] QString helpText();
