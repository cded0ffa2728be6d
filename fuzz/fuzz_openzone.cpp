// Opening a zone from fuzzed AUDIO_TS.IFO, ATS_01_0.IFO and ATS_01_1.AOB, then walking
// the tree as the window and the command line do: labels, properties, a block of each
// object. Only the first few children of each node are walked: a fuzzed header easily
// describes thousands of objects, whose properties all take the same paths, and walking
// every one of them made a run take a tenth of a second.
#include <QDir>
#include <QFile>
#include <vector>

#include "fuzzinput.h"
#include "zone/dvdazone.h"
#include "text/objectproperties.h"
#include "text/treelabels.h"

namespace {
enum { CHILDREN_WALKED = 4 };

// The first CHILDREN_WALKED of a node's children.
template <typename T>
std::vector<T *> firstOf(const Children<T> &children)
{
    std::vector<T *> first;
    for (size_t k = 0; k < children.size() && k < CHILDREN_WALKED; ++k)
        first.push_back(children[k]);
    return first;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

// The label and rows as the window shows them; their text does not matter here.
qsizetype visit(const DVDAObject *object)
{
    return treeLabel(object).size() + objectProperties(object).size();
}

qsizetype visitBlocks(const DVDAObject *object, quint8 *block)
{
    const auto *aob = static_cast<const AOBObject *>(object);
    return visit(object) + qsizetype(object->titleset()->readBlock(aob->firstBlock(), block).ok());
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
    qsizetype seen = visit(&zone);
    for (const DVDATitleset *titleset : zone.titlesets) {
        seen += visit(titleset);
        for (const DVDATitle *title : firstOf(titleset->titles)) {
            seen += visit(title);
            for (const DVDATrack *track : firstOf(title->tracks)) {
                seen += visitBlocks(track, block);
                for (const DVDASectorPointer *index : firstOf(track->indexes))
                    seen += visitBlocks(index, block);
            }
        }
    }
    Q_UNUSED(seen); // only the walk matters
    return 0;
}
