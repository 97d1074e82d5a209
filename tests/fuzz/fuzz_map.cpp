// Feeds arbitrary bytes to the table map loader as an extracted map file.
// It must either fill TableMap or report the file and leave for the main
// menu, never crash or read outside what it was given.
#include "core/errors.h"
#include "fuzz_platform.h"
#include "table/table_map.h"

using namespace tamblor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzPlatform setup("tamblor-fuzz-map-", "");
    setup.Write("FUZZ.MAP", data, size);
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
