#include "platform/qt/wake_channel.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

namespace brellix::platform::qt {

namespace {

constexpr std::size_t kRequestLength = sizeof kWakeRequest - 1;
constexpr int kPatienceMs = 2000;  // a peer that says nothing is dropped after this

struct SocketAddress {
    sockaddr_un address{};
    socklen_t length = 0;
    bool abstract() const { return address.sun_path[0] == '\0'; }
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

// FNV-1a: a stable name for a path, the same in every build and process.
std::uint64_t NameHash(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const unsigned char c : text) hash = (hash ^ c) * 0x100000001b3u;
    return hash;
}

// The path itself when it fits in an address; else (a long runtime directory) a name in the
// abstract namespace made from the user and the path. Such a name has no file rights, so both
// ends check that the other is the same user.
std::optional<SocketAddress> AddressOf(const std::string& path) {
    if (path.empty()) return std::nullopt;
    SocketAddress socket;
    socket.address.sun_family = AF_UNIX;
    if (path.size() < sizeof socket.address.sun_path) {
        std::memcpy(socket.address.sun_path, path.c_str(), path.size() + 1);
        socket.length = sizeof socket.address;
        return socket;
    }
    char name[64];
    const int length = std::snprintf(name, sizeof name, "brellix-%u-%016llx.wake", static_cast<unsigned>(::getuid()),
                                     static_cast<unsigned long long>(NameHash(path)));
    std::memcpy(socket.address.sun_path + 1, name, static_cast<std::size_t>(length));
    socket.length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    return socket;
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
    if (!address->abstract()) ::unlink(path_.c_str());
    // Only the user may connect, whatever directory holds the socket.
    const mode_t mask = ::umask(0077);
    const bool bound = ::bind(fd.get(), address->get(), address->length) == 0;
    ::umask(mask);
    if (!bound || ::listen(fd.get(), 4) != 0) return;
    socket_ = std::move(fd);
    unlinkAtEnd_ = !address->abstract();
    listener_ = std::make_unique<QSocketNotifier>(socket_.get(), QSocketNotifier::Read);
    connect(listener_.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
}

WakeListener::~WakeListener() {
    if (unlinkAtEnd_) ::unlink(path_.c_str());
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

// Plain sockets: this process has no event loop, and writes a few bytes to a listening peer. An
// instance that has only just taken the lock listens a moment later: it is given that moment.
bool SendWakeRequest(const std::string& socketPath, std::chrono::milliseconds patience) {
    const auto address = AddressOf(socketPath);
    if (!address) return false;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (!fd) return false;
        const timeval sendPatience{1, 0};
        ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &sendPatience, sizeof sendPatience);
        if (::connect(fd.get(), address->get(), address->length) == 0) {
            return SameUser(fd.get()) &&
                   ::write(fd.get(), kWakeRequest, kRequestLength) == static_cast<ssize_t>(kRequestLength);
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

}  // namespace brellix::platform::qt
