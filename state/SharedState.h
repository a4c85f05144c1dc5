#pragma once
// The static state every CConfigState instance shares; private to the state layer.

#include "ConfigState.h"
#include "platform/XmlDocument.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct SharedState {
    std::array<std::shared_ptr<IChannel>, kMaxChannels> channels;
    bool authenticated = false;
    bool authorized = false;
    // The name the user logged on with; empty until a logon succeeds.
    std::string userName;
    std::shared_ptr<ISecurity> security;
    std::shared_ptr<IConfigServer> configServer;
    std::shared_ptr<ILog> log;
    std::shared_ptr<XmlDocument> document;
    std::int32_t instanceCount = 0;
    std::int32_t channelCount = 0;
    std::string initialConfiguration;
    bool proPanel = false;
    bool tearingDown = false;
    // The configuration as this session last knew the server to hold it: the text fetched
    // at logon with the changes this session sent since. A commit compares the server's
    // configuration with it, to find another session's commit.
    std::unique_ptr<XmlDocument> serverCopy;
    // The logon text parsed, for telling what this session changed; made when first needed
    // and dropped with the text.
    std::unique_ptr<XmlDocument> initialDocument;
    // Counts wholesale replacements of the document's content, so that pages built from an
    // earlier content know to build again.
    std::uint64_t documentGeneration = 0;
    // Which of the user's changes each write to the document followed (ChangeCauses.cpp):
    // the document generation they belong to, the change now under way, and for each
    // element and attribute written (an empty name for a child added or removed) the
    // change that wrote it last.
    struct {
        std::uint64_t generation = 0;
        std::optional<ChangeCause> current;
        std::map<std::pair<pugi::xml_node, std::string>, ChangeCause> byWrite;
    } changeCauses;
    // Why the logon did not get as far as a usable configuration.
    std::string logonFailure;
    // The live changes sent to the server while a checkpoint is open (ConfigCheckpoint.cpp):
    // each setting and the text it held before, none when it had no such attribute.
    struct LiveWrite {
        std::string element;
        std::string attribute;
        std::optional<std::string> before;
        std::string after;
    };
    std::vector<LiveWrite> liveWrites;
    int openCheckpoints = 0;
};

// The server copy, made from the logon text when there is none yet; null without a
// usable logon text.
XmlDocument* serverCopy(SharedState& state);

SharedState& sharedState();
