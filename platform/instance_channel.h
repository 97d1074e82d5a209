// The single-instance lock, and a datagram socket beside it on which a
// second instance asks the first to raise its window. Plain POSIX, so it is
// tested without a display.
#pragma once

#include <string>

namespace tamblor {

class InstanceChannel {
public:
    // Lock and socket go in `folder`; "" picks $XDG_RUNTIME_DIR when it is
    // the user's own private folder, else a private /tmp/tamblor-<uid>.
    explicit InstanceChannel(std::string folder = "");
    ~InstanceChannel();
    InstanceChannel(const InstanceChannel&) = delete;
    InstanceChannel& operator=(const InstanceChannel&) = delete;

    // False only when another instance holds the lock. A lock that cannot
    // be trusted (a folder or file someone else owns or may write) is not
    // used: the game then runs unchecked, and says so on stderr.
    bool Claim();
    void Activate();
    // True when activation requests arrived since the last call. Cheap: one
    // non-blocking recv.
    bool TakeActivation();

private:
    bool ComputePaths();

    std::string folder_;
    std::string lockPath_;
    std::string socketPath_;
    int lockFd_ = -1;
    int socketFd_ = -1;
};

}  // namespace tamblor
