#include "window/albumdialog.h"

#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>

#include "extraction/discmetadata.h"
#include "zone/dvdazone.h"

namespace {
enum { coverPreviewSize = 96 };

// The local image file a drag carries; empty for anything else.
QString droppedImage(const QMimeData *mime)
{
    if (!mime->hasUrls() || mime->urls().isEmpty())
        return QString();
    const QString path = mime->urls().first().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool image = suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg") || suffix == QLatin1String("png");
    return image && QFileInfo(path).isFile() ? path : QString();
}
} // namespace

AlbumDialog::AlbumDialog(const DVDAZone *zone_, QWidget *parent) : QDialog(parent), zone(zone_)
{
    setWindowTitle(tr("Album"));
    auto *form = new QFormLayout;
    DiscMetadata stored;
    QString ignored;
    const bool known = readDiscMetadata(storedMetadataPath(zone->discId), &stored, &ignored);
    for (const QString &name : albumFields()) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        for (const auto &[field, value] : stored.album)
            if (known && field == name)
                edit->setText(value);
        edits.insert(name, edit);
        form->addRow(name, edit);
    }
    auto *cover = new QLineEdit(this);
    cover->setObjectName(QStringLiteral("cover"));
    cover->setPlaceholderText(tr("a JPEG or PNG image"));
    if (known)
        cover->setText(coverPathOf(stored));
    edits.insert(QStringLiteral("cover"), cover);
    auto *choose = new QPushButton(tr("Choose..."), this);
    connect(choose, &QPushButton::clicked, this, [this, cover] {
        const QString path = QFileDialog::getOpenFileName(this, tr("Cover"), cover->text(),
                                                          tr("Images (*.jpg *.jpeg *.png)"));
        if (!path.isEmpty())
            cover->setText(path);
    });
    auto *coverRow = new QHBoxLayout;
    coverRow->addWidget(cover);
    coverRow->addWidget(choose);
    form->addRow(tr("&Cover"), coverRow);
    preview = new QLabel(this);
    preview->setObjectName(QStringLiteral("coverPreview"));
    preview->setFixedSize(coverPreviewSize, coverPreviewSize);
    preview->setAlignment(Qt::AlignCenter);
    form->addRow(QString(), preview);
    connect(cover, &QLineEdit::textChanged, this, &AlbumDialog::showCover);
    showCover(cover->text());
    setAcceptDrops(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setLayout(form);
}

bool AlbumDialog::save(QString *error) const
{
    QList<QPair<QString, QString>> album;
    for (const QString &name : albumFields())
        album.append({name, edits.value(name)->text().trimmed()});
    const QString cover = edits.value(QStringLiteral("cover"))->text().trimmed();
    // The disc's titles and tracks stay as the file has them.
    return updateStoredMetadata(
        zone, [&](const QByteArray &json) { return withAlbum(json, album, cover); }, error);
}

void AlbumDialog::showCover(const QString &path)
{
    const QPixmap image(path.trimmed());
    if (image.isNull()) {
        preview->setText(path.trimmed().isEmpty() ? tr("Drop a cover here") : tr("Not an image"));
        return;
    }
    preview->setPixmap(image.scaled(coverPreviewSize, coverPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void AlbumDialog::dragEnterEvent(QDragEnterEvent *event)
{
    if (!droppedImage(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void AlbumDialog::dropEvent(QDropEvent *event)
{
    const QString path = droppedImage(event->mimeData());
    if (path.isEmpty())
        return;
    edits.value(QStringLiteral("cover"))->setText(path);
    event->acceptProposedAction();
}
