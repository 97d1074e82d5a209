// Feeds arbitrary bytes to the archive reader as "tamblor.tmb": opening,
// looking up, reading and extracting must never crash or write outside the
// data folder.
#include <filesystem>
#include <string>

#include "audio/archive.h"
#include "core/startup.h"
#include "fuzz_platform.h"

using namespace tamblor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzPlatform setup("tamblor-fuzz-", "/data");
    setup.Write("tamblor.tmb", data, size);
    OpenArchive("tamblor.tmb");
    // The start-up check reads the same directory; it must judge any bytes.
    std::string damage = ArchiveDamage();
    if (damage.empty() && ArchiveEntryCount() != int(ArchiveDirectory().size())) __builtin_trap();
    size_t readBudget = 0;
    for (size_t i = 0; i < ArchiveDirectory().size() && i < 64; ++i) {
        const ArchiveEntry& e = ArchiveDirectory()[i];
        if (FindMember(e.name) < 0 && e.usable && e.key == UpperCase(e.name)) __builtin_trap();
        if (e.usable && readBudget + size_t(e.size) < (64u << 20)) {
            readBudget += size_t(e.size);
            if (ReadMember(int(i)).size() != size_t(e.size)) __builtin_trap();
            ExtractMember(e.name);
        }
    }
    FindMember("sounds/ball.wav");
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(DataFolder, ignored))
        std::filesystem::remove(item.path(), ignored);
    CloseArchive();
    return 0;
}
