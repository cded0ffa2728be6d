#pragma once
// The 21 DVD-Audio channel assignments: which channels each group holds, their names,
// speaker-mask bits (WAVE_FORMAT_EXTENSIBLE) and the order they take in output files.
// Every reader and writer asks this table; the per-stream queries (channelMask,
// channelName, channelOrder, describeChannels) are declared in dump/packetreader.h.

// Channels per group of assignment id; false (and 0, 0) for an id without a row.
bool channelGroupSizes(int id, int *group1, int *group2);
// Channel n (stream order) of assignment id: mask bit, name, output position.
// Out of range: 0, "-", -1.
int assignmentChannelMask(int id, int n);
const char *assignmentChannelName(int id, int n);
int assignmentChannelOrder(int id, int n);
