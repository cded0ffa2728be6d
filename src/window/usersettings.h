#pragma once
// The per-user settings store that the window and the extraction dialog share.
#include <QSettings>

class UserSettings : public QSettings {
public:
    UserSettings() : QSettings(QStringLiteral("Tolvane"), QStringLiteral("Kestrova")) {}
};
