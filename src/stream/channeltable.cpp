#include "stream/channeltable.h"

#include <QStringList>

#include "stream/channeltable.h"

namespace {

enum Speaker { M, L, R, Lf, Rf, C, LFE, Ls, Rs, S, NONE };

struct SpeakerInfo {
    const char *name;
    int mask; // WAVE_FORMAT_EXTENSIBLE channel bit
};

const SpeakerInfo speakers[] = {
    {"M", 0x4},    {"L", 0x1},    {"R", 0x2},   {"Lf", 0x1},  {"Rf", 0x2},
    {"C", 0x4},    {"LFE", 0x8},  {"Ls", 0x10}, {"Rs", 0x20}, {"S", 0x100},
};

struct Assignment {
    int group1;
    int group2;
    Speaker channels[6]; // group 1 then group 2, stream order
};

const Assignment assignments[CHANNEL_ASSIGNMENTS] = {
    {1, 0, {M}},
    {2, 0, {L, R}},
    {2, 1, {Lf, Rf, S}},
    {2, 2, {Lf, Rf, Ls, Rs}},
    {2, 1, {Lf, Rf, LFE}},
    {2, 2, {Lf, Rf, LFE, S}},
    {2, 3, {Lf, Rf, LFE, Ls, Rs}},
    {2, 1, {Lf, Rf, C}},
    {2, 2, {Lf, Rf, C, S}},
    {2, 3, {Lf, Rf, C, Ls, Rs}},
    {2, 2, {Lf, Rf, C, LFE}},
    {2, 3, {Lf, Rf, C, LFE, S}},
    {2, 4, {Lf, Rf, C, LFE, Ls, Rs}},
    {3, 1, {Lf, Rf, C, S}},
    {3, 2, {Lf, Rf, C, Ls, Rs}},
    {3, 1, {Lf, Rf, C, LFE}},
    {3, 2, {Lf, Rf, C, LFE, S}},
    {3, 3, {Lf, Rf, C, LFE, Ls, Rs}},
    {4, 1, {Lf, Rf, Ls, Rs, LFE}},
    {4, 1, {Lf, Rf, Ls, Rs, C}},
    {4, 2, {Lf, Rf, Ls, Rs, C, LFE}},
};

const Assignment *row(int id)
{
    return id >= 0 && id < CHANNEL_ASSIGNMENTS ? &assignments[id] : nullptr;
}

// Speaker of channel n, or NONE outside the row.
Speaker speaker(int id, int n)
{
    const Assignment *a = row(id);
    if (!a || n < 0 || n >= a->group1 + a->group2)
        return NONE;
    return a->channels[n];
}

// The row of a stream's id when the stream reports its channels (counts as the row
// gives them), else none: a record that was never filled has id 0 but no channels.
int streamAssignment(const StreamInfo &info)
{
    int g1 = 0, g2 = 0;
    if (!channelGroupSizes(info.channelAssignment, &g1, &g2)
        || info.group1Channels != g1 || info.group2Channels != g2)
        return -1;
    return info.channelAssignment;
}

Speaker streamSpeaker(const StreamInfo &info, int n)
{
    return speaker(streamAssignment(info), n);
}

QString joinNames(int id, int from, int to)
{
    QStringList names;
    for (int n = from; n < to; ++n)
        names << QString::fromLatin1(assignmentChannelName(id, n));
    return names.isEmpty() ? QStringLiteral("None") : names.join(QLatin1Char('-'));
}

} // namespace

bool channelGroupSizes(int id, int *group1, int *group2)
{
    const Assignment *a = row(id);
    *group1 = a ? a->group1 : 0;
    *group2 = a ? a->group2 : 0;
    return a != nullptr;
}

int assignmentChannelMask(int id, int n)
{
    const Speaker s = speaker(id, n);
    return s == NONE ? 0 : speakers[s].mask;
}

const char *assignmentChannelName(int id, int n)
{
    const Speaker s = speaker(id, n);
    return s == NONE ? "-" : speakers[s].name;
}

// Output order is ascending mask bit: a channel's place is the number of channels of
// its row with a smaller bit (bits are distinct within a row).
int assignmentChannelOrder(int id, int n)
{
    const Assignment *a = row(id);
    const int mask = assignmentChannelMask(id, n);
    if (!a || mask == 0)
        return -1;
    int place = 0;
    for (int k = 0; k < a->group1 + a->group2; ++k)
        if (speakers[a->channels[k]].mask < mask)
            ++place;
    return place;
}

int channelMask(const StreamInfo &info, int n)
{
    const Speaker s = streamSpeaker(info, n);
    return s == NONE ? 0 : speakers[s].mask;
}

QString channelName(const StreamInfo &info, int n)
{
    const Speaker s = streamSpeaker(info, n);
    return QString::fromLatin1(s == NONE ? "-" : speakers[s].name);
}

int channelOrder(const StreamInfo &info, int n)
{
    if (streamSpeaker(info, n) == NONE)
        return -1;
    return assignmentChannelOrder(streamAssignment(info), n);
}

void describeChannels(const StreamInfo &info, int *group1Mask, int *group2Mask,
                      QString *group1Names, QString *group2Names, QString *allNames)
{
    const int id = streamAssignment(info);
    int g1 = 0, g2 = 0;
    // An assignment without a row describes no channel: no mask and no names.
    if (!channelGroupSizes(id, &g1, &g2))
        g1 = g2 = 0;
    const int total = g1 + g2;

    if (group1Mask || group2Mask) {
        int m1 = 0, m2 = 0;
        for (int n = 0; n < total; ++n)
            (n < g1 ? m1 : m2) |= assignmentChannelMask(id, n);
        if (group1Mask)
            *group1Mask = m1;
        if (group2Mask)
            *group2Mask = m2;
    }
    if (group1Names)
        *group1Names = joinNames(id, 0, g1);
    if (group2Names)
        *group2Names = joinNames(id, g1, total);
    if (allNames) {
        if (g1 == 0 || g2 == 0) {
            *allNames = QStringLiteral("None");
        } else {
            QStringList ordered;
            for (int n = 0; n < total; ++n)
                ordered << QString();
            for (int n = 0; n < total; ++n)
                ordered[assignmentChannelOrder(id, n)] =
                    QString::fromLatin1(assignmentChannelName(id, n));
            *allNames = ordered.join(QLatin1Char('-'));
        }
    }
}
