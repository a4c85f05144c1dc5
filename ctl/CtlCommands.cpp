#include "CtlCommands.h"

#include "CtlSession.h"

#include "app/TrellisDlg.h"
#include "platform/FileRead.h"
#include "review/ReviewText.h"
#include "server/IConfigHistory.h"
#include "server/remote/KnownHosts.h"
#include "server/remote/RemoteSession.h"
#include "server/tool/HistoryCommands.h"
#include "state/ConfigState.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cstdio>
#include <map>
#include <optional>

const char* const kCtlUsage =
    R"(usage: trellisctl [--host HOST[:PORT]] [--user USER] [--password-file FILE] [--json] COMMAND ...

Configures a server's channels and system from the command line, through the same client,
trust store, rules and review as the touch screen utility. HOST is localhost (the server of
this machine) unless given; USER is admin unless given. The password is read from
--password-file, else $TRELLIS_PASSWORD, else asked on the terminal; never from the command
line.

Commands:
  get [--xpath XPATH]        the configuration, or the values XPATH selects, one a line
  validate FILE              whether the server could run FILE, with the reasons when not
  diff FILE                  what applying FILE would change, as the utility's review
                             words it, and the channels that would restart
  apply FILE [--yes] [--force]
                             validate, show the difference, ask (unless --yes) and commit;
                             waits for the channels that restart. Refused while a channel
                             that would restart records or plays, unless --force
  history [--count N] [--before ID]
                             the stored configurations, newest first
  show ID                    one entry of the history with its change report
  rollback ID [--yes] [--force]
                             apply the configuration of a history entry, as apply does
  trust HOST[:PORT] FINGERPRINT [--force]
                             trust the host's certificate by its SHA-256 fingerprint (as
                             trellis-server serve prints it) without asking; --force
                             replaces a fingerprint trusted before

--json writes every answer as JSON on standard output.

Exit status: 0 done, 2 nothing to change, 3 the configuration changed on the server since
it was read (nothing was overwritten), 4 refused (a busy channel, or the user's rights),
1 any other error. Every failure is said on standard error.
)";

namespace {

struct Options {
    QString host = QStringLiteral("localhost");
    QString user = QStringLiteral("admin");
    QString passwordFile;
    QString xpath;
    bool json = false;
    bool yes = false;
    bool force = false;
    // Handed to the history commands as they are given.
    QStringList historyOptions;
    QString command;
    QStringList positional;
};

int fail(const std::string& text, int status = kCtlFailed) {
    std::fprintf(stderr, "trellisctl: %s\n", text.c_str());
    return status;
}

void printJson(const QJsonObject& object) {
    const QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stdout);
}

// The arguments as options and the command's own; a message and none when they are not
// understood.
std::optional<Options> parse(const QStringList& arguments) {
    Options options;
    const std::map<QString, QString*> valued = {
        {QStringLiteral("--host"), &options.host},
        {QStringLiteral("--user"), &options.user},
        {QStringLiteral("--password-file"), &options.passwordFile},
        {QStringLiteral("--xpath"), &options.xpath}};
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--password") ||
            argument.startsWith(QLatin1String("--password="))) {
            fail("a password is never taken from the command line, where every user of the "
                 "machine sees it: use --password-file, $TRELLIS_PASSWORD or the prompt");
            return std::nullopt;
        }
        if (const auto option = valued.find(argument); option != valued.end()) {
            if (i + 1 >= arguments.size()) {
                fail(argument.toStdString() + " needs a value");
                return std::nullopt;
            }
            *option->second = arguments[++i];
        } else if (argument == QLatin1String("--count") || argument == QLatin1String("--before")) {
            if (i + 1 >= arguments.size()) {
                fail(argument.toStdString() + " needs a value");
                return std::nullopt;
            }
            options.historyOptions << argument << arguments[++i];
        } else if (argument == QLatin1String("--json")) {
            options.json = true;
        } else if (argument == QLatin1String("--yes")) {
            options.yes = true;
        } else if (argument == QLatin1String("--force")) {
            options.force = true;
        } else if (argument.startsWith(QLatin1String("--"))) {
            fail("unknown option " + argument.toStdString());
            return std::nullopt;
        } else if (options.command.isEmpty()) {
            options.command = argument;
        } else {
            options.positional << argument;
        }
    }
    return options;
}

// The password: from the file, else $TRELLIS_PASSWORD, else the terminal.
std::optional<std::string> password(const Options& options) {
    if (options.passwordFile.isEmpty()) {
        std::optional<std::string> given = AskPassword(options.user.toStdString());
        if (!given)
            fail("no password: give --password-file or $TRELLIS_PASSWORD, or run on a terminal");
        return given;
    }
    constexpr qint64 kMostPasswordBytes = 4096;
    QByteArray content;
    std::string why;
    if (ReadRegularFile(options.passwordFile, kMostPasswordBytes, content, &why) !=
        FileReadResult::Ok) {
        fail("the password file " + options.passwordFile.toStdString() +
             " could not be read: " + (why.empty() ? "it is too large" : why));
        return std::nullopt;
    }
    const qsizetype end = content.indexOf('\n');
    return content.left(end < 0 ? content.size() : end).toStdString();
}

// The values an XPath selects: an attribute's value, an element's XML.
int get(CtlSession& session, const Options& options) {
    std::shared_ptr<XmlDocument> document;
    session.State().GetConfigDocument(document);
    if (!document)
        return fail("the host server gave no configuration");
    if (options.xpath.isEmpty()) {
        if (options.json)
            printJson({{QStringLiteral("configuration"), QString::fromStdString(document->xml())}});
        else
            std::fputs(document->xml().c_str(), stdout);
        return kCtlDone;
    }
    XmlNodeList nodes;
    if (FAILED(document->documentNode().selectNodes(options.xpath.toStdString(), nodes)))
        return fail("\"" + options.xpath.toStdString() + "\" is not an XPath");
    QJsonArray values;
    for (const XmlNode& node : nodes) {
        const std::string value = node.isAttribute() ? node.value() : node.xml();
        values.append(QString::fromStdString(value));
        if (!options.json)
            std::printf("%s\n", value.c_str());
    }
    if (options.json)
        printJson({{QStringLiteral("values"), values}});
    return nodes.empty() ? fail("\"" + options.xpath.toStdString() + "\" selects nothing")
                         : kCtlDone;
}

// Takes FILE (or a history entry) as the sheet's document; false when it was refused.
bool load(CtlSession& session, const Options& options) {
    const QString& what = options.positional.value(0);
    if (options.command == QLatin1String("rollback")) {
        bool ok = false;
        const qint64 id = what.toLongLong(&ok);
        if (!ok || id <= 0) {
            fail("rollback takes the number of a history entry");
            return false;
        }
        return session.Sheet().LoadHistoryEntry(id);
    }
    return session.Sheet().LoadConfiguration(what.toStdString());
}

void printReview(const ConfigReview& review, const std::string& title, bool json) {
    if (json)
        printJson(ReviewJson(review));
    else
        std::fputs(ReviewReport(review, title).c_str(), stdout);
}

// The checks, the question and the commit of a reviewed change: the status, and what
// failed when something did.
std::pair<int, std::string> commitReviewed(CtlSession& session, CtlPrompter& prompter,
                                           const ConfigReview& review, const Options& options) {
    const std::string host = options.host.toStdString();
    const std::string notAuthorized = "nothing was committed: you are not authorized to change "
                                      "configuration settings on " +
                                      host;
    if (!session.State().IsAuthorized())
        return {kCtlRefused, notAuthorized};
    if (!review.stoppedActivities.empty() && !options.force)
        return {kCtlRefused, "nothing was committed: " + NameList(review.stoppedActivities) +
                                 ", and would stop. --force commits all the same."};
    if (!options.yes) {
        Terminal terminal;
        if (!terminal)
            return {kCtlFailed,
                    "nothing was committed: without a terminal to ask on, --yes commits"};
        if (terminal.ask("Commit these changes to " + host + "? yes or no? ", false) != "yes")
            return {kCtlFailed, "nothing was committed"};
    }
    const bool committed = session.Commit();
    if (prompter.Conflict())
        return {kCtlConflict, "nothing was committed: the configuration on " + host +
                                  " changed since it was read; run the command again"};
    if (prompter.NotAuthorized())
        return {kCtlRefused, notAuthorized};
    if (!committed)
        return {kCtlFailed, "nothing was committed"};
    return {kCtlDone, {}};
}

// apply and rollback: what a commit would change, the checks, the question and the commit.
int apply(CtlSession& session, CtlPrompter& prompter, const Options& options) {
    const ConfigReview review = session.Review();
    if (review.IsEmpty()) {
        if (!options.json)
            std::printf("No change: %s holds this configuration.\n",
                        options.host.toLocal8Bit().constData());
        return kCtlNothingToChange;
    }
    if (!options.json)
        printReview(review, "Changes to " + options.host.toStdString(), false);
    const auto [status, failure] = commitReviewed(session, prompter, review, options);
    if (options.json) {
        QJsonObject answer = ReviewJson(review);
        answer.insert(QStringLiteral("committed"), status == kCtlDone);
        answer.insert(QStringLiteral("notice"), QString::fromStdString(prompter.Outcome()));
        answer.insert(QStringLiteral("error"), QString::fromStdString(failure));
        printJson(answer);
    } else if (status == kCtlDone) {
        std::printf("%s\n", prompter.Outcome().c_str());
    }
    return failure.empty() ? status : fail(failure, status);
}

int trust(const Options& options) {
    if (options.positional.size() != 2)
        return fail("trust takes a host and the SHA-256 fingerprint of its certificate");
    const std::optional<RemoteAddress> address =
        ParseRemoteAddress(options.positional[0].toStdString());
    if (!address)
        return fail("\"" + options.positional[0].toStdString() + "\" is not a host name");
    const QString fingerprint = options.positional[1].toUpper();
    static const QRegularExpression sha256(QStringLiteral("^([0-9A-F]{2}:){31}[0-9A-F]{2}$"));
    if (!sha256.match(fingerprint).hasMatch())
        return fail("\"" + options.positional[1].toStdString() +
                    "\" is not a SHA-256 fingerprint (32 pairs of hex digits with colons, as "
                    "trellis-server serve prints it)");
    KnownHosts known;
    const std::optional<QString> trusted = known.fingerprint(address->key());
    if (options.json)
        printJson(
            {{QStringLiteral("host"), address->key()},
             {QStringLiteral("fingerprint"), fingerprint},
             {QStringLiteral("trustedBefore"), trusted ? QJsonValue(*trusted) : QJsonValue()}});
    if (trusted && *trusted == fingerprint)
        return kCtlNothingToChange;
    if (trusted && !options.force)
        return fail(address->key().toStdString() + " is trusted with another fingerprint, " +
                        trusted->toStdString() + "; --force replaces it",
                    kCtlRefused);
    QString why;
    if (!known.remember(address->key(), fingerprint, &why))
        return fail("the host could not be added to " + known.path().toStdString() + ": " +
                    why.toStdString());
    if (trusted)
        std::fprintf(stderr, "trellisctl: %s: replaced the fingerprint trusted before, %s\n",
                     address->key().toStdString().c_str(), trusted->toStdString().c_str());
    return kCtlDone;
}

int run(const Options& options) {
    const QString& command = options.command;
    static const std::map<QString, int> arity = {
        {QStringLiteral("get"), 0},      {QStringLiteral("validate"), 1},
        {QStringLiteral("diff"), 1},     {QStringLiteral("apply"), 1},
        {QStringLiteral("history"), 0},  {QStringLiteral("show"), 1},
        {QStringLiteral("rollback"), 1}, {QStringLiteral("trust"), 2}};
    const auto known = arity.find(command);
    if (known == arity.end() || options.positional.size() != known->second) {
        std::fputs(kCtlUsage, stderr);
        return kCtlFailed;
    }
    if (command == QLatin1String("trust"))
        return trust(options);

    const std::optional<std::string> secret = password(options);
    if (!secret)
        return kCtlFailed;
    CtlPrompter prompter(options.user.toStdString(), *secret);
    installPrompter(&prompter);
    struct Uninstall {
        ~Uninstall() { installPrompter(nullptr); }
    } uninstall;
    CtlSession session(options.host);
    if (!session.Started())
        return fail("could not log on to " + options.host.toStdString() + " as " +
                    options.user.toStdString());

    if (command == QLatin1String("get"))
        return get(session, options);
    if (command == QLatin1String("history") || command == QLatin1String("show")) {
        const std::shared_ptr<IConfigHistory> history = session.State().ConfigHistory();
        if (!history)
            return fail(options.host.toStdString() + " keeps no history");
        QStringList arguments = options.positional + options.historyOptions;
        if (options.json)
            arguments << QStringLiteral("--json");
        return RunHistoryCommand(*history, command, arguments).value_or(kCtlFailed);
    }
    const bool loaded = load(session, options);
    if (command == QLatin1String("validate")) {
        if (options.json) {
            QJsonArray reasons;
            for (const std::string& error : prompter.Errors())
                reasons.append(QString::fromStdString(error));
            printJson({{QStringLiteral("valid"), loaded}, {QStringLiteral("reasons"), reasons}});
        } else if (loaded) {
            std::printf("%s can run %s.\n", options.host.toLocal8Bit().constData(),
                        options.positional[0].toLocal8Bit().constData());
        }
        return loaded ? kCtlDone : kCtlFailed;
    }
    if (!loaded)
        return prompter.Errors().empty() ? fail(options.positional[0].toStdString() +
                                                " was not taken on " + options.host.toStdString())
                                         : kCtlFailed; // told why
    if (command == QLatin1String("diff")) {
        const ConfigReview review = session.Review();
        printReview(review,
                    "Changes " + options.positional[0].toStdString() + " would make to " +
                        options.host.toStdString(),
                    options.json);
        return review.IsEmpty() ? kCtlNothingToChange : kCtlDone;
    }
    return apply(session, prompter, options);
}

} // namespace

int RunCtl(const QStringList& arguments) {
    const std::optional<Options> options = parse(arguments);
    if (!options)
        return kCtlFailed;
    return run(*options);
}
