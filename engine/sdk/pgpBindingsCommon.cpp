// The procedure table and the generation-aware fill from the entry lists; the Windows binding and
// the tests' fake tables both fill it through here.
#include "engine/sdk/pgpBindings.h"
#include "engine/sdk/pgpBase.h"

PGPsdkProcs SDKProcs;
int32_t KeyIDTextType = kPGPKeyIDString_Full;
uint32_t PGPPrefsReloadMessage = 0;
uint32_t PGPKeyringsReloadMessage = 0;
uint32_t PGPKeyserverPrefsReloadMessage = 0;

namespace {

template <class Proc> void Fill(Proc& variable, int library, const char* exportName, int firstGen, int lastGen,
                                uint8_t generation, void* (*lookup)(int, const char*))
{
    variable = generation >= firstGen && generation <= lastGen
        ? reinterpret_cast<Proc>(lookup(library, exportName))
        : nullptr;
}

} // namespace

void FillSDKProcs(uint8_t generation, void* (*lookup)(int library, const char* exportName))
{
    int library = kCoreLibrary;
#define FILL(name, firstGen, lastGen, result, params) \
    Fill(SDKProcs.name, library, #name, firstGen, lastGen, generation, lookup);
#define FILL_AS(var, exportName, firstGen, lastGen, result, params) \
    Fill(SDKProcs.var, library, exportName, firstGen, lastGen, generation, lookup);
    PGP_CORE_ENTRIES(FILL, FILL_AS)
    library = kNetworkLibrary;
    PGP_NETWORK_ENTRIES(FILL, FILL_AS)
    library = kUILibrary;
    PGP_UI_ENTRIES(FILL, FILL_AS)
    library = kClientLibrary;
    PGP_CLIENT_ENTRIES(FILL, FILL_AS)
    PGP_CLIENT_GEN1_ENTRIES(FILL, FILL_AS)
    library = kSupportLibrary;
    PGP_SUPPORT_ENTRIES(FILL, FILL_AS)
#undef FILL
#undef FILL_AS
    KeyIDTextType = generation == 1 ? kPGPKeyIDString_FullGen1 : kPGPKeyIDString_Full;
}
