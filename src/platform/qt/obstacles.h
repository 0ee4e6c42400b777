// What stands in the way of ending the session, as logind knows it: programs holding a block
// inhibitor on what the request needs, and other users' sessions that a power action would end.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "platform/os.h"

namespace brellix::platform::qt {

struct InhibitorRecord {  // one entry of Manager.ListInhibitors
    QString what, who, why, mode;
    uint uid = 0, pid = 0;
};

struct SessionRecord {  // one entry of Manager.ListSessions
    QString id;
    uint uid = 0;
    QString user, seat;
};

// The obstacles the records show for the request: block inhibitors of "shutdown" (log off needs
// none), and for the power actions the other users with a session (once each, with their seat).
Obstacles ObstaclesOf(SessionEndRequest request, const QList<InhibitorRecord>& inhibitors,
                      const QList<SessionRecord>& sessions, uint ownUid);

// Asks logind both lists without waiting; `told` is called once, when both answered.
void AskObstaclesThroughLogind(SessionEndRequest request, uint ownUid, QObject* context,
                               std::function<void(const Obstacles&)> told);

}  // namespace brellix::platform::qt
