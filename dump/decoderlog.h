#pragma once
// The decoder log "Kestrova.log" in the working directory: MLP decoders write their
// messages to it while "Log messages" is on. It is opened on the first message after it
// was last closed, and the end of every extraction closes it.

// Closes the decoder log if it is open; the next message starts a new file.
void closeDecoderLog();
