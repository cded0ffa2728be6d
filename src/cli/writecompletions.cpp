// kestrova-cli-completions DIR: writes the shell completions of kestrova-cli into DIR, as
// the build installs them: "kestrova-cli" (bash), "_kestrova-cli" (zsh) and
// "kestrova-cli.fish".
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <cstdio>

#include "cli/completions.h"

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrova-cli-completions DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const struct {
        const char *name;
        QString text;
    } scripts[] = {{"kestrova-cli", bashCompletion()},
                   {"_kestrova-cli", zshCompletion()},
                   {"kestrova-cli.fish", fishCompletion()}};
    for (const auto &script : scripts) {
        QSaveFile file(dir.filePath(QLatin1String(script.name)));
        const QByteArray bytes = script.text.toUtf8();
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
            std::fprintf(stderr, "kestrova-cli-completions: %s: %s\n", qPrintable(file.fileName()),
                         qPrintable(file.errorString()));
            return 1;
        }
    }
    return 0;
}
