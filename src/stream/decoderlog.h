#pragma once
// The decoder log "Kestrova.log": MLP decoders write their messages to it while "Log
// messages" is on. It is opened on the first message after it was last closed, in the
// folder last set (the working directory until then), and the end of every extraction
// closes it.
#include <QString>

// Appends "[level] text" (the text keeps its own line end) and flushes at once, so the
// file is complete however the program ends. Opens (truncating) the file when closed.
void writeDecoderLog(int level, const char *text);
// Closes the decoder log if it is open; the next message starts a new file.
void closeDecoderLog();
// Closes the log and makes the next one start in folder.
void setDecoderLogFolder(const QString &folder);
