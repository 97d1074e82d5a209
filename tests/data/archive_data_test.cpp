// The built archive and loose files, read byte by byte against the layout
// and the member format the game plays: every manifest entry is there, in
// the channel count the game plays it with, with its silent tail.
#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <map>
#include <set>

#include "audio/archive.h"
#include "audio/captions.h"
#include "audio/voice_text.h"
#include "core/keyboard.h"
#include "core/screen.h"
#include "data/data_support.h"

using namespace datatest;

namespace {

int Peak(const std::vector<int16_t>& samples) {
    int peak = 0;
    for (int16_t s : samples) peak = std::max(peak, std::abs(int(s)));
    return peak;
}

struct Pcm {
    int channels = 0;
    std::vector<int16_t> played;  // bytes 44 .. Size-157, what the game plays
};

// Checks the 44-byte header and the tail; returns the played samples.
Pcm CheckWav(const std::string& what, const std::vector<uint8_t>& b, int channels, bool loop) {
    Pcm pcm;
    SCOPED_TRACE(what);
    EXPECT_GE(b.size(), 244u) << "shorter than the smallest member the game can play";
    if (b.size() < 244) return pcm;
    // A plain 16-bit PCM format chunk at 22,050 Hz in the channel count the
    // game plays it with, and the data running to the end, right after it.
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4) + std::string(b.begin() + 8, b.begin() + 16) +
                  std::string(b.begin() + 36, b.begin() + 40),
              "RIFFWAVEfmt data");
    const int size = int(b.size());
    EXPECT_EQ((std::vector<int>{Le32(b, 4), Le32(b, 16), Le16(b, 20), Le16(b, 22), Le32(b, 24), Le32(b, 28),
                                Le16(b, 32), Le16(b, 34), Le32(b, 40)}),
              (std::vector<int>{size - 8, 16, 1, channels, 22050, 22050 * 2 * channels, 2 * channels, 16, size - 44}));
    // The game never plays the last 156 bytes; a loop's played part must be
    // exactly its period, a one-shot gets 160 bytes of silence.
    size_t tail = loop ? 156 : 160;
    size_t nonzero_tail = 0;
    for (size_t i = b.size() - tail; i < b.size(); ++i) nonzero_tail += b[i] != 0;
    EXPECT_EQ(nonzero_tail, 0u) << "the last " << tail << " bytes must be silence";
    size_t played = b.size() - 200;
    EXPECT_EQ(played % size_t(2 * channels), 0u) << "whole frames";
    pcm.channels = channels;
    for (size_t i = 44; i + 1 < 44 + played; i += 2) pcm.played.push_back(int16_t(Le16(b, i)));
    EXPECT_GT(Peak(pcm.played), 3000) << "nothing audible in the played part";
    return pcm;
}

// A loop must not click where its end meets its start: the jump there is
// no larger than the steps a nearly-loudest stretch of it takes anyway.
void CheckSeam(const std::string& name, const Pcm& pcm) {
    for (int c = 0; c < pcm.channels; ++c) {
        std::vector<int> steps;
        std::vector<int16_t> ch;
        for (size_t i = size_t(c); i < pcm.played.size(); i += size_t(pcm.channels)) ch.push_back(pcm.played[i]);
        for (size_t i = 1; i < ch.size(); ++i) steps.push_back(std::abs(ch[i] - ch[i - 1]));
        std::sort(steps.begin(), steps.end());
        int typical_big = steps[steps.size() * 999 / 1000];
        EXPECT_LE(std::abs(ch.front() - ch.back()), typical_big + 64) << name << " clicks at its loop point, channel " << c;
    }
}

// A joined word starts and ends promptly, so spoken numbers run together.
void CheckTight(const std::string& name, const Pcm& pcm) {
    int threshold = Peak(pcm.played) / 100;  // 40 dB down: soft consonants count as sound
    size_t frames = pcm.played.size() / size_t(pcm.channels);
    size_t first = 0, last = 0;
    for (size_t i = 0; i < pcm.played.size(); ++i)
        if (std::abs(int(pcm.played[i])) > threshold) {
            if (!first) first = i / size_t(pcm.channels) + 1;
            last = i / size_t(pcm.channels);
        }
    EXPECT_LT(double(first) / 22050, 0.03) << name << " starts with silence";
    EXPECT_LT(double(frames - last) / 22050, 0.06) << name << " ends with silence";
}

// The manifest and the built archive, read once for every test.
const std::vector<ManifestEntry>& Manifest() {
    static const std::vector<ManifestEntry> manifest = LoadManifest();
    return manifest;
}
const std::vector<uint8_t>& Archive() {
    static const std::vector<uint8_t> archive = ReadBytes(kBuild + "/tamblor.tmb");
    return archive;
}

// The directory as the layout defines it, and every manifest entry built
// in the format the game plays.
TEST(BuiltData, TheArchivesLayoutHoldsEveryManifestEntryInItsFormat) {
    std::string problem;
    auto dir = ReadDirectory(Archive(), problem);
    ASSERT_TRUE(problem.empty()) << problem;
    ASSERT_FALSE(dir.empty());
    EXPECT_LE(dir.size(), 4097u) << "more members than the game's directory holds";
    std::set<std::string> seen;
    std::map<std::string, ArchiveEntry> by_name;
    std::vector<std::pair<int32_t, int32_t>> spans;
    int32_t dir_offset = Le32(Archive(), 4);
    for (const auto& e : dir) {
        by_name.emplace(e.name, e);
        EXPECT_TRUE(seen.insert(Upper(e.name)).second) << e.name << " twice (lookups ignore case)";
        EXPECT_EQ(e.name.find('\\'), std::string::npos) << e.name;
        EXPECT_EQ(e.name, e.name.substr(e.name.find_first_not_of(' '))) << "padded name " << e.name;
        EXPECT_GE(e.offset, 12) << e.name;
        EXPECT_LE(int64_t(e.offset) + e.size, dir_offset) << e.name << " runs into the directory";
        spans.push_back({e.offset, e.offset + e.size});
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i) EXPECT_LE(spans[i - 1].second, spans[i].first) << "members overlap";

    std::set<std::string> compiled_maps;
    {
        std::istringstream maps(ReadFile(kBuild + "/gamedata/maps.txt"));
        for (std::string m; std::getline(maps, m);)
            if (!m.empty()) compiled_maps.insert(m);
    }
    std::set<std::string> in_manifest;
    ASSERT_GT(Manifest().size(), 400u);
    for (const ManifestEntry& m : Manifest()) {
        in_manifest.insert(m.name);
        if (m.kind == "map") {
            if (!compiled_maps.count(m.name)) continue;  // no source or no compiler in this build
            auto it = by_name.find(m.name);
            ASSERT_NE(it, by_name.end()) << "compiled map missing from the archive: " << m.name;
            EXPECT_GT(it->second.size, 2500) << m.name << " is too short for a 2,500-cell map";
            continue;
        }
        std::vector<uint8_t> bytes;
        if (m.Loose()) {
            EXPECT_EQ(by_name.count(m.name), 0u) << m.name << " is a loose file, not a member";
            bytes = ReadBytes(kBuild + "/" + m.name);
            ASSERT_FALSE(bytes.empty()) << "loose file missing: " << m.name;
        } else {
            ASSERT_TRUE(by_name.count(m.name)) << "member missing: " << m.name;
            bytes = MemberBytes(Archive(), m.name);
        }
        Pcm pcm = CheckWav(m.name, bytes, m.Channels(), m.kind == "loop");
        if (m.kind == "loop") CheckSeam(m.name, pcm);
        if (m.kind == "word") CheckTight(m.name, pcm);
    }
    const std::vector<std::string> tours = TourMembers();
    in_manifest.insert(tours.begin(), tours.end());
    for (const auto& e : dir)
        EXPECT_TRUE(in_manifest.count(e.name) || e.name == "texts/voices.tsv") << "member not in the manifest: " << e.name;
}

// The words of every voice travel with it: loose voices too, each once.
TEST(BuiltData, EveryVoiceHasItsWordsAndCaptionInTheData) {
    const std::vector<uint8_t> bytes = MemberBytes(Archive(), "texts/voices.tsv");
    const std::string table(bytes.begin(), bytes.end());
    ASSERT_FALSE(table.empty()) << "no voice texts in the archive";
    std::map<std::string, std::string> text;
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        size_t a = line.find('\t'), b = line.find('\t', a + 1);
        ASSERT_NE(b, std::string::npos) << line;
        EXPECT_TRUE(text.emplace(line.substr(0, a), line.substr(b + 1)).second) << "twice: " << line;
    }
    // The caption of each voice, as the game finds and shows it, is those words.
    ASSERT_GE(tamblor::OpenArchive(kBuild + "/tamblor.tmb"), 0);
    ASSERT_TRUE(tamblor::LoadVoiceTexts());
    for (const ManifestEntry& m : Manifest()) {
        if (m.kind != "say" && m.kind != "word") continue;
        EXPECT_FALSE(text[m.name].empty()) << "no words for " << m.name;
        EXPECT_EQ(text[m.name].find(" | "), std::string::npos) << m.name;
        ++tamblor::KeyboardPolls;  // each its own message
        tamblor::CaptionVoice(m.name);
        EXPECT_EQ(tamblor::ScreenFrame().caption, text[m.name]) << m.name;
    }
    tamblor::CloseArchive();
}

TEST(BuiltData, VersionDigitsCoverTheProgramsVersion) {
    // The main menu speaks major, point, minor, point, revision from these.
    std::string cmake = ReadFile(kSource + "/CMakeLists.txt");
    size_t at = cmake.find("VERSION", cmake.find("project("));
    ASSERT_NE(at, std::string::npos);
    std::istringstream version(cmake.substr(at + 7));
    std::string v;
    version >> v;
    std::set<std::string> loose;
    for (const ManifestEntry& m : Manifest())
        if (m.Loose()) loose.insert(m.name);
    std::istringstream parts(v + ".point");  // the numbers and the word between them
    for (std::string n; std::getline(parts, n, '.');)
        EXPECT_TRUE(loose.count("system/initials/" + n + ".wav")) << "version " << v;
}

double RmsDb(const std::vector<int16_t>& samples) {
    double sum = 0;
    for (int16_t s : samples) sum += double(s) * s;
    return 10 * std::log10(std::max(sum / double(std::max<size_t>(samples.size(), 1)), 1.0) / (32768.0 * 32768.0));
}

// The rolling ball is what the player follows: at the same volume it must be
// at least as loud as each loop that plays beside it through a game.
TEST(BuiltData, TheRollingBallIsNoQuieterThanTheLoopsBesideIt) {
    // A missing member is too short for CheckWav.
    auto level = [](const std::string& name) {
        return RmsDb(CheckWav(name, MemberBytes(Archive(), name), 1, true).played);
    };
    const double ball = level("sounds/ball.wav");
    for (const char* loop : {"pacman/Siren.wav", "pacman/GhostRun.wav", "soccer/crowd.wav", "soccer/Chant.wav",
                             "soccer/MFMusic.wav"}) {
        const double other = level(loop);
        std::cout << "[ level ] ball " << ball << " dBFS, " << loop << " " << other << " dBFS\n";
        EXPECT_GE(ball, other) << loop << " would cover the ball";
    }
}

}  // namespace
