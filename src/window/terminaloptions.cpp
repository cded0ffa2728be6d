#include "window/terminaloptions.h"

#include <cstdio>

#include <QCoreApplication>

#include "kestrova_version.h"

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("TerminalOptions", text);
}

QString helpText()
{
    return tr(
        "Usage: kestrova [ZONE]\n"
        "       kestrova --help | --version\n"
        "\n"
        "Shows the audio zone of a DVD-Audio disc as a tree of titlesets, titles, tracks\n"
        "and indexes with their properties, and extracts the selected tracks and indexes.\n"
        "ZONE, opened at start, is the AUDIO_TS folder (or a copy of it), any file in\n"
        "that folder, the root of a mounted disc that holds it, or a UDF disc image\n"
        "(.iso, .img) or drive (/dev/sr0) holding the disc.\n"
        "\n"
        "  -h, --help         print this help and exit\n"
        "  -V, --version      print the version and exit\n"
        "\n"
        "kestrova-cli shows and extracts the same from the command line.\n");
}

// Whether one of the names is given before a "--" (after it, words are zones).
[[nodiscard]] bool given(const QStringList &arguments, const char *longName, const char *shortName)
{
    for (const QString &arg : arguments) {
        if (arg == QLatin1String("--"))
            return false;
        if (arg == QLatin1String(longName) || arg == QLatin1String(shortName))
            return true;
    }
    return false;
}

} // namespace

TerminalAnswer terminalAnswer(const QStringList &arguments)
{
    TerminalAnswer answer;
    // --help wins over --version, as in kestrova-cli.
    if (given(arguments, "--help", "-h")) {
        answer.answered = true;
        answer.text = helpText();
    } else if (given(arguments, "--version", "-V")) {
        answer.answered = true;
        answer.text = QStringLiteral("kestrova " KESTROVA_VERSION "\n");
    }
    return answer;
}

bool answerOnTerminal(int argc, char *argv[], int *exitCode)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);
    const TerminalAnswer answer = terminalAnswer(arguments);
    if (!answer.answered)
        return false;
    const QByteArray text = answer.text.toLocal8Bit();
    *exitCode = answer.exitCode;
    if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size())
        || std::fflush(stdout) != 0) {
        *exitCode = 1; // a help nobody could read is not a success
    }
    return true;
}
