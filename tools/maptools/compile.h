// The whole map compiler run, as mapc does it.
#pragma once

#include <ostream>
#include <string>

namespace tamblor::maptools {

// Reads and checks `sourcePath`, then writes the game map to `mapPath` and,
// when `pngPath` is not empty, its picture. Messages ("file:line: ...") go
// to `messages`. On any error nothing is written and outputs of an earlier
// run are removed, so a build never picks up a stale map. Returns 0 on
// success, 1 on error.
int CompileMapFile(const std::string& sourcePath, const std::string& mapPath, const std::string& pngPath,
                   std::ostream& messages);

}  // namespace tamblor::maptools
