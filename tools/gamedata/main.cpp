// tamblor_gamedata: turns assets/ into the sound archive and loose voice
// files.
//   tamblor_gamedata build SOURCE_DIR OUT_DIR CACHE_DIR [--jobs N] [--map MEMBER=FILE]...
//       writes OUT_DIR/tamblor.tmb and OUT_DIR/system/...; members whose
//       inputs are unchanged come from CACHE_DIR
//   tamblor_gamedata member SOURCE_DIR CACHE_DIR MEMBER OUT_FILE [--fresh]
//       one member's bytes; --fresh renders speech anew instead of using
//       the cache (the determinism test compares it with the archive)
//   tamblor_gamedata check SOURCE_DIR
//       parses the manifest and resolves every recipe
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "audio/archive.h"
#include "audio/archive_writer.h"
#include "audio/voice_text.h"
#include "table/tour_data.h"
#include "tools/gamedata/manifest.h"
#include "tools/gamedata/pcm.h"
#include "tools/gamedata/speech.h"
#include "tools/gamedata/synth.h"

namespace fs = std::filesystem;
using namespace gamedata;

namespace {

// Bump when the way members are assembled changes in a way the tool's own
// binary does not reflect (it is hashed into every key as well).
constexpr const char* kFormatVersion = "members-1";

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path) {
    auto b = ReadBytes(path);
    return std::string(b.begin(), b.end());
}

// Writes through a temporary name so an interrupted build never leaves a
// half-written file that a later build would take as finished.
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::string tmp = path + ".part";
    {
        std::ofstream out(tmp, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) throw std::runtime_error("cannot write " + tmp);
    }
    fs::rename(tmp, path);
}

// 128-bit key from two FNV-1a passes with different offsets.
std::string Key(const std::string& s) {
    uint64_t a = 1469598103934665603ull, b = 0x84222325cbf29ce4ull;
    for (unsigned char c : s) {
        a = (a ^ c) * 1099511628211ull;
        b = (b ^ c) * 0x100000001b3ull + 0x9e3779b97f4a7c15ull;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%016llx%016llx", static_cast<unsigned long long>(a),
                  static_cast<unsigned long long>(b));
    return buf;
}

std::string ToolId() {
    static std::string id;
    if (id.empty()) {
        auto exe = ReadBytes("/proc/self/exe");
        id = Key(std::string(exe.begin(), exe.end()));
    }
    return id;
}

struct Sources {
    std::vector<Entry> entries;
    RecipeBook recipes;
    std::vector<tamblor::ArchiveMember> tours;  // packed as they are
};

bool KindFits(tamblor::TourPlay play, const std::string& kind) {
    switch (play) {
    case tamblor::TourPlay::Loop: return kind == "loop";
    case tamblor::TourPlay::Voice: return kind == "say" || kind == "word";
    case tamblor::TourPlay::Out: return kind != "map";
    default: return kind == "fx" || kind == "word";  // a scan's letter is a word played as a cue
    }
}

// Every table's tour (assets/tours/<key>.tour): its members, captions and
// short names checked against the manifest, which speaks them.
void LoadTours(const std::string& source_dir, Sources& s) {
    const fs::path folder = source_dir + "/assets/tours";
    if (!fs::exists(folder)) return;
    std::map<std::string, std::string> kinds;
    for (const Entry& e : s.entries) kinds[tamblor::UpperCase(e.name)] = e.kind;
    std::vector<fs::path> files;
    for (const auto& de : fs::directory_iterator(folder))
        if (de.path().extension() == ".tour") files.push_back(de.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        const std::string key = f.stem().string(), text = ReadText(f.string());
        std::vector<std::string> problems;
        const tamblor::Tour tour = tamblor::ParseTour(text, problems);
        for (const auto* list : {&tour.entries, &tour.leftOut})
            for (const tamblor::TourEntry& t : *list) {
                for (const std::string* voice : {&t.captionVoice, &t.shortVoice}) {
                    if (voice->empty()) continue;
                    auto said = kinds.find(tamblor::UpperCase(*voice));
                    if (said == kinds.end() || said->second != "say")
                        problems.push_back("line " + std::to_string(t.line) + ": " + *voice +
                                           " is no spoken message of the manifest");
                }
                auto kind = kinds.find(tamblor::UpperCase(t.member));
                if (kind == kinds.end()) problems.push_back("line " + std::to_string(t.line) + ": no member " + t.member);
                else if (!KindFits(t.play, kind->second))
                    problems.push_back("line " + std::to_string(t.line) + ": " + t.member + " is a " + kind->second +
                                       ", which the tour cannot play so");
            }
        if (!problems.empty()) {
            std::string all;
            for (const std::string& p : problems) all += "\n  " + p;
            throw std::runtime_error(f.string() + ":" + all);
        }
        s.tours.push_back({tamblor::TourMember(key), {text.begin(), text.end()}});
    }
}

Sources LoadSources(const std::string& source_dir) {
    Sources s;
    std::string manifest = source_dir + "/assets/manifest.tsv";
    s.entries = ParseManifest(ReadText(manifest), manifest);
    std::vector<fs::path> files;
    for (const auto& de : fs::directory_iterator(source_dir + "/assets/sounds"))
        if (de.path().extension() == ".recipes") files.push_back(de.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) s.recipes.Add(ParseRecipes(ReadText(f.string()), f.string()));
    LoadTours(source_dir, s);
    std::set<std::string> voices;
    for (const std::string& v : KnownVoices()) voices.insert(v);
    for (const Entry& e : s.entries) {
        auto where = "manifest line " + std::to_string(e.line) + " (" + e.name + "): ";
        if (e.kind == "fx" || e.kind == "loop") {
            Recipe r = s.recipes.Resolve(e.content);
            if ((e.kind == "loop") != (r.keys.count("loop") != 0))
                throw std::runtime_error(where + "kind " + e.kind + " but recipe " + e.content +
                                         (e.kind == "loop" ? " does not loop" : " loops"));
        }
        for (const auto& [k, v] : e.options) {
            static const std::set<std::string> kOpts{"voice", "rate", "gap", "layout"};
            if (!kOpts.count(k)) throw std::runtime_error(where + "unknown option " + k);
            if (k == "voice" && !voices.count(v)) throw std::runtime_error(where + "unknown voice " + v);
        }
    }
    return s;
}

std::string VoiceOf(const Entry& e) {
    auto it = e.options.find("voice");
    return it == e.options.end() ? "slt" : it->second;
}

double OptionNum(const Entry& e, const char* key, double fallback) {
    auto it = e.options.find(key);
    return it == e.options.end() ? fallback : std::stod(it->second);
}

// The spoken parts of an entry: one list of sentences per channel
// segment ("layout=lr" puts the part before " | " left, the rest right).
std::vector<std::vector<std::string>> SpokenParts(const Entry& e) {
    std::vector<std::string> segments;
    auto layout = e.options.find("layout");
    if (layout != e.options.end() && layout->second == "lr") {
        size_t bar = e.content.find(" | ");
        if (bar == std::string::npos || e.channels != 2) throw std::runtime_error(e.name + ": layout=lr needs stereo and ' | '");
        segments = {e.content.substr(0, bar), e.content.substr(bar + 3)};
    } else {
        segments = {e.content};
    }
    std::vector<std::vector<std::string>> out;
    for (const std::string& seg : segments)
        out.push_back(e.kind == "word" ? std::vector<std::string>{seg} : SplitSentences(seg));
    return out;
}

class Builder {
public:
    Builder(Sources sources, std::string cache_dir, int jobs)
        : src_(std::move(sources)), cache_(std::move(cache_dir)), jobs_(std::max(1, jobs)) {}

    std::string SpeechPath(const std::string& voice, const std::string& sentence) const {
        return cache_ + "/speech/" + Key(SpeechEngineId(voice) + "\n" + sentence) + ".wav";
    }

    std::string MemberKey(const Entry& e) const {
        std::ostringstream k;
        k << kFormatVersion << '\n' << ToolId() << '\n' << e.name << '\n' << e.channels << '\n' << e.kind << '\n'
          << e.content << '\n';
        for (const auto& [a, b] : e.options) k << a << '=' << b << '\n';
        if (e.Spoken()) k << SpeechEngineId(VoiceOf(e)) << '\n';
        if (e.kind == "fx" || e.kind == "loop") k << src_.recipes.Resolve(e.content).text;
        return Key(k.str());
    }

    // Renders the speech that `entries` need and the cache lacks.
    void RenderSpeech(const std::vector<const Entry*>& entries, bool fresh) {
        std::vector<SpeechJob> jobs;
        std::set<std::string> queued;
        std::string tmp = cache_ + "/speech/tmp";
        for (const Entry* e : entries) {
            if (!e->Spoken()) continue;
            for (const auto& part : SpokenParts(*e))
                for (const std::string& s : part) {
                    std::string path = SpeechPath(VoiceOf(*e), s);
                    used_.insert(fs::path(path).filename().string());
                    if ((!fresh && fs::exists(path)) || !queued.insert(path).second) continue;
                    jobs.push_back({s, VoiceOf(*e), tmp + "/" + fs::path(path).filename().string()});
                }
        }
        if (jobs.empty()) return;
        std::cerr << "gamedata: speaking " << jobs.size() << " sentences\n";
        Speak(jobs, jobs_, tmp);
        for (const SpeechJob& j : jobs) fs::rename(j.out_path, SpeechPath(j.voice, j.text));
    }

    std::vector<uint8_t> BuildSpoken(const Entry& e) const {
        double rate = OptionNum(e, "rate", 1.0);
        bool word = e.kind == "word";
        double gap = OptionNum(e, "gap", 0.3);
        auto parts = SpokenParts(e);
        std::vector<std::vector<float>> channels_audio;
        for (const auto& part : parts) {
            std::vector<float> joined;
            for (size_t i = 0; i < part.size(); ++i) {
                int in_rate = 0;
                std::vector<float> raw = ReadWavMono(SpeechPath(VoiceOf(e), part[i]), in_rate);
                // "rate" plays the speech faster and higher, as a tape would.
                std::vector<float> x = Resample(raw, in_rate * rate, kRate);
                x = word ? TrimSilence(x, kRate, 0.004, 0.015) : TrimSilence(x, kRate, 0.01, 0.04);
                if (i > 0) joined.insert(joined.end(), size_t(gap * kRate), 0.0f);
                joined.insert(joined.end(), x.begin(), x.end());
            }
            channels_audio.push_back(std::move(joined));
        }
        std::vector<float> out;
        if (parts.size() == 2) {
            // Left part first, then the right part after a pause.
            size_t pause = size_t(0.5 * kRate);
            size_t total = channels_audio[0].size() + pause + channels_audio[1].size();
            out.assign(total * 2, 0.0f);
            for (size_t i = 0; i < channels_audio[0].size(); ++i) out[2 * i] = channels_audio[0][i];
            size_t off = channels_audio[0].size() + pause;
            for (size_t i = 0; i < channels_audio[1].size(); ++i) out[2 * (off + i) + 1] = channels_audio[1][i];
        } else if (e.channels == 2) {
            for (float x : channels_audio[0]) out.insert(out.end(), {x, x});
        } else {
            out = std::move(channels_audio[0]);
        }
        NormalisePeak(out, -1.0);
        return PackMember(out, e.channels, false);
    }

    std::vector<uint8_t> BuildSynth(const Entry& e) const {
        Rendered r = Render(src_.recipes.Resolve(e.content), e.channels);
        return PackMember(r.samples, e.channels, r.loop);
    }

    // Every sound entry's bytes, from the cache where the key matches.
    std::map<std::string, std::vector<uint8_t>> BuildAll() {
        std::vector<const Entry*> todo;
        std::map<std::string, std::string> keys;
        for (const Entry& e : src_.entries) {
            if (e.kind == "map") continue;
            keys[e.name] = MemberKey(e);
            used_.insert(keys[e.name] + ".wav");
            if (!fs::exists(MemberPath(keys[e.name]))) todo.push_back(&e);
        }
        // Members are keyed by this tool's own bytes, so the next rebuilt tool
        // makes them all again: every sentence stays in the cache for it,
        // not only those spoken now, or each rebuild would speak them anew.
        for (const Entry& e : src_.entries) {
            if (!e.Spoken()) continue;
            for (const auto& part : SpokenParts(e))
                for (const std::string& s : part) used_.insert(fs::path(SpeechPath(VoiceOf(e), s)).filename().string());
        }
        RenderSpeech(todo, false);
        if (!todo.empty()) std::cerr << "gamedata: building " << todo.size() << " members\n";
        std::atomic<size_t> next{0};
        std::mutex mu;
        std::string error;
        auto work = [&] {
            for (size_t i; (i = next++) < todo.size();) {
                const Entry& e = *todo[i];
                try {
                    auto bytes = e.Spoken() ? BuildSpoken(e) : BuildSynth(e);
                    WriteBytes(MemberPath(keys[e.name]), bytes);
                } catch (const std::exception& ex) {
                    std::lock_guard<std::mutex> lock(mu);
                    error += e.name + ": " + ex.what() + "\n";
                }
            }
        };
        std::vector<std::thread> threads;
        for (int t = 0; t < jobs_; ++t) threads.emplace_back(work);
        for (auto& t : threads) t.join();
        if (!error.empty()) throw std::runtime_error(error);
        std::map<std::string, std::vector<uint8_t>> out;
        for (const Entry& e : src_.entries)
            if (e.kind != "map") out[e.name] = ReadBytes(MemberPath(keys[e.name]));
        return out;
    }

    // One entry rendered from scratch, bypassing the member cache.
    std::vector<uint8_t> BuildOne(const std::string& name, bool fresh) {
        for (const Entry& e : src_.entries) {
            if (e.name != name) continue;
            if (e.kind == "map") throw std::runtime_error(name + " is a map");
            if (e.Spoken()) {
                if (fresh) {
                    // Render into a private cache so the shared one is untouched.
                    Builder own(src_, cache_ + "/fresh-" + std::to_string(getpid()), 1);
                    own.RenderSpeech({&e}, true);
                    auto bytes = own.BuildSpoken(e);
                    fs::remove_all(own.cache_);
                    return bytes;
                }
                RenderSpeech({&e}, false);
                return BuildSpoken(e);
            }
            return BuildSynth(e);
        }
        throw std::runtime_error("no manifest entry " + name);
    }

    // Removes cached files no entry uses any more.
    void Prune() {
        for (const char* sub : {"/members", "/speech"}) {
            if (!fs::exists(cache_ + sub)) continue;
            for (const auto& de : fs::directory_iterator(cache_ + sub))
                if (de.is_regular_file() && !used_.count(de.path().filename().string())) fs::remove(de.path());
        }
    }

    const std::vector<Entry>& Entries() const { return src_.entries; }
    const std::vector<tamblor::ArchiveMember>& Tours() const { return src_.tours; }

private:
    std::string MemberPath(const std::string& key) const { return cache_ + "/members/" + key + ".wav"; }

    Sources src_;
    std::string cache_;
    int jobs_;
    std::set<std::string> used_;
};

// The words of every voice, archive members and loose files alike, one line
// each in manifest order: name, kind, text. A stereo voice split into a left
// and a right part is one text.
std::vector<uint8_t> VoiceTextTable(const std::vector<Entry>& entries) {
    std::string table;
    for (const Entry& e : entries) {
        if (!e.Spoken()) continue;
        std::string text;
        for (const auto& part : SpokenParts(e))
            for (const std::string& sentence : part) text += (text.empty() ? "" : " ") + sentence;
        table += e.name + "\t" + e.kind + "\t" + text + "\n";
    }
    return {table.begin(), table.end()};
}

// An unchanged loose file keeps its bytes but is marked as new, so the build
// tool sees the step's outputs as up to date.
void WriteIfChanged(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (fs::exists(path) && ReadBytes(path) == bytes) {
        fs::last_write_time(path, fs::file_time_type::clock::now());
        return;
    }
    WriteBytes(path, bytes);
}

int Build(const std::vector<std::string>& args) {
    if (args.size() < 3) throw std::invalid_argument("build needs SOURCE_DIR OUT_DIR CACHE_DIR");
    int jobs = 2;
    std::map<std::string, std::string> maps;
    for (size_t i = 3; i < args.size(); ++i) {
        if (args[i] == "--jobs" && i + 1 < args.size()) {
            jobs = std::stoi(args[++i]);
        } else if (args[i] == "--map" && i + 1 < args.size()) {
            std::string m = args[++i];
            size_t eq = m.find('=');
            if (eq == std::string::npos) throw std::invalid_argument("--map MEMBER=FILE");
            maps[m.substr(0, eq)] = m.substr(eq + 1);
        } else {
            throw std::invalid_argument("unknown argument " + args[i]);
        }
    }
    Builder builder(LoadSources(args[0]), args[2], jobs);
    auto sounds = builder.BuildAll();

    std::vector<tamblor::ArchiveMember> members;
    for (const Entry& e : builder.Entries()) {
        if (e.kind == "map") {
            auto it = maps.find(e.name);
            if (it == maps.end()) {
                std::cerr << "gamedata: no compiled map for " << e.name << " (map compiler or source missing)\n";
                continue;
            }
            members.push_back({e.name, ReadBytes(it->second)});
            maps.erase(it);
        } else if (e.Loose()) {
            WriteIfChanged(args[1] + "/" + e.name, sounds[e.name]);
        } else {
            members.push_back({e.name, sounds[e.name]});
        }
    }
    for (const auto& [name, file] : maps) {
        std::cerr << "gamedata: map " << name << " is not in the manifest; stored anyway\n";
        members.push_back({name, ReadBytes(file)});
    }
    for (const tamblor::ArchiveMember& tour : builder.Tours()) members.push_back(tour);
    members.push_back({tamblor::kVoiceTextMember, VoiceTextTable(builder.Entries())});
    tamblor::WriteArchiveFile(args[1] + "/tamblor.tmb", members);
    builder.Prune();
    return 0;
}

int Usage() {
    std::cerr << "usage: tamblor_gamedata build SOURCE_DIR OUT_DIR CACHE_DIR [--jobs N] [--map MEMBER=FILE]...\n"
                 "       tamblor_gamedata member SOURCE_DIR CACHE_DIR MEMBER OUT_FILE [--fresh]\n"
                 "       tamblor_gamedata check SOURCE_DIR\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "build") return Build({args.begin() + 1, args.end()});
        if ((args.size() == 5 || args.size() == 6) && args[0] == "member") {
            bool fresh = args.size() == 6;
            if (fresh && args[5] != "--fresh") return Usage();
            Builder builder(LoadSources(args[1]), args[2], 1);
            WriteBytes(args[4], builder.BuildOne(args[3], fresh));
            return 0;
        }
        if (args.size() == 2 && args[0] == "check") {
            Sources s = LoadSources(args[1]);
            std::cout << s.entries.size() << " entries\n";
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "tamblor_gamedata: " << e.what() << '\n';
        return 1;
    }
    return Usage();
}
