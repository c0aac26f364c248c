// The message model's services inside the mail client: the charset conversions of the default
// services, and the HTML clean-up, the HTML/RTF conversions through the editor library, the rich-text
// conversions and the international domain names of the foundation units.
#pragma once

#include "mime/MailServices.h"

// Binds the mail client's services for the process (the library's unit initialisation) and gives
// the default ones back (its finalisation).
void BindHostMailServices();
void UnbindHostMailServices();
