// Outside Windows the part texts use the portable default services.
#include "mime/PartTexts.h"

TPartTextServices& DefaultPartTextServices()
{
    static TPartTextServices services;
    return services;
}
