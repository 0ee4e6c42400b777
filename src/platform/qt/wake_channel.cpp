#include "platform/qt/wake_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace brellix::platform::qt {

namespace {

constexpr std::size_t kRequestLength = sizeof kWakeRequest - 1;
constexpr int kPatienceMs = 2000;  // a peer that says nothing is dropped after this

std::optional<sockaddr_un> AddressOf(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

bool SameUser(int fd) {
    ucred peer{};
    socklen_t length = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid == ::getuid();
}

}  // namespace

WakeListener::WakeListener(std::string socketPath, std::function<void()> wake)
    : path_(std::move(socketPath)), wake_(std::move(wake)) {
    const auto address = AddressOf(path_);
    if (!address) return;
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd) return;
    // Only the lock's holder gets here: a socket left by an instance that died is stale.
    ::unlink(path_.c_str());
    // Only the user may connect, whatever directory holds the socket.
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd.get(), 4) != 0) return;
    socket_ = std::move(fd);
    listener_ = std::make_unique<QSocketNotifier>(socket_.get(), QSocketNotifier::Read);
    connect(listener_.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
}

WakeListener::~WakeListener() {
    if (socket_) ::unlink(path_.c_str());
}

void WakeListener::Accept() {
    for (;;) {
        UniqueFd fd(::accept4(socket_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd) return;
        if (!SameUser(fd.get())) continue;
        Peer& peer = peers_.emplace_back();
        peer.fd = std::move(fd);
        peer.readable = std::make_unique<QSocketNotifier>(peer.fd.get(), QSocketNotifier::Read);
        connect(peer.readable.get(), &QSocketNotifier::activated, this, [this, &peer] { Read(peer); });
        peer.patience = std::make_unique<QTimer>();
        peer.patience->setSingleShot(true);
        connect(peer.patience.get(), &QTimer::timeout, this, [this, &peer] { Drop(peer); });
        peer.patience->start(kPatienceMs);
    }
}

// The request, then the end of the stream: anything longer, shorter or different is ignored.
void WakeListener::Read(Peer& peer) {
    char bytes[64];
    const ssize_t count = ::read(peer.fd.get(), bytes, sizeof bytes);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (count > 0) {
        peer.received.append(bytes, static_cast<std::size_t>(count));
        if (peer.received.size() > kRequestLength) Drop(peer);
        return;
    }
    const bool exact = peer.received == std::string_view(kWakeRequest, kRequestLength);
    Drop(peer);
    if (exact) wake_();
}

// Later: the peer's notifier may be the one whose signal runs now.
void WakeListener::Drop(Peer& peer) {
    peer.readable->setEnabled(false);
    peer.patience->stop();
    QTimer::singleShot(0, this, [this, gone = &peer] { peers_.remove_if([gone](const Peer& p) { return &p == gone; }); });
}

// Plain sockets: this process has no event loop, and writes a few bytes to a listening peer.
bool SendWakeRequest(const std::string& socketPath) {
    const auto address = AddressOf(socketPath);
    if (!address) return false;
    UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) return false;
    const timeval patience{1, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &patience, sizeof patience);
    return ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 &&
           ::write(fd.get(), kWakeRequest, kRequestLength) == static_cast<ssize_t>(kRequestLength);
}

}  // namespace brellix::platform::qt
