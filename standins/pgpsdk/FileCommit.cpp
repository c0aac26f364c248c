// The temporary-file-then-replace write of the stand-in's key files and outputs.
#include "standins/pgpsdk/FileCommit.h"
#include "standins/pgpsdk/TestHooks.h"

#include <cstdio>
#include <fstream>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace standin {

bool WriteFileAtomically(const std::string& path, std::string_view data)
{
    if (FaultRequested("write"))
        return false;
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            return false;
        }
    }
#if defined(_WIN32)
    bool moved = MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    bool moved = std::rename(temporary.c_str(), path.c_str()) == 0;
#endif
    if (!moved)
        std::remove(temporary.c_str());
    return moved;
}

} // namespace standin
