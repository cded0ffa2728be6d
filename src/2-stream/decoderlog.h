#pragma once
// The decoder log "Kestrova.log" in the working directory: MLP decoders write their
// messages to it while "Log messages" is on. It is opened on the first message after it
// was last closed, and the end of every extraction closes it.

// Appends "[level] text" (the text keeps its own line end) and flushes at once, so the
// file is complete however the program ends. Opens (truncating) the file when closed.
void writeDecoderLog(int level, const char *text);
// Closes the decoder log if it is open; the next message starts a new file.
void closeDecoderLog();
