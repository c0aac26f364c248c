// The PGP interface's default message sink: a plain message box. The place where the plug-in's
// own message dialog plugs in is the sink the main object passes at construction.
#include "engine/PGPInterface.h"

// The icon number names a picture of the plug-in library, which this box cannot reach when the
// engine runs in another module: the kind's system icon stands in for it.
bool ShowInterfaceMessage(const std::string& text, TMessageKind kind, int)
{
    UINT flags = MB_TASKMODAL | MB_SETFOREGROUND;
    switch (kind) {
    case TMessageKind::Information: flags |= MB_OK | MB_ICONINFORMATION; break;
    case TMessageKind::Warning: flags |= MB_OK | MB_ICONWARNING; break;
    case TMessageKind::Error: flags |= MB_OK | MB_ICONERROR; break;
    case TMessageKind::QuestionYesDefault: flags |= MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1; break;
    case TMessageKind::QuestionNoDefault: flags |= MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2; break;
    }
    const int answer = MessageBoxA(GetActiveWindow(), text.c_str(), "ZAVEK", flags);
    return answer == IDOK || answer == IDYES;
}
