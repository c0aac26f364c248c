// Core entry points whose stand-in work (decoding, X.509) comes with later units: they exist so the
// engine binds every name, refuse with "not available", and still take ownership of the option
// handles passed to them.
#include "standins/pgpsdk/Options.h"
#include "standins/pgpsdk/StandInExports.h"

PGP_CORE_ENTRIES(STANDIN_DECLARE, STANDIN_DECLARE_NOTHING)

#define NOT_YET(name, params)               \
    PGPError PGP_CDECL name params          \
    {                                       \
        return kPGPError_NotImplemented;    \
    }
#define NOT_YET_CONSUMING(name, result, failure, params, last) \
    result PGP_CDECL name params                               \
    {                                                          \
        va_list args;                                          \
        va_start(args, last);                                  \
        std::vector<standin::Option> options;                  \
        standin::ConsumeOptionArguments(args, options);        \
        va_end(args);                                          \
        return failure;                                        \
    }

extern "C" {



} // extern "C"
