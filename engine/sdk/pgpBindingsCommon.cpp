// The procedure table and the walk over the names of a generation; the Windows binding and the
// tests' fake tables both fill it through here.
#include "engine/sdk/pgpBindings.h"
#include "engine/sdk/pgpBase.h"

PGPsdkProcs SDKProcs;
int32_t KeyIDTextType = kPGPKeyIDString_Full;
uint32_t PGPPrefsReloadMessage = 0;
uint32_t PGPKeyringsReloadMessage = 0;
uint32_t PGPKeyserverPrefsReloadMessage = 0;

void ForEachSDKProc(uint8_t generation, const std::function<void(int library, const char* exportName, void** slot)>& visit)
{
    int library = kCoreLibrary;
#define VISIT(var, exportName, firstGen, lastGen)             \
    if (generation >= (firstGen) && generation <= (lastGen)) \
        visit(library, exportName, reinterpret_cast<void**>(&SDKProcs.var));
#define VISIT_E(name, firstGen, lastGen, result, params) VISIT(name, #name, firstGen, lastGen)
#define VISIT_N(var, exportName, firstGen, lastGen, result, params) VISIT(var, exportName, firstGen, lastGen)
    PGP_CORE_ENTRIES(VISIT_E, VISIT_N)
    library = kNetworkLibrary;
    PGP_NETWORK_ENTRIES(VISIT_E, VISIT_N)
    library = kUILibrary;
    PGP_UI_ENTRIES(VISIT_E, VISIT_N)
    library = kClientLibrary;
    PGP_CLIENT_ENTRIES(VISIT_E, VISIT_N)
    PGP_CLIENT_GEN1_ENTRIES(VISIT_E, VISIT_N)
    library = kSupportLibrary;
    PGP_SUPPORT_ENTRIES(VISIT_E, VISIT_N)
#undef VISIT
#undef VISIT_E
#undef VISIT_N
    KeyIDTextType = generation == 1 ? kPGPKeyIDString_FullGen1 : kPGPKeyIDString_Full;
}
