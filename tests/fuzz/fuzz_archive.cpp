// Feeds arbitrary bytes to the archive reader as "tamblor.tmb": opening,
// looking up, reading and extracting must never crash or write outside the
// data folder.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "audio/archive.h"
#include "core/startup.h"
#include "platform/scripted_platform.h"

using namespace tamblor;

namespace {
// Reports are dropped, not kept: millions of them would fill memory.
class DiscardingWindow : public Window {
public:
    void SetCaption(const std::string&) override {}
    void Show() override {}
    void MessageBox(const std::string&) override {}
    void SetClipboard(const std::string&) override {}
    bool ClaimSingleInstance() override { return true; }
    void ActivateRunningInstance() override {}
};

struct Setup {
    ScriptedPlatform platform;
    DiscardingWindow window;
    std::string folder;
    Setup() {
        folder = (std::filesystem::temp_directory_path() / ("tamblor-fuzz-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(folder + "/data");
        platform.SetFolders(folder, folder);
        Platform services = platform.Services();
        services.window = &window;
        InstallPlatform(services);
        DataFolder = folder + "/data";
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    std::string path = setup.folder + "/tamblor.tmb";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
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
