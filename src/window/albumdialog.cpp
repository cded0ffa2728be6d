#include "window/albumdialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>

#include "extraction/discmetadata.h"
#include "zone/dvdazone.h"

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
    form->addRow(tr("Cover"), coverRow);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setLayout(form);
}

bool AlbumDialog::save(QString *error) const
{
    const QString path = storedMetadataPath(zone->discId);
    QByteArray json = metadataTemplate(zone);
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly))
        json = existing.readAll(); // its titles and tracks stay
    QList<QPair<QString, QString>> album;
    for (const QString &name : albumFields())
        album.append({name, edits.value(name)->text().trimmed()});
    const QByteArray saved = withAlbum(json, album, edits.value(QStringLiteral("cover"))->text().trimmed());
    QSaveFile file(path);
    if (!QDir().mkpath(QFileInfo(path).path()) || !file.open(QIODevice::WriteOnly)
        || file.write(saved) != saved.size() || !file.commit()) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
