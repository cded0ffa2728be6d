#pragma once
// The one message box that reports how an extraction ended.
#include <QString>
#include <QStringList>

#include "base/result.h"

class QWidget;

// Shows the message of the result's code in a modal box over parent (which asks for
// attention) and returns when the user has closed it: information for success, warning
// for a cancellation, critical for every other code. Where it failed (the file, block or
// command) and the damaged files (lines naming each) are listed below it; a success with
// damaged files is a warning. A summary (what was written) comes last; with a folder the
// box offers to open it.
void showResult(QWidget *parent, const Result &result, const QStringList &damagedFiles = {},
                const QString &summary = QString(), const QString &folder = QString());
