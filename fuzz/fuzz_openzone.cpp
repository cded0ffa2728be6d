// Opening a zone from fuzzed AUDIO_TS.IFO, ATS_01_0.IFO and ATS_01_1.AOB, then walking
// the tree as the window and the command line do: labels, properties, a block of each
// object.
#include <QDir>
#include <QFile>

#include "fuzzinput.h"
#include "3-zone/dvdazone.h"
#include "6-text/objectproperties.h"
#include "6-text/treelabels.h"

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

void visit(DVDAZone &zone, DVDAObject *object)
{
    (void)treeLabel(object);
    (void)objectProperties(&zone, object);
}

void visitBlocks(DVDAZone &zone, DVDAObject *object, quint8 *block)
{
    visit(zone, object);
    const auto *aob = static_cast<AOBObject *>(object);
    (void)zone.readBlock(object->titlesetPos, aob->firstBlock(), block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> files = fuzzinput::split(data, size, 3);
    const QDir dir(fuzzinput::scratchFolder());
    writeFile(dir.filePath(QStringLiteral("AUDIO_TS.IFO")), files[0]);
    writeFile(dir.filePath(QStringLiteral("ATS_01_0.IFO")), files[1]);
    writeFile(dir.filePath(QStringLiteral("ATS_01_1.AOB")), files[2]);

    DVDAZone zone(dir);
    quint8 block[BLOCK_SIZE];
    visit(zone, &zone);
    for (const auto &titleset : zone.titlesets) {
        visit(zone, &*titleset);
        for (const auto &title : titleset->titles) {
            visit(zone, &*title);
            for (const auto &track : title->tracks) {
                visitBlocks(zone, &*track, block);
                for (const auto &index : track->indexes)
                    visitBlocks(zone, &*index, block);
            }
        }
    }
    return 0;
}
