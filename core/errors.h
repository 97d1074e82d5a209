// The standard error report and the exceptions that carry control flow.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace tamblor {

extern const char* const kSupportAddress;

// "An error has occurred in this application.  Procedure: ..." in an OK
// message box; the caller then carries on.
std::string StandardErrorText(const std::string& procedure, int32_t number,
                              const std::string& description);
void ReportError(const std::string& procedure, int32_t number, const std::string& description);
void ReportError(const std::string& procedure, const RuntimeError& error);

// The file in DataFolder that keeps every error report, for a sighted
// helper to send.
constexpr const char* kErrorReportFile = "error-report.txt";

// One error report, seen and heard: the text is added to the report file
// (and the box says where that is), "sounds/error.wav" is played, then
// `voice` starts and the OK box is shown while it speaks. A voice under
// "system/" is a loose file, and the error sound is then the loose one too,
// for when the archive itself is what failed. No voice: nothing is played
// (there is no sound device).
void ShowErrorReport(const std::string& text, const std::string& voice = "sounds/errors/report.wav");

// A notice that needs no box: on stderr, then the error sound and `voice`,
// waiting for its end.
void HearNotice(const std::string& text, const std::string& voice);

// Leaves whatever table or prompt is running and enters a fresh main menu.
// Caught only by the main menu's loop, so the stack never grows with games.
struct ReturnToMainMenu {};

}  // namespace tamblor
