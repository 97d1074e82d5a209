// Single instance: an flock'ed file held for the life of the process (the
// kernel drops it when the process dies, so a crash leaves no stale lock),
// and a UNIX datagram socket beside it for "raise your window".
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl_parts.h"

namespace tamblor {

namespace {

constexpr char kRaiseRequest[] = "raise";

bool IsPrivateFolder(const char* path) {
    struct stat st;
    return path != nullptr && path[0] == '/' && ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

}  // namespace

void InstanceChannel::ComputePaths() {
    if (!lockPath_.empty()) return;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base = IsPrivateFolder(runtime)
                           ? std::string(runtime) + "/tamblor"
                           : "/tmp/tamblor-" + std::to_string(static_cast<unsigned long>(::getuid()));
    lockPath_ = base + ".lock";
    socketPath_ = base + ".sock";
}

InstanceChannel::~InstanceChannel() {
    if (socketFd_ >= 0) {
        ::close(socketFd_);
        // Still ours: the lock is held until the process ends.
        ::unlink(socketPath_.c_str());
    }
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool InstanceChannel::Claim() {
    if (lockFd_ >= 0) return true;
    ComputePaths();
    int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        // Better two instances than none at all.
        std::fprintf(stderr, "Tamblor: cannot open the lock file %s (%s); not checking for another "
                     "running copy.\n", lockPath_.c_str(), std::strerror(errno));
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return false;
        std::fprintf(stderr, "Tamblor: cannot lock %s (%s); not checking for another running copy.\n",
                     lockPath_.c_str(), std::strerror(error));
        return true;
    }
    lockFd_ = fd;

    sockaddr_un address;
    if (!MakeAddress(socketPath_, address)) return true;
    int sock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (sock < 0) return true;
    // A socket file left by a crashed instance is ours to replace: we hold the lock.
    ::unlink(socketPath_.c_str());
    if (::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(sock);
        return true;
    }
    socketFd_ = sock;
    return true;
}

void InstanceChannel::Activate() {
    ComputePaths();
    sockaddr_un address;
    if (!MakeAddress(socketPath_, address)) return;
    int sock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (sock < 0) return;
    // Non-blocking and unchecked: nobody listening, or a full queue, just
    // means nothing is raised.
    (void)::sendto(sock, kRaiseRequest, sizeof kRaiseRequest - 1, MSG_DONTWAIT | MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(sock);
}

bool InstanceChannel::TakeActivation() {
    if (socketFd_ < 0) return false;
    bool requested = false;
    char message[16];
    while (::recv(socketFd_, message, sizeof message, MSG_DONTWAIT) >= 0) requested = true;
    return requested;
}

}  // namespace tamblor
