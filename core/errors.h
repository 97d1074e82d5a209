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

// Leaves whatever table or prompt is running and enters a fresh main menu.
// Caught only by the main menu's loop, so the stack never grows with games.
struct ReturnToMainMenu {};

}  // namespace tamblor
