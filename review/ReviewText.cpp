#include "ReviewText.h"

#include <fmt/format.h>

std::string GroupHeading(const ReviewGroup& group) {
    return group.channel.empty() ? group.page : group.page + " " + group.channel;
}

std::string ShownValue(const std::string& value) {
    return value.empty() ? std::string("(none)") : value;
}

std::string EntryLine(const ReviewEntry& entry) {
    // Without values, a row's label stands alone, without the colon that leads to its value.
    if (entry.before.empty() && entry.after.empty())
        return entry.label.ends_with(':') ? entry.label.substr(0, entry.label.size() - 1)
                                          : entry.label;
    // A row's label ends with its own colon; a described change has none.
    const std::string separator = entry.label.ends_with(':') ? " " : ": ";
    return entry.label + separator + ShownValue(entry.before) + " \u2192 " +
           ShownValue(entry.after);
}

std::string CausedLine(const ReviewEntry& entry) {
    const std::size_t count = entry.CausedCount();
    if (count == 0)
        return {};
    const std::string what = count == 1 ? std::string("1 change made by rules")
                                        : fmt::format("{} changes made by rules", count);
    // A row set back to its start has no change of its own left, only what followed it.
    return entry.setBack ? "set back; " + what + " remain" + (count == 1 ? "s" : "") : what;
}

std::vector<std::string> CausedChangeLines(const ReviewEntry& entry) {
    std::vector<std::string> lines;
    for (std::size_t i = entry.ownCount; i < entry.changes.size(); ++i)
        lines.push_back(i < entry.changeWords.size() ? entry.changeWords[i]
                                                     : EntryLine(DescribeChange(entry.changes[i])));
    return lines;
}

std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    return list;
}

namespace {

// "Channel C1" or "Channels C1 and C2".
std::string channelsWord(const std::vector<std::string>& names) {
    return (names.size() == 1 ? "Channel " : "Channels ") + NameList(names);
}

} // namespace

std::string RestartLine(const ConfigReview& review) {
    const auto& names = review.restartingChannels;
    if (names.empty())
        return {};
    std::string line = fmt::format("{} {} offline to restart.", channelsWord(names),
                                   names.size() == 1 ? "goes" : "go");
    for (const std::string& activity : review.stoppedActivities)
        line += " " + activity + " and will stop.";
    return line;
}

std::string OutcomeText(const ConfigReview& review, const CommitOutcome& outcome) {
    std::vector<std::string> parts;
    for (const ReviewGroup& group : review.groups) {
        const std::size_t count = group.entries.size();
        parts.push_back(
            fmt::format("{} ({} change{})", GroupHeading(group), count, count == 1 ? "" : "s"));
    }
    std::string text = "Committed: " + NameList(parts) + ".";
    if (!outcome.restarted.empty())
        text += fmt::format("\n{} restarted in {:.1f} seconds.", channelsWord(outcome.restarted),
                            outcome.seconds);
    if (!outcome.stillOffline.empty())
        text += fmt::format("\n{} {} still offline after {:.1f} seconds.",
                            channelsWord(outcome.stillOffline),
                            outcome.stillOffline.size() == 1 ? "was" : "were", outcome.seconds);
    if (outcome.restarted.empty() && outcome.stillOffline.empty())
        text += "\nNo channel restarted.";
    if (!outcome.notice.empty())
        text += "\n" + outcome.notice;
    return text;
}

std::string ReviewSummary(const ConfigReview& review) {
    // Counted as the review and the notice after the commit count them: a change of the
    // user's with what rules rewrote after it is one.
    const std::size_t count = review.EntryCount();
    std::string groups;
    for (const ReviewGroup& group : review.groups)
        groups += (groups.empty() ? "" : ", ") + GroupHeading(group);
    if (count == 0)
        return "No changes";
    return fmt::format("{} change{}: {}", count, count == 1 ? "" : "s", groups);
}

std::string ReviewReport(const ConfigReview& review, const std::string& title) {
    std::string text = title + "\n\n";
    if (review.IsEmpty())
        text += "No changes.\n";
    for (const ReviewGroup& group : review.groups) {
        text += GroupHeading(group) + "\n";
        for (const ReviewEntry& entry : group.entries) {
            text += "  " + EntryLine(entry) + "\n";
            const std::string caused = CausedLine(entry);
            if (caused.empty())
                continue;
            text += "    " + caused + ":\n";
            for (const std::string& line : CausedChangeLines(entry))
                text += "      " + line + "\n";
        }
        text += "\n";
    }
    if (const std::string restart = RestartLine(review); !restart.empty())
        text += restart + "\n";
    return text;
}
