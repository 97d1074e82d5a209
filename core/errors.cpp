#include "core/errors.h"

namespace tamblor {

const char* const kSupportAddress = "support@tamblor.invalid";

std::string StandardErrorText(const std::string& procedure, int32_t number,
                              const std::string& description) {
    return "An error has occurred in this application.  Procedure: " + procedure +
           ".  Error Number: " + std::to_string(number) + " - " + description + ".  Please e-mail " +
           kSupportAddress + " with this information.";
}

void ReportError(const std::string& procedure, int32_t number, const std::string& description) {
    MainWindow().MessageBox(StandardErrorText(procedure, number, description));
}

void ReportError(const std::string& procedure, const RuntimeError& error) {
    ReportError(procedure, error.Number(), error.what());
}

}  // namespace tamblor
