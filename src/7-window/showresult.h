#pragma once
// The one message box that reports how an extraction ended.
#include <QStringList>

class QWidget;

// The window that result messages are parented to and that asks for attention when one
// is shown. Forgotten by itself when that window is destroyed.
void setResultParent(QWidget *window);
QWidget *resultParent();

// Shows the message of code in a modal box and returns when the user has closed it:
// information for success, warning for a cancellation, critical for every other code.
// The damaged files (lines naming each) are listed below it; a success with damaged
// files is a warning.
void showResult(int code, const QStringList &damagedFiles = {});
