#pragma once
// The 21 DVD-Audio channel assignments: which channels each group holds, their names,
// speaker-mask bits (WAVE_FORMAT_EXTENSIBLE) and the order they take in output files.
// Every reader and writer asks this table, by assignment id or for a stream.
#include <QString>

#include "base/streaminfo.h"

enum { CHANNEL_ASSIGNMENTS = 21 };

// Channels per group of assignment id; false (and 0, 0) for an id without a row.
[[nodiscard]] bool channelGroupSizes(int id, int *group1, int *group2);
// Channel n (stream order) of assignment id: mask bit, name, output position.
// Out of range: 0, "-", -1.
[[nodiscard]] int assignmentChannelMask(int id, int n);
[[nodiscard]] const char *assignmentChannelName(int id, int n);
[[nodiscard]] int assignmentChannelOrder(int id, int n);

// Channel n of a stream in stream order (group 1 then group 2), for a stream whose
// channel counts are those of its assignment's row; else 0, "-", -1.
[[nodiscard]] int channelMask(const StreamInfo &info, int n);
[[nodiscard]] QString channelName(const StreamInfo &info, int n);
[[nodiscard]] int channelOrder(const StreamInfo &info, int n); // position in output (mask) order
void describeChannels(const StreamInfo &info, int *group1Mask, int *group2Mask,
                      QString *group1Names, QString *group2Names, QString *allNames);
