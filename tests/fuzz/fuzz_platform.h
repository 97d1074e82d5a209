// Shared by the fuzz targets that run on the game's services: a scripted
// platform over a folder of the target's own (the game's data folder is
// `dataFolder` in it), whose message boxes are counted, not kept (millions
// of them would fill memory).
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/startup.h"
#include "platform/scripted_platform.h"

namespace tamblor {

class CountingWindow : public Window {
public:
    void SetCaption(const std::string&) override {}
    void Show() override {}
    void MessageBox(const std::string&) override { ++boxes; }
    void SetClipboard(const std::string&) override {}
    bool ClaimSingleInstance() override { return true; }
    void ActivateRunningInstance() override {}
    long boxes = 0;
};

struct FuzzPlatform {
    FuzzPlatform(const std::string& name, const std::string& dataFolder)
        : folder((std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()))).string()) {
        DataFolder = folder + dataFolder;
        std::filesystem::create_directories(DataFolder);
        platform.SetFolders(folder, folder);
        Platform services = platform.Services();
        services.window = &window;
        InstallPlatform(services);
    }
    // The fuzzer's bytes as the file `name` in the folder.
    void Write(const std::string& name, const uint8_t* data, size_t size) const {
        std::ofstream(folder + "/" + name, std::ios::binary)
            .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }

    ScriptedPlatform platform;
    CountingWindow window;
    const std::string folder;
};

}  // namespace tamblor
