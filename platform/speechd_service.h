// The speech service over speech-dispatcher (libspeechd), the one the
// desktop's screen reader speaks through. This header does not include it.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace tamblor {

class SpeechdService final : public SpeechService {
public:
    SpeechdService();
    ~SpeechdService() override;
    SpeechdService(const SpeechdService&) = delete;
    SpeechdService& operator=(const SpeechdService&) = delete;

    bool Connect() override;
    void Disconnect() override;
    void Say(const char* text) override;
    void Cancel() override;
    bool Speaking() override;
    bool Lost() override;
    void SetRelativeRate(int rate) override;

    struct State;  // shared with libspeechd's event thread

private:
    std::unique_ptr<State> state_;
};

}  // namespace tamblor
