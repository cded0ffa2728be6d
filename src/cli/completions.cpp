#include "cli/completions.h"

#include <QCoreApplication>
#include <QStringList>

#include "cli/clioptions.h"

namespace {

QString commandWords()
{
    QStringList words;
    for (const CliCommandName &command : cliCommandNames())
        words << QLatin1String(command.name);
    return words.join(QLatin1Char(' '));
}

// The options a command takes besides those every command takes (--help, --version).
QString ownOptions(CliScope scope)
{
    QStringList names = optionNamesOf(scope);
    for (const QString &common : optionNamesOf(ScopeAny))
        names.removeAll(common);
    return names.join(QLatin1Char(' '));
}

QString commonOptions()
{
    QStringList names = optionNamesOf(ScopeAny);
    names.removeIf([](const QString &name) { return !name.startsWith(QLatin1String("--")); });
    return names.join(QLatin1Char(' '));
}

// "-o | --output": how a shell's case names the option.
QString casePattern(const CliOption &option)
{
    const QString name = QStringLiteral("--") + QLatin1String(option.longName);
    return option.shortName ? QStringLiteral("-%1 | %2").arg(QLatin1Char(option.shortName)).arg(name) : name;
}

// The options that take a value, one case pattern, each option once.
QString valueOptions(const QString &separator)
{
    QStringList patterns;
    for (const CliOption &option : cliOptions())
        if (option.value && !patterns.contains(casePattern(option)))
            patterns << casePattern(option);
    return patterns.join(separator);
}

// One case branch per kind of value: what follows the option.
QString valueBranches(const char *folder, const char *file, const char *program, const char *choices, const char *free,
                      const QString &separator)
{
    QString branches;
    QStringList seen;
    for (const CliOption &option : cliOptions()) {
        if (!option.value || seen.contains(QLatin1String(option.longName)))
            continue;
        seen << QLatin1String(option.longName);
        QString action;
        switch (option.kind) {
        case CliValueKind::Folder: action = QLatin1String(folder); break;
        case CliValueKind::File: action = QLatin1String(file); break;
        case CliValueKind::Program: action = QLatin1String(program); break;
        case CliValueKind::Choices: action = QString(QLatin1String(choices)).arg(QLatin1String(option.choices)); break;
        case CliValueKind::Free:
        case CliValueKind::None: action = QLatin1String(free); break;
        }
        QString pattern = casePattern(option);
        pattern.replace(QLatin1String(" | "), separator);
        branches += QStringLiteral("        %1)\n%2\n            ;;\n").arg(pattern, action);
    }
    return branches;
}

// A branch per command offering the long options every command takes and its own.
QString commandBranches(const char *shape)
{
    QString branches;
    for (const CliCommandName &command : cliCommandNames())
        branches += QString(QLatin1String(shape))
                        .arg(QLatin1String(command.name), commonOptions() + QLatin1Char(' ') + ownOptions(command.scope));
    return branches;
}

// The first line of an option's help, quoted for fish.
QString fishDescription(const CliOption &option)
{
    QString text = option.help ? QCoreApplication::translate("CliArguments", option.help).section(QLatin1Char('\n'), 0, 0)
                               : QString::fromLatin1(option.longName);
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// The loop both shells run over the words before the one being completed: the command
// and the zone are the first two words that are neither options nor their values.
QString wordScan(const char *firstWord, const char *wordCount, const char *word, const char *tildeExpanded,
                 const QString &valueOptions)
{
    return QStringLiteral("    # The command and the zone: the first two words that are neither options nor their values.\n"
                          "    local i word command='' zone='' value=''\n"
                          "    for ((i = %1; i < %2; i++)); do\n"
                          "        word=%3\n"
                          "        if [[ -n $value ]]; then\n"
                          "            value=''\n"
                          "            continue\n"
                          "        fi\n"
                          "        case $word in\n"
                          "            %5) value=1 ;;\n"
                          "            -*) ;;\n"
                          "            *)\n"
                          "                if [[ -z $command ]]; then\n"
                          "                    command=$word\n"
                          "                elif [[ -z $zone ]]; then\n"
                          "                    zone=%4\n"
                          "                fi\n"
                          "                ;;\n"
                          "        esac\n"
                          "    done\n")
        .arg(QLatin1String(firstWord), QLatin1String(wordCount), QLatin1String(word), QLatin1String(tildeExpanded),
             valueOptions);
}

} // namespace

QString bashCompletion()
{
    return QString(QLatin1String(R"SH(# bash completion for kestrova-cli: commands, options, zones and the zone's selectors.
# Made from the program's option table.

# The selectors of a zone: its tracks and indexes as info lists them, their titles and
# titlesets, and "all".
_kestrova_cli_selectors()
{
    local program=$1 zone=$2
    "$program" info --json "$zone" 2>/dev/null |
        sed -n 's/^ *"selector": "\(.*\)",\{0,1\}$/\1/p' | sort -u
    echo all
}

_kestrova_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    COMPREPLY=()

%1
    case $prev in
%2    esac

    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "%3 %4" -- "$cur")
    elif [[ $cur == -* ]]; then
        case $command in
%5        esac
    elif [[ -z $zone ]]; then
        # the AUDIO_TS folder or a disc's root, any of its information files, a disc
        # image or an optical drive
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur"
                                 compgen -f -X '!*.[Ii][Ff][Oo]' -- "$cur"
                                 compgen -f -X '!*.[Ii][Ss][Oo]' -- "$cur"
                                 compgen -f -X '!*.[Ii][Mm][Gg]' -- "$cur"
                                 compgen -f -X '!/dev/sr*' -- "$cur")
    elif [[ $command == extract || $command == verify ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_kestrova_cli_selectors "$1" "$zone")" -- "$cur")
    fi
}
complete -F _kestrova_cli kestrova-cli
)SH"))
        .arg(wordScan("1", "COMP_CWORD", "${COMP_WORDS[i]}", "${word/#\\~/$HOME}", valueOptions(QStringLiteral(" | "))),
             valueBranches("            compopt -o filenames 2>/dev/null\n"
                           "            mapfile -t COMPREPLY < <(compgen -d -- \"$cur\")\n            return",
                           "            compopt -o filenames 2>/dev/null\n"
                           "            mapfile -t COMPREPLY < <(compgen -f -- \"$cur\")\n            return",
                           "            mapfile -t COMPREPLY < <(compgen -c -- \"$cur\")\n            return",
                           "            mapfile -t COMPREPLY < <(compgen -W \"%1\" -- \"$cur\")\n            return",
                           "            return", QStringLiteral(" | ")),
             commandWords(), commonOptions(),
             commandBranches("            %1) mapfile -t COMPREPLY < <(compgen -W \"%2\" -- \"$cur\") ;;\n"));
}

QString zshCompletion()
{
    return QString(QLatin1String(R"SH(#compdef kestrova-cli
# zsh completion for kestrova-cli: commands, options, zones and the zone's selectors.
# Made from the program's option table.

_kestrova_cli() {
%1
    case ${words[CURRENT-1]} in
%2    esac

    if [[ -z $command ]]; then
        compadd -- %3 %4
    elif [[ $PREFIX == -* ]]; then
        case $command in
%5        esac
    elif [[ -z $zone ]]; then
        _files -g '*.(#i)(ifo|iso|img)(-.)'
    elif [[ $command == extract || $command == verify ]]; then
        compadd -- ${(f)"$(${words[1]} info --json $zone 2>/dev/null |
            sed -n 's/^ *"selector": "\(.*\)",\{0,1\}$/\1/p' | sort -u)"} all
    fi
}

_kestrova_cli "$@"
)SH"))
        .arg(wordScan("2", "CURRENT", "${words[i]}", "${~word}", valueOptions(QStringLiteral("|"))),
             valueBranches("            _files -/\n            return", "            _files\n            return",
                           "            _command_names -e\n            return",
                           "            compadd -- %1\n            return", "            return", QStringLiteral("|")),
             commandWords(), commonOptions(),
             commandBranches("            %1) compadd -- %2 ;;\n"));
}

QString fishCompletion()
{
    QString script = QStringLiteral("# fish completion for kestrova-cli: commands, options and zones.\n"
                                    "# Made from the program's option table.\n"
                                    "complete -c kestrova-cli -f\n"
                                    "complete -c kestrova-cli -n __fish_use_subcommand -a '%1'\n"
                                    "complete -c kestrova-cli -n 'not __fish_use_subcommand' -F\n")
                         .arg(commandWords());
    for (const CliOption &option : cliOptions()) {
        QStringList commands;
        for (const CliCommandName &command : cliCommandNames())
            if (option.scope & command.scope)
                commands << QLatin1String(command.name);
        QString line = QStringLiteral("complete -c kestrova-cli");
        if (option.scope != ScopeAny)
            line += QStringLiteral(" -n '__fish_seen_subcommand_from %1'").arg(commands.join(QLatin1Char(' ')));
        if (option.shortName)
            line += QStringLiteral(" -s %1").arg(QLatin1Char(option.shortName));
        line += QStringLiteral(" -l %1").arg(QLatin1String(option.longName));
        switch (option.value ? option.kind : CliValueKind::None) {
        case CliValueKind::Folder: line += QStringLiteral(" -x -a '(__fish_complete_directories)'"); break;
        case CliValueKind::File: line += QStringLiteral(" -r -F"); break;
        case CliValueKind::Program: line += QStringLiteral(" -x -a '(__fish_complete_command)'"); break;
        case CliValueKind::Choices: line += QStringLiteral(" -x -a '%1'").arg(QLatin1String(option.choices)); break;
        case CliValueKind::Free: line += QStringLiteral(" -x"); break;
        case CliValueKind::None: break;
        }
        script += line + QStringLiteral(" -d ") + fishDescription(option) + QLatin1Char('\n');
    }
    return script;
}
