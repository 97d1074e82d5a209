// Test support: a scripted platform installed over fresh folders, an archive
// built from chosen members, and the game's process-wide state reset.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audio/archive_writer.h"
#include "platform/scripted_platform.h"

namespace tamblor::test {

// A member the sound loaders accept: a 44-byte header, `ms` of a quiet
// tone at 22,050 Hz, and the 156-byte tail the loaders leave out.
std::vector<uint8_t> SoundMember(uint32_t ms, uint16_t channels = 1);

// The members every start-up needs: the fourteen shared sounds, the two
// jingles, the exit and error sounds, the error voices, the main menu's
// voices and the number words.
std::vector<ArchiveMember> StandardMembers();

// StandardMembers plus every voice of the menus and the shared in-play
// prompts. Voices last 600 ms unless named otherwise.
std::vector<ArchiveMember> MenuMembers();

class GameTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the archive into the program folder and opens it.
    void UseArchive(const std::vector<ArchiveMember>& members, bool open = true);
    // Writes a loose WAV file under the program folder.
    void WriteLooseFile(const std::string& relativePath, uint32_t ms, uint16_t channels = 1);
    // The loose high-score menu voices and version digits.
    void WriteMenuLooseFiles();
    // Runs `body` until it ends the process; returns the exit status, or -1
    // when it returned normally.
    int RunUntilExit(const std::function<void()>& body);

    // Labels of started sounds, as a compact comma-separated string.
    std::string PlayedList() const;
    // Ops of the sound log on `label` (from log entry `from` on), as "op:value" strings.
    std::vector<std::string> Ops(const std::string& label, size_t from = 0) const;
    // Labels started (play or loop), in order, from log entry `from` on.
    std::vector<std::string> StartedSince(size_t from) const;
    // When `label` was first started (play or loop), or had `op`; UINT64_MAX if never.
    uint64_t FirstMs(const std::string& label, const std::string& op = "start") const;
    size_t Mark() const { return platform.SoundLog().size(); }

    ScriptedPlatform platform;
    std::string root;       // a fresh temporary folder
    std::string appFolder;  // root/app
    std::string dataRoot;   // root/data
};

// The whole program over the menus' voices, driven by taps on what it says.
class MenuGameTest : public GameTest {
protected:
    void SetUp() override;
    // Taps `key` shortly after the next start of `label`.
    void On(const std::string& label, uint8_t key, uint64_t holdMs = 50) {
        platform.TapWhenSoundStarts(label, key, 10, holdMs);
    }
    // Taps `key` once `label` (a voice no key can cut) has ended.
    void After(const std::string& label, uint8_t key) { platform.TapWhenSoundStarts(label, key, 700, 50); }
    // From the main menu's first words into the options menu, then down to
    // its entry `entry` (0 is the options menu's instructions).
    void IntoOptions(int entry = 0);
    // Runs the whole program until it ends; the script must end it.
    void Run();
    // The started sounds after the start-up jingles, short names only.
    std::string Heard() const;
};

}  // namespace tamblor::test
