#pragma once
// What the stand-in server accepts as a configuration, and which channels a change of
// configuration touches.

#include <string>
#include <vector>

// The default configuration for a reference standard, or empty for an unknown one.
std::string DefaultConfigurationText(const std::string& referenceStandard);

// The reference standards the server runs with.
const std::vector<std::string>& ReferenceStandards();

// True when the text is a configuration the server can run; otherwise reason says why.
bool IsUsableConfiguration(const std::string& text, std::string& reason);

// The channel indexes whose part of the configuration differs between the two texts: the
// channel element and every component it references.
std::vector<int> ChangedChannels(const std::string& before, const std::string& after);
