#include "core/data_paths.h"

#include <filesystem>

#include "core/errors.h"

namespace tamblor {

const char* const kArchiveName = "tamblor.tmb";

namespace {
// Set by the build from the install layout ("../share/tamblor" for the usual one).
#ifndef TAMBLOR_INSTALLED_DATA
#define TAMBLOR_INSTALLED_DATA "../share/tamblor"
#endif
}  // namespace

std::string InstalledDataFolder(const std::string& programFolder) {
    std::filesystem::path installed(TAMBLOR_INSTALLED_DATA);
    if (installed.is_relative()) installed = std::filesystem::path(programFolder) / installed;
    std::string folder = installed.lexically_normal().string();
    // "a/b/" and "a/b" are one place; a message names it once, without the slash.
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

std::vector<std::string> DataFolderCandidates(const std::string& programFolder) {
    std::vector<std::string> folders = {programFolder};
    std::string installed = InstalledDataFolder(programFolder);
    if (installed != programFolder) folders.push_back(installed);
    return folders;
}

std::string FindGameData(const std::string& programFolder) {
    for (const std::string& folder : DataFolderCandidates(programFolder)) {
        std::error_code error;
        if (std::filesystem::is_regular_file(std::filesystem::path(folder) / kArchiveName, error)) return folder;
    }
    return "";
}

std::string MissingGameDataMessage(const std::string& programFolder) {
    std::vector<std::string> folders = DataFolderCandidates(programFolder);
    std::string places = folders.size() == 1 ? "it is not in " + folders[0]
                                             : "it is neither in " + folders[0] + " nor in " + folders[1];
    return std::string("Tamblor cannot start: the sound archive ") + kArchiveName +
           " cannot be used, because the file is missing: " + places +
           ". Without it the game cannot speak. Please reinstall the game; if that does not help, e-mail " +
           kSupportAddress + " with this message.";
}

}  // namespace tamblor
