// Requests to the mail client and commands to its frame.
#include "plugin/PMInterface.h"

#include "plugin/Guard.h"
#include "plugin/HostApi.h"

#include <vector>

TPMInterface::TPMInterface(HWND hostWindow)
    : hostWindow_(hostWindow)
{
    build_ = BuildFromVersion(static_cast<uint32_t>(Request(HostApi::REQ_VERSION, 0, 0)));
}

uint32_t TPMInterface::BuildFromVersion(uint32_t v)
{
    return (v & 0xF) * 10 + ((v & 0xFF) >> 4) * 100 + ((v >> 8) & 0xF) * 1000;
}

LRESULT TPMInterface::Request(UINT request, WPARAM wParam, LPARAM lParam) const
{
    // Without a mail client every request answers 0 (texts come back empty).
    return hostWindow_ ? SendMessageA(hostWindow_, request, wParam, lParam) : 0;
}

std::string TPMInterface::FolderRequest(UINT request) const
{
    std::vector<char> buffer(HostApi::FOLDER_BUFFER_SIZE, '\0');
    Request(request, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = '\0'; // the answer is cut at its NUL, whatever the mail client wrote
    std::string folder(buffer.data());
    if (!folder.empty() && folder.back() != '\\')
        folder += '\\';
    return folder;
}

HWND TPMInterface::GetHostWindow(WPARAM index) const
{
    return reinterpret_cast<HWND>(Request(HostApi::REQ_HOST_WINDOW, index, 0));
}

std::string TPMInterface::GetMailFolder()
{
    if (mailFolder_.empty())
        mailFolder_ = FolderRequest(HostApi::REQ_MAIL_FOLDER);
    return mailFolder_;
}

void TPMInterface::PostHostCommand(WPARAM id) const
{
    if (HWND frame = GetHostWindow(HostApi::HOST_WINDOW_FRAME))
        PostMessageA(frame, WM_COMMAND, id, 0);
}

LRESULT TPMInterface::SendShutdownEvent(HWND pluginWindow, bool flag) const
{
    return SendMessageA(pluginWindow, HostApi::WM_HOSTEVENT, HostApi::EVENT_SHUTDOWN, flag ? 0 : 1);
}

int TPMInterface::CleanQueueFolder()
{
    throw ENotAvailable("CleanQueueFolder");
}

void TPMInterface::SendFromEditor(bool, bool)
{
    throw ENotAvailable("SendFromEditor");
}
