// Feeds arbitrary bytes to the table map loader as an extracted map file.
// It must either fill TableMap or report the file and leave for the main
// menu, never crash or read outside what it was given.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "core/errors.h"
#include "core/startup.h"
#include "platform/scripted_platform.h"
#include "table/table_map.h"

using namespace tamblor;

namespace {
// Reports are counted, not kept: millions of them would fill memory.
class DiscardingWindow : public Window {
public:
    void SetCaption(const std::string&) override {}
    void Show() override {}
    void MessageBox(const std::string&) override { ++boxes; }
    void SetClipboard(const std::string&) override {}
    bool ClaimSingleInstance() override { return true; }
    void ActivateRunningInstance() override {}
    long boxes = 0;
};

struct Setup {
    ScriptedPlatform platform;
    DiscardingWindow window;
    std::string folder;
    Setup() {
        folder = (std::filesystem::temp_directory_path() / ("tamblor-fuzz-map-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(folder);
        Platform services = platform.Services();
        services.window = &window;
        InstallPlatform(services);
        DataFolder = folder;
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    std::string path = setup.folder + "/FUZZ.MAP";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (size) std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    long before = setup.window.boxes;
    try {
        LoadTableMap("fuzz.map");
    } catch (const ReturnToMainMenu&) {
        // A bad map is reported and leaves an empty map behind.
        if (setup.window.boxes != before + 1 || TableMap.DotCount != 0) __builtin_trap();
        return 0;
    }
    if (setup.window.boxes != before) __builtin_trap();
    if (TableMap.DotCount < 0 || TableMap.DotCount > kMapFieldSize * kMapFieldSize) __builtin_trap();
    return 0;
}
