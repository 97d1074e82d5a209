// Feeds arbitrary bytes to the settings reader. Whatever lines it keeps
// must survive being written and read back unchanged (that is what every
// save and the next start do with them), and the game's own reading of the
// kept values (best scores, options, the score board) must cope with them.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/settings.h"
#include "fuzz_platform.h"
#include "platform/ini_store.h"

using namespace tamblor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzPlatform setup("tamblor-fuzz-settings-", "");
    std::string_view text(reinterpret_cast<const char*>(data), size);
    IniData kept;
    size_t bad = ParseIniKeeping(text, kept);
    IniData strict;
    if (ParseIni(text, strict) != (bad == 0)) std::abort();
    IniData reread;
    if (!ParseIni(FormatIni(kept), reread) || reread != kept) std::abort();

    auto& stored = setup.platform.StoredSettings();
    stored.clear();
    for (const auto& [section, keys] : kept)
        for (const auto& [key, value] : keys) stored[{kSettingsApp, section, key}] = value;
    LoadSettings();
    if (GameMode > 255 || GameSpeed > 255) std::abort();
    for (double score : BestScore)
        if (!(score >= 0)) std::abort();
    return 0;
}
