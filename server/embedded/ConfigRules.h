#pragma once
// What the stand-in server accepts as a configuration.

#include "server/ChannelParts.h"

#include <string>
#include <vector>

class XmlDocument;
class XmlNode;

// The default configuration for a reference standard, and where it came from.
struct DefaultConfiguration {
    std::string text;   // empty for an unknown standard
    std::string source; // the file it was read from, or "built in"
    // Why a file in the data folder was not taken, when there was one: the built-in copy
    // is used instead.
    std::string problem;

    // What the server logs of it: the problem, and that the built-in copy is used; empty
    // when there is nothing to say.
    std::string Notice() const {
        return problem.empty() ? std::string() : problem + "; the built-in default is used.";
    }
};

// The default configuration of the data folder (<data>/defaults/<standard>.xml) when it is
// there and usable, else the copy built into the program.
DefaultConfiguration FindDefaultConfiguration(const std::string& referenceStandard);

// A line for each reference standard saying where its default configuration is read from,
// for the programs' --help.
std::string DefaultConfigurationSources();

// Its text alone, or empty for an unknown standard.
std::string DefaultConfigurationText(const std::string& referenceStandard);

// The reference standards the server runs with.
const std::vector<std::string>& ReferenceStandards();

// True when the document (or text) has the shape of a configuration the server can hold: a
// Config root with one to four Channel elements whose channelIndex values are distinct slot
// numbers. Attribute values, channel ids and component references are the utility's to
// judge: the server holds whatever they are. Otherwise reason says why.
bool IsUsableConfiguration(const XmlDocument& document, std::string& reason);
bool IsUsableConfiguration(const std::string& text, std::string& reason);
