#pragma once
// The threads of the whole program that decode and encode audio, against a limit. An
// extraction sets the limit and counts each of its workers while it works; a FLAC
// encoder takes a spare thread as its helper, and gives it back when it ends. Helpers so
// fill only what the workers leave idle: N workers on N cores get no helper until one
// of them runs out of objects, and one thread asked for is one thread. Until an
// extraction sets it, the limit is the machine's cores.
namespace threadbudget {

// threads below 1: as many as the machine has cores.
void setLimit(int threads);
// A worker's thread: counted whatever the limit.
void hold();
// A helper's thread: false when every thread of the limit is in use.
[[nodiscard]] bool takeSpare();
// Gives back a thread of hold or takeSpare.
void giveBack();
// Threads counted now.
[[nodiscard]] int inUse();

} // namespace threadbudget
