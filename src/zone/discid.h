#pragma once
// A DVD-Audio disc's identifier. The disc has no CD table of contents, so the ID is taken
// from its information files, which every copy of the disc holds byte for byte: the
// SHA-256 of AUDIO_TS.IFO followed by ATS_01_0.IFO, ATS_02_0.IFO, ... up to the titleset
// count the manager file gives (those that exist), the first 16 bytes as 32 lowercase hex
// digits. The same for the disc's folder, an image of it, a drive and a copy with
// lower-case names; any shell gives it:
//   cat AUDIO_TS.IFO ATS_0[1-9]_0.IFO | sha256sum | cut -c1-32
#include <QString>

class ZoneSource;

// Empty when AUDIO_TS.IFO cannot be read.
[[nodiscard]] QString discId(ZoneSource &source, int titlesetCount);
