// MailServices of the native build: the portable base services (no code pages here).
#include "mime/MailServices.h"

TMailServices& DefaultMailServices()
{
    static TMailServices services;
    return services;
}
