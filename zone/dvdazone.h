#pragma once
#include <QDir>

#include "zone/dvdaobject.h"
#include "zone/dvdatitleset.h"

class DVDAZone : public DVDAObject {
    Q_DISABLE_COPY(DVDAZone)
public:
    explicit DVDAZone(const QDir &zoneDir);
    ~DVDAZone() override;

    // One block of the titleset at that position (taken from an object's titlesetPos).
    [[nodiscard]] int readBlock(int titlesetPosition, quint32 block, quint8 *buffer);

    QDir dir;
    qint32 titlesetCount = 99;
    std::vector<DVDATitleset *> titlesets;
};
