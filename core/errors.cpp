#include "core/errors.h"

#include <cstdio>
#include <ctime>

#include "audio/sound.h"
#include "core/startup.h"
#include "platform/safe_files.h"

#ifndef TAMBLOR_SUPPORT_ADDRESS
#error "TAMBLOR_SUPPORT_ADDRESS comes from the build (the CMake cache variable of that name)"
#endif

namespace tamblor {

const char* const kSupportAddress = TAMBLOR_SUPPORT_ADDRESS;

namespace {
// Old reports are dropped once the file passes this size.
constexpr size_t kReportFileLimit = 64 * 1024;

// Adds the report to the file; returns the file's path, or "" when it could
// not be written (the report is still shown and heard).
std::string FileReport(const std::string& text) {
    if (DataFolder.empty()) return "";
    char stamp[64] = "";
    std::time_t now = std::time(nullptr);
    if (const std::tm* local = std::localtime(&now)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
    std::string entry = std::string("--- ") + stamp + ", " + WindowCaption() + "\n" + text + "\n\n";
    std::string error;
    if (!AppendToFile(DataFolder, kErrorReportFile, entry, kReportFileLimit, error)) {
        std::fprintf(stderr, "Tamblor: the error report could not be kept: %s\n", error.c_str());
        return "";
    }
    return DataFolder + "/" + kErrorReportFile;
}

bool IsLoose(const std::string& voice) { return voice.rfind("system/", 0) == 0; }

void HearErrorSound(bool loose) {
    if (loose) PlayLooseQuietly("system/errors/error.wav", true);
    else PlayQuietly("sounds/error.wav", true);
}
}  // namespace

std::string StandardErrorText(const std::string& procedure, int32_t number,
                              const std::string& description) {
    return "An error has occurred in this application.  Procedure: " + procedure +
           ".  Error Number: " + std::to_string(number) + " - " + description + ".  Please e-mail " +
           kSupportAddress + " with this information.";
}

void ReportError(const std::string& procedure, int32_t number, const std::string& description) {
    ShowErrorReport(StandardErrorText(procedure, number, description));
}

void ReportError(const std::string& procedure, const RuntimeError& error) {
    ReportError(procedure, error.Number(), error.what());
}

void ShowErrorReport(const std::string& text, const std::string& voice) {
    // A report can stop the start before the window is up; the box belongs
    // over it, and the keys that close the box come to it.
    ShowGameWindow();
    std::string file = FileReport(text);
    bool loose = IsLoose(voice);
    bool speaking = false;
    if (!voice.empty()) {
        HearErrorSound(loose);
        // The voice tells a player who cannot read the box that it is there
        // and how to close it; it speaks while the box waits.
        speaking = loose ? PlayLooseQuietly(voice, false) : PlayQuietly(voice, false);
    }
    MainWindow().MessageBox(file.empty() ? text : text + "  This report is also saved in " + file + ".");
    if (speaking) StopVoiceQuietly();
}

void HearNotice(const std::string& text, const std::string& voice) {
    std::fprintf(stderr, "Tamblor: %s\n", text.c_str());
    HearErrorSound(false);
    PlayQuietly(voice, true);
}

}  // namespace tamblor
