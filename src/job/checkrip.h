#pragma once
// A rip checked again, years later or after a copy: the rip log in a folder read back,
// and every decoded file it names decoded again and compared with it by sample count and
// the CRC-32 of its samples. Paths are taken relative to the folder the log was written
// in, so a folder that was moved or renamed checks the same; a WAV the user's command
// re-encoded to FLAC beside it is checked through the FLAC, sample for sample; one the rip
// deleted after its command (--delete) is not kept, not missing, unless that command made
// FLACs of the others. A file kept of an object that failed (--keep-partial) is named as
// partial: the log knows it, but it is no whole rip. Nothing outside the folder is read,
// whatever the log names.
#include <QString>
#include <QStringList>
#include <atomic>

struct RipCheck {
    QString error;       // the log cannot be read: nothing was checked
    QStringList lines;   // "ok: NAME", "missing: NAME", "changed: NAME: ...", "extra: NAME", ...
    int files = 0;       // named by the log
    int differences = 0; // lines that are neither "ok" nor "not kept"
    int notKept = 0;     // deleted by the rip after their command: nothing to check
};

// stop: set from another thread, ends the check before the next file (error says so).
[[nodiscard]] RipCheck checkRip(const QString &folder, const std::atomic<bool> *stop = nullptr);

// The check's last line: all match, or how many differ; `folder` (may be empty) is named.
[[nodiscard]] QString ripCheckSummary(const RipCheck &check, const QString &folder);
