#pragma once
// A document change in words, for a change that no row shows: element and attribute names
// as words ("VbiLine" is "VBI line", "videoInputFormat" "video input format"), an audio
// track or gang by its number, a component by its id only where the id tells the reader
// something, and true and false as words that fit the attribute.

#include "ConfigReview.h"

#include <set>
#include <string>
#include <vector>

// What a change of the whole configuration is called.
inline constexpr const char* kWholeConfiguration = "Configuration";

// The steps of a change's path: "/Config[1]/Gpi[1]" gives "Config[1]" and "Gpi[1]".
std::vector<std::string> ChangePathSteps(const std::string& path);

// "VBI line", "Audio input AES": a name split into words, the first capitalised.
std::string NameInWords(const std::string& name);

// An attribute change's setting in words: "Video input › Format".
std::string SettingInWords(const ConfigChange& change, const std::set<std::string>& quietIds = {});

// The change in words. quietIds are the ids of elements the group heading already names
// (a channel's only video input, say), which are left out.
ReviewEntry DescribeChange(const ConfigChange& change, const std::set<std::string>& quietIds = {});
