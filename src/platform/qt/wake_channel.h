// A second start asks the running instance for its window over a local socket beside the
// single-instance lock (or, when that path is too long for a socket, one named after it). Only
// the same user reaches it, and only the exact request counts. Plain sockets under Qt's socket
// notifiers: no network library to load.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "platform/qt/qt_os.h"

namespace brellix::platform::qt {

inline constexpr char kWakeRequest[] = "brellix: show the window\n";

// The instance that holds the lock listens; `wake` is called for each exact request.
class WakeListener : public QObject {
public:
    WakeListener(std::string socketPath, std::function<void()> wake);
    ~WakeListener() override;
    bool Listening() const { return listener_ != nullptr; }

private:
    struct Peer {
        UniqueFd fd;
        std::string received;
        std::unique_ptr<QSocketNotifier> readable;
        std::unique_ptr<QTimer> patience;
    };
    void Accept();
    void Read(Peer& peer);
    void Drop(Peer& peer);

    std::string path_;
    std::function<void()> wake_;
    UniqueFd socket_;
    bool unlinkAtEnd_ = false;  // a socket file, not an abstract name
    std::unique_ptr<QSocketNotifier> listener_;
    std::list<Peer> peers_;
};

// The second start: sends the request; false when nobody listened within `patience`.
bool SendWakeRequest(const std::string& socketPath, std::chrono::milliseconds patience);

}  // namespace brellix::platform::qt
