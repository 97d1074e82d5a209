#include "platform/speechd_service.h"

#include <libspeechd.h>
#include <poll.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

namespace tamblor {

// The game hands its requests to a thread of our own, which alone talks to
// the daemon: a daemon that stops answering can hold that thread, never the
// game. The daemon's end and cancel events arrive on libspeechd's thread and
// are handed over through atomics.
struct SpeechdService::State {
    SPDConnection* connection = nullptr;
    std::thread worker;

    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool cancel = false;
    bool hasText = false;
    char text[4096] = {};
    bool rateChanged = false;
    int rate = 0;
    int ownRate = 0;  // the player's, as the connection started with it

    std::atomic<uint64_t> said{0};     // texts asked for
    std::atomic<uint64_t> cutUpTo{0};  // texts the game cut
    std::atomic<uint64_t> sent{0};     // the latest text handed to the daemon
    std::atomic<long> sentId{0};       // its message id
    std::atomic<long> endedId{0};      // the highest message id that ended or was cut
    std::atomic<bool> lost{false};

    void Run();
};

namespace {
std::atomic<SpeechdService::State*> g_state{nullptr};

// Called on libspeechd's thread.
void MessageEnded(size_t id, size_t, SPDNotificationType) {
    SpeechdService::State* s = g_state.load();
    if (s == nullptr) return;
    long seen = s->endedId.load();
    while (long(id) > seen && !s->endedId.compare_exchange_weak(seen, long(id))) {
    }
}

// A daemon that has gone leaves its socket hung up (or closed by the
// library's reader).
bool SocketGone(SPDConnection* c) {
    pollfd p{c->socket, POLLRDHUP, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}
}  // namespace

void SpeechdService::State::Run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stop) {
        wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return stop || cancel || hasText || rateChanged; });
        if (stop) break;
        if (lost) {
            hasText = cancel = rateChanged = false;
            continue;
        }
        const bool doCancel = cancel, doSay = hasText, doRate = rateChanged;
        char message[sizeof text];
        uint64_t number = said;
        if (doSay) std::memcpy(message, text, sizeof text);
        const int newRate = std::clamp(ownRate + rate, -100, 100);
        cancel = hasText = rateChanged = false;
        lock.unlock();
        bool failed = false;
        if (doRate) failed |= spd_set_voice_rate(connection, newRate) != 0;
        // A new text cuts the one before, as a new recorded voice does.
        if (doCancel || doSay) failed |= spd_cancel(connection) != 0;
        if (doSay && !failed) {
            const int id = spd_say(connection, SPD_TEXT, message);
            if (id < 0) {
                failed = true;
            } else {
                sentId = id;
                sent = number;
            }
        }
        if (failed || SocketGone(connection)) lost = true;
        lock.lock();
    }
}

SpeechdService::SpeechdService() : state_(std::make_unique<State>()) {}

SpeechdService::~SpeechdService() { Disconnect(); }

bool SpeechdService::Connect() {
    Disconnect();
    char* error = nullptr;
    // The address comes from SPEECHD_ADDRESS or the player's own settings,
    // and the daemon is started the way the desktop starts it for any client.
    SPDConnection* c = spd_open2("tamblor", "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    if (c == nullptr) {
        std::fprintf(stderr, "Tamblor: no speech service: %s\n", error ? error : "speech-dispatcher does not answer");
        std::free(error);
        return false;
    }
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.connection = c;
    s.ownRate = spd_get_voice_rate(c);
    g_state = &s;
    c->callback_end = MessageEnded;
    c->callback_cancel = MessageEnded;
    spd_set_notification_on(c, SPD_END);
    spd_set_notification_on(c, SPD_CANCEL);
    s.worker = std::thread([&s] { s.Run(); });
    return true;
}

void SpeechdService::Disconnect() {
    State& s = *state_;
    if (s.connection == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.stop = true;
    }
    s.wake.notify_one();
    s.worker.join();
    g_state = nullptr;
    if (!s.lost) spd_cancel(s.connection);
    spd_close(s.connection);
    s.connection = nullptr;
}

void SpeechdService::Say(const char* text) {
    State& s = *state_;
    if (s.connection == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        std::snprintf(s.text, sizeof s.text, "%s", text);
        s.hasText = true;
        s.cancel = false;
        ++s.said;
    }
    s.wake.notify_one();
}

void SpeechdService::Cancel() {
    State& s = *state_;
    if (s.connection == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.hasText = false;
        s.cancel = true;
        s.cutUpTo = s.said.load();
    }
    s.wake.notify_one();
}

bool SpeechdService::Speaking() {
    State& s = *state_;
    if (s.connection == nullptr || s.lost) return false;
    const uint64_t said = s.said;
    if (s.cutUpTo >= said) return false;
    if (s.sent < said) return true;
    return s.endedId < s.sentId;
}

bool SpeechdService::Lost() { return state_->connection != nullptr && state_->lost; }

void SpeechdService::SetRelativeRate(int rate) {
    State& s = *state_;
    if (s.connection == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.rate = rate;
        s.rateChanged = true;
    }
    s.wake.notify_one();
}

}  // namespace tamblor
