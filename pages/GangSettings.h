#pragma once
// What the Ganging page shows, read from the configuration document: one column per channel
// (the first four in document order) with its gang membership, and the options of the two
// gangs. Also the XPaths by which the page addresses those channels and gangs.

#include <array>
#include <string>
#include <vector>

class XmlNode;

constexpr int kGangColumns = 4;
constexpr int kGangCount = 2;

// A column's gang choice: 0 not ganged, 1 Gang 1, 2 Gang 2; a stored gang index outside
// those shows no choice at all.
constexpr int kNoGangChoice = -1;

struct GangColumn {
    std::string label;  // the channel's id, or its number when it has none
    int position = 0;   // of the channel among all channels, in document order, from 0
    int choice = 0;     // see kNoGangChoice
    bool usable = true; // the channel has a channelIndex of its own
};

struct GangOptions {
    bool singleController = false;
    bool consolidateAudio = false;
    bool consolidateVideo = false;
};

struct GangSettings {
    std::vector<GangColumn> columns;
    // The ids of the channels after the fourth, which the page does not show.
    std::vector<std::string> hiddenChannels;
    std::array<GangOptions, kGangCount> gangs;
};

// Reads the page's values; anything missing keeps the default above.
GangSettings ReadGangSettings(const XmlNode& root);

// What the page calls a column's choice: "Not ganged", "Gang 1" or "Gang 2"; empty for a
// stored gang the page shows no choice for.
std::string GangChoiceText(int choice);
// What a change of a column is put down to, in the review of changes: "Ganging of C1".
std::string GangColumnChange(const GangColumn& column);

// The channel at a position of the document order. A position names exactly one element,
// whatever its channelIndex says.
std::string GangChannelXPath(int position);
// The Gang element of index 0 or 1.
std::string GangXPath(int gang);
