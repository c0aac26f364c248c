// Placeholders for the picture formats whose codec libraries Debian has no cross build of (TIFF,
// fax G3, OpenEXR, JPEG 2000, camera RAW, WebP, JPEG XR). Formats are numbered in the order they
// are registered, so each keeps its slot and its name, but reads and writes nothing.
#include "FreeImage.h"
#include "Plugin.h"

static const char* DLL_CALLCONV NoText()
{
    return "";
}

#define PLACEHOLDER(Name, Text)                                                                                      \
    static const char* DLL_CALLCONV Name##Format()                                                                     \
    {                                                                                                                  \
        return Text;                                                                                                   \
    }                                                                                                                  \
    void DLL_CALLCONV Init##Name(Plugin* plugin, int)                                                                  \
    {                                                                                                                  \
        plugin->format_proc = Name##Format;                                                                            \
        plugin->description_proc = NoText;                                                                             \
        plugin->extension_proc = NoText;                                                                               \
    }

PLACEHOLDER(TIFF, "TIFF")
PLACEHOLDER(G3, "G3")
PLACEHOLDER(EXR, "EXR")
PLACEHOLDER(J2K, "J2K")
PLACEHOLDER(JP2, "JP2")
PLACEHOLDER(RAW, "RAW")
PLACEHOLDER(WEBP, "WEBP")
PLACEHOLDER(JXR, "JXR")
