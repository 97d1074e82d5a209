// Feeds arbitrary bytes to the settings parser. Whatever it accepts must
// survive being written and read back unchanged, since that is what every
// save and the next start do with it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ini_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    tamblor::IniData parsed;
    if (!tamblor::ParseIni(text, parsed)) return 0;
    tamblor::IniData reread;
    if (!tamblor::ParseIni(tamblor::FormatIni(parsed), reread) || reread != parsed) std::abort();
    return 0;
}
