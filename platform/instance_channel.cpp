// Single instance: an flock'ed file held for the life of the process (the
// kernel drops it when the process dies, so a crash leaves no stale lock),
// and a UNIX datagram socket beside it for "raise your window".
#include "platform/instance_channel.h"

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

namespace tamblor {

namespace {

constexpr char kRaiseRequest[] = "raise";

// Ours alone: anyone else who could write here (or lock a file here) could
// make the game believe it is already running.
bool Private(const struct stat& st) { return st.st_uid == ::getuid() && (st.st_mode & 077) == 0; }

bool PrivateFolder(const std::string& path) {
    struct stat st;
    return !path.empty() && path[0] == '/' && ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && Private(st);
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

void Unchecked(const std::string& why) {
    // Better two instances than none at all.
    std::fprintf(stderr, "Tamblor: %s; not checking for another running copy.\n", why.c_str());
}

}  // namespace

InstanceChannel::InstanceChannel(std::string folder) : folder_(std::move(folder)) {}

bool InstanceChannel::ComputePaths() {
    if (!lockPath_.empty()) return true;
    std::string folder = folder_;
    if (folder.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        if (runtime != nullptr && PrivateFolder(runtime)) {
            folder = runtime;
        } else {
            folder = "/tmp/tamblor-" + std::to_string(static_cast<unsigned long>(::getuid()));
            if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
                Unchecked("cannot create " + folder + " (" + std::strerror(errno) + ")");
                return false;
            }
        }
    }
    if (!PrivateFolder(folder)) {
        Unchecked(folder + " is not a folder of this user's that only this user may use");
        return false;
    }
    lockPath_ = folder + "/tamblor.lock";
    socketPath_ = folder + "/tamblor.sock";
    return true;
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
    if (!ComputePaths()) return true;
    int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (fd < 0) {
        Unchecked("cannot open the lock file " + lockPath_ + " (" + std::strerror(errno) + ")");
        return true;
    }
    // A file we did not create may have been planted: only a plain file of
    // our own that nobody else can open is trusted.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !Private(st)) {
        ::close(fd);
        Unchecked("the lock file " + lockPath_ + " belongs to someone else or others may use it");
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK) return false;
        Unchecked("cannot lock " + lockPath_ + " (" + std::strerror(error) + ")");
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
    if (!ComputePaths()) return;
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
