#include "CtlSession.h"

#include "app/TrellisDlg.h"
#include "review/ReviewText.h"
#include "state/ConfigState.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QPushButton>

namespace {

// The sheet's size on the server's screen: the pages lay their rows out for it.
constexpr QSize kSheetSize(620, 460);

QJsonArray textArray(const std::vector<std::string>& lines) {
    QJsonArray array;
    for (const std::string& line : lines)
        array.append(QString::fromStdString(line));
    return array;
}

} // namespace

CtlSession::CtlSession(const QString& host) {
    m_app.SetHostName(host);
    m_sheet =
        std::make_unique<CTrellisDlg>(QStringLiteral("Configuration for ") + host, kSheetSize);
    // The start-up the sheet posts to itself: logon, the configuration, the pages.
    QCoreApplication::sendPostedEvents(m_sheet.get());
    m_started = m_sheet->result() == 0 && m_sheet->GetPageCount() > 0 &&
                m_sheet->GetConfigState() != nullptr;
}

CtlSession::~CtlSession() = default;

CConfigState& CtlSession::State() {
    return *m_sheet->GetConfigState();
}

ConfigReview CtlSession::Review() {
    return m_sheet->ReviewChanges();
}

bool CtlSession::Commit() {
    m_sheet->OkButton()->click();
    return m_sheet->result() == QDialog::Accepted;
}

QJsonObject ReviewJson(const ConfigReview& review) {
    QJsonArray changes;
    for (const ReviewGroup& group : review.groups) {
        for (const ReviewEntry& entry : group.entries)
            changes.append(
                QJsonObject{{QStringLiteral("page"), QString::fromStdString(group.page)},
                            {QStringLiteral("channel"), QString::fromStdString(group.channel)},
                            {QStringLiteral("label"), QString::fromStdString(entry.label)},
                            {QStringLiteral("before"), QString::fromStdString(entry.before)},
                            {QStringLiteral("after"), QString::fromStdString(entry.after)},
                            {QStringLiteral("byRules"), textArray(CausedChangeLines(entry))}});
    }
    return {{QStringLiteral("changes"), changes},
            {QStringLiteral("restarting"), textArray(review.restartingChannels)},
            {QStringLiteral("stopping"), textArray(review.stoppedActivities)}};
}
