// Resource ids of the stand-in mail client's strings, shared by its own resources and its
// language libraries, so that both answer the plug-in under the same ids.
#pragma once

#define HOST_STRING_MODE2_LEAD 2
// The title of a notice the plug-in closes whenever it appears.
#define HOST_STRING_NOTICE_TITLE 4
#define HOST_STRING_NEW_MAIL_OLD 15
#define HOST_STRING_NEW_MESSAGE 21
#define HOST_STRING_FIXED_38 38
// The title of a window that shows a message without the plug-in's decode; its end lets the
// plug-in decode again.
#define HOST_STRING_UNDECODED_VIEW 44
#define HOST_STRING_DEFAULT_IDENTITY 45
// The title of the dialog that chooses the identity for the next start.
#define HOST_STRING_IDENTITY_TITLE 64
#define HOST_IDENTITY_EDIT 100
#define HOST_STRING_MODE2_CLOSING 188
#define HOST_STRING_NEW_MAIL 197
#define HOST_STRING_MODE1_LEAD 670
#define HOST_STRING_SPELLING 830
