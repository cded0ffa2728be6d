#pragma once
// The labels of the zone tree, computed as data so the window and the command line
// show the same text.
#include <QString>

class DVDAObject;
class DVDAZone;

// The zone's name for a title bar: a disc image's volume name, else the name of the disc
// folder that holds AUDIO_TS (or of the folder itself when it has another name).
[[nodiscard]] QString zoneName(const DVDAZone *zone);

// Whether a track's or index's label ends with its block range, as the command line
// lists it; the window leaves it to the properties and shows what users choose by instead.
enum class BlockRange { Shown, Left };

// The label of a zone, titleset, title, track or index as the tree shows it.
[[nodiscard]] QString treeLabel(const DVDAObject *object, BlockRange range = BlockRange::Shown);

// Why a track's or index's audio cannot all be read, from the zone alone: "12 of 40 blocks
// are not in the AOB files (one is missing or was cut short)"; empty when every block is.
[[nodiscard]] QString missingBlocksText(const DVDAObject *object);

// What users choose a track by, for the tree's columns: "PCM" or "MLP", the channels
// ("2", or "2 + 4" for two groups) and rate and depth ("96 kHz / 24 bit", or
// "96/24 + 48/16" for two groups that differ). Empty for a node without a stream.
struct TreeFacts {
    QString format, channels, rate;
};
[[nodiscard]] TreeFacts treeFacts(const DVDAObject *object);
