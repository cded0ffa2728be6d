#pragma once
// The album of the open disc: its fields (ALBUM, ALBUMARTIST, ARTIST, ...) and cover,
// kept in the disc's metadata file in the user's data folder, which every extraction of
// that disc, from the window or the command line, tags its files with.
#include <QDialog>
#include <QHash>
#include <QString>

class DVDAZone;
class QLabel;
class QLineEdit;

class AlbumDialog : public QDialog {
    Q_OBJECT
public:
    // Shows what the disc's file holds, or empty fields for a disc without one.
    explicit AlbumDialog(const DVDAZone *zone, QWidget *parent = nullptr);

    // Writes the fields into the disc's file, its titles and tracks kept; false with
    // *error naming the file and the system's reason.
    [[nodiscard]] bool save(QString *error) const;

    // A field's edit by its name ("ALBUM"), "cover" for the cover's path.
    [[nodiscard]] QLineEdit *field(const QString &name) const { return edits.value(name); }

protected:
    // An image file dropped anywhere on the dialog becomes the cover.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void showCover(const QString &path);

    const DVDAZone *zone;
    QLabel *preview = nullptr;
    QHash<QString, QLineEdit *> edits;
};
