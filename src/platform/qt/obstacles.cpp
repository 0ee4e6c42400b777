#include "platform/qt/obstacles.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <memory>

namespace brellix::platform::qt {

namespace {

constexpr char kLogindService[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";

bool EndsTheMachine(PowerAction action) { return action != PowerAction::LogOff; }

void AddOnce(std::vector<std::wstring>& list, const QString& text) {
    const std::wstring entry = text.toStdWString();
    for (const std::wstring& present : list) {
        if (present == entry) return;
    }
    list.push_back(entry);
}

// Each entry of the reply's array of structures, read by `read`.
template <class Record, class Read>
QList<Record> RecordsOf(const QDBusMessage& reply, Read read) {
    QList<Record> records;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return records;
    const QDBusArgument array = reply.arguments().constFirst().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        Record record;
        array.beginStructure();
        read(array, record);
        array.endStructure();
        records.append(record);
    }
    array.endArray();
    return records;
}

}  // namespace

Obstacles ObstaclesOf(SessionEndRequest request, const QList<InhibitorRecord>& inhibitors,
                      const QList<SessionRecord>& sessions, uint ownUid) {
    Obstacles obstacles;
    if (!EndsTheMachine(request.action)) return obstacles;
    for (const InhibitorRecord& inhibitor : inhibitors) {
        if (inhibitor.mode != "block" || !inhibitor.what.split(':').contains("shutdown")) continue;
        AddOnce(obstacles.blockers, inhibitor.why.isEmpty() ? inhibitor.who : inhibitor.who + QString::fromUtf8("：") + inhibitor.why);
    }
    for (const SessionRecord& session : sessions) {
        if (session.uid == ownUid) continue;
        const QString where = session.seat.isEmpty() ? QString::fromUtf8("远程") : session.seat;
        AddOnce(obstacles.otherUsers, session.user + QString::fromUtf8("（") + where + QString::fromUtf8("）"));
    }
    return obstacles;
}

void AskObstaclesThroughLogind(SessionEndRequest request, uint ownUid, QObject* context,
                               std::function<void(const Obstacles&)> told) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !EndsTheMachine(request.action)) return;
    struct Answers {
        QList<InhibitorRecord> inhibitors;
        QList<SessionRecord> sessions;
        int left = 2;
    };
    const auto answers = std::make_shared<Answers>();
    const auto ask = [&](const char* method, std::function<void(const QDBusMessage&)> read) {
        auto* watcher = new QDBusPendingCallWatcher(
            bus.asyncCall(QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager, method)), context);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [=] {
            watcher->deleteLater();
            read(watcher->reply());
            if (--answers->left == 0) told(ObstaclesOf(request, answers->inhibitors, answers->sessions, ownUid));
        });
    };
    ask("ListInhibitors", [answers](const QDBusMessage& reply) {
        answers->inhibitors = RecordsOf<InhibitorRecord>(reply, [](const QDBusArgument& a, InhibitorRecord& r) {
            a >> r.what >> r.who >> r.why >> r.mode >> r.uid >> r.pid;
        });
    });
    ask("ListSessions", [answers](const QDBusMessage& reply) {
        answers->sessions = RecordsOf<SessionRecord>(reply, [](const QDBusArgument& a, SessionRecord& r) {
            QDBusObjectPath path;
            a >> r.id >> r.uid >> r.user >> r.seat >> path;
        });
    });
}

}  // namespace brellix::platform::qt
