#pragma once
// The review in words: the heading of a group, the line of an entry, and the whole review
// as a plain text report to keep beside a saved configuration.

#include "ChangeWords.h"
#include "ConfigReview.h"

#include <string>
#include <vector>

// "System", or "Channel C1" for a channel's group.
std::string GroupHeading(const ReviewGroup& group);
// "Reference standard: NTSC (59.94 Hz) → PAL (50 Hz)"; an entry with no values is its label.
std::string EntryLine(const ReviewEntry& entry);
// "3 changes made by rules", or empty when the entry has none.
std::string CausedLine(const ReviewEntry& entry);
// The changes made by rules that CausedLine counts, one line each, in the entry's words.
std::vector<std::string> CausedChangeLines(const ReviewEntry& entry);
// "Channels C1 and C2 go offline to restart.", with "C2 is recording and will stop." for
// each that records or plays; empty when no channel restarts.
std::string RestartLine(const ConfigReview& review);
// A value as the review shows it: "(none)" for an empty one.
std::string ShownValue(const std::string& value);

// What a commit did: the channels that went offline and came back, those still offline
// when the wait ended, and how long the commit and the wait took.
struct CommitOutcome {
    std::vector<std::string> restarted;
    std::vector<std::string> stillOffline;
    double seconds = 0;
    // What the server said of the commit: that its history could not record it.
    std::string notice = {};
};
// The notice after a commit: what was committed, by group, and what became of the channels.
std::string OutcomeText(const ConfigReview& review, const CommitOutcome& outcome);
// "C1", "C1 and C2", "C1, C2 and C4".
std::string NameList(const std::vector<std::string>& names);

// The review as a text report under a title line.
std::string ReviewReport(const ConfigReview& review, const std::string& title);
// One line for the report's title: "3 changes: System, Channel C1, GPI".
std::string ReviewSummary(const ConfigReview& review);
