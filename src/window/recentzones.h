#pragma once
// The zones opened last, newest first, kept in the settings for File > Open Recent.
#include <QString>
#include <QStringList>

class QMenu;

namespace recentzones {

enum { MAX_ZONES = 8 };

// The stored list, without paths that no longer exist (a disc taken out).
[[nodiscard]] QStringList list();
// Puts path first (once), keeping at most MAX_ZONES.
void add(const QString &path);
// Forgets them all.
void clear();

} // namespace recentzones
