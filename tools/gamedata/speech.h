// Text to speech for the game-data build: Festival with the HTS voice of
// CMU's "slt" speaker, run in batch mode. Speech is deterministic: the same
// text and voice give the same samples, so rendered sentences are cached.
#pragma once

#include <string>
#include <vector>

namespace gamedata {

struct SpeechJob {
    std::string text;
    std::string voice;     // a name from KnownVoices()
    std::string out_path;  // a WAV file at the engine's own rate
};

std::vector<std::string> KnownVoices();

// Identifies the engine and voice for cache keys: a new engine release
// must not reuse sentences rendered by the old one.
std::string SpeechEngineId(const std::string& voice);

// Renders every job, spread over `parallel` engine processes. Throws
// std::runtime_error (with the engine's log) when a file is not produced.
void Speak(const std::vector<SpeechJob>& jobs, int parallel, const std::string& work_dir);

// Splits a message into sentences, each rendered on its own so that long
// texts stay within what the engine handles well and edits re-render only
// the sentence that changed.
std::vector<std::string> SplitSentences(const std::string& text);

}  // namespace gamedata
