#pragma once
// A count with its noun in the right number: "1 file", "3 files", "0 files".
#include <QString>
#include <QtGlobal>

[[nodiscard]] QString countOf(qint64 n, const QString &one, const QString &many);
