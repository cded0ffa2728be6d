#pragma once
// Files an extraction would replace, named for a message: the first few, then how many more.
#include <QString>
#include <QStringList>

// "a.wav, b.wav, c.wav and 4 more": the first shown names of paths (without their folder).
[[nodiscard]] QString existingFilesList(const QStringList &paths, int shown = 3);
