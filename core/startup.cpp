#include "core/startup.h"

#include "platform/platform.h"

namespace tamblor {

std::string AppPath;
std::string DataFolder;
float SpeedFactor = 3.0f;

void EndProgram(int status) { throw ProcessExit{status}; }

}  // namespace tamblor
