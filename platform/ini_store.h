// The settings store: one INI file per application under the user's config
// folder. Saves replace the file atomically; a file that cannot be read is
// moved aside (never overwritten) and the game starts from defaults.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace tamblor {

// section -> key -> value; only sections that hold keys appear. Keys before
// any section header live in section "".
using IniData = std::map<std::string, std::map<std::string, std::string>>;

// Pure parser, for tests and fuzzing. False for anything that is not text
// made of section headers, key=value lines, comments (';' or '#') and blank
// lines; `out` then holds what could be read.
bool ParseIni(std::string_view text, IniData& out);

// The same, keeping every line that can be read: returns how many lines
// could not be (a line after a broken section header counts too, since its
// section is unknown). Their 1-based numbers go to `badLines` when given.
size_t ParseIniKeeping(std::string_view text, IniData& out, std::vector<size_t>* badLines = nullptr);

// The text ParseIni reads back as exactly `data`. Keys and values that would
// otherwise be misread (surrounding blanks, '=', a leading quote...) are
// written as quoted strings.
std::string FormatIni(const IniData& data);

class IniSettingsStore : public SettingsStore {
public:
    // Files live in `folder` (created on the first save).
    explicit IniSettingsStore(std::string folder);

    // $XDG_CONFIG_HOME/tamblor, or ~/.config/tamblor.
    static std::string DefaultFolder();

    std::string Get(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& fallback) override;
    void Set(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;
    // Writes every application changed since the last flush. A failure is
    // reported on stderr and returned; the values stay in memory for the
    // next attempt.
    bool Flush() override;
    std::string TakeReadProblem() override;

    std::string FileFor(const std::string& app) const;

private:
    struct App {
        IniData data;
        bool dirty = false;
        bool writable = true;  // false when an unreadable file could not be moved aside
    };
    App& Load(const std::string& app);
    bool Write(const std::string& path, const std::string& text);
    void RemoveStaleTemporaries(const std::string& app);
    void Problem(const std::string& text);

    std::string folder_;
    std::map<std::string, App> apps_;
    std::string problem_;
};

}  // namespace tamblor
