// Toolbar buttons: records indexed by command id, growing as the ids need.
#include "plugin/ButtonList.h"

#include "plugin/PMInterfaceRules.h"

#include <cstring>

namespace {
// Copies text into a fixed field, cut to fit, always NUL-terminated.
template <size_t N> void CopyField(char (&field)[N], const std::string& text)
{
    const size_t n = text.size() < N - 1 ? text.size() : N - 1;
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}
} // namespace

TButtonList::TButtonList(HWND hostWindow, std::string bitmapFolder)
    : hostWindow_(hostWindow)
    , bitmapFolder_(std::move(bitmapFolder))
    , records_(INITIAL_CAPACITY)
{
}

TButtonList::~TButtonList()
{
    records_.clear();
    count_ = 0;
}

LRESULT TButtonList::Request(UINT request, WPARAM wParam, LPARAM lParam) const
{
    // Without a mail client every request answers 0 (texts come back empty).
    return hostWindow_ ? SendMessageA(hostWindow_, request, wParam, lParam) : 0;
}

bool TButtonList::AddButton(const std::string& bitmap, const std::string& tooltip, uint32_t commandId,
    uint32_t extra, uint32_t message, HWND window)
{
    if (commandId < FIRST_COMMAND_ID)
        return false;
    const size_t index = commandId - FIRST_COMMAND_ID;
    if (count_ == records_.size() || index >= records_.size()) {
        size_t capacity = records_.size();
        do
            capacity = PMInterfaceRules::GrownCapacity(static_cast<uint32_t>(capacity));
        while (index >= capacity);
        records_.resize(capacity);
    }
    HostApi::THostButtonRecord& record = records_[index];
    record = {};
    CopyField(record.BitmapFile, bitmapFolder_ + bitmap);
    CopyField(record.Tooltip, tooltip);
    record.Window = window;
    record.Message = message;
    record.Extra = extra;
    record.CommandId = commandId;
    record.HostId
        = static_cast<uint32_t>(Request(HostApi::REQ_ADD_BUTTON, 0, reinterpret_cast<LPARAM>(&record)));
    ++count_;
    return true;
}

void TButtonList::RemoveButtons()
{
    for (const HostApi::THostButtonRecord& record : records_)
        if (record.HostId != 0)
            Request(HostApi::REQ_REMOVE_BUTTON, record.HostId, 0);
    records_.assign(INITIAL_CAPACITY, {});
    count_ = 0;
}

std::string TButtonList::GetButtonHint(uint32_t commandId) const
{
    if (commandId < FIRST_COMMAND_ID || commandId - FIRST_COMMAND_ID >= records_.size())
        return {};
    const auto& tooltip = records_[commandId - FIRST_COMMAND_ID].Tooltip;
    return std::string(tooltip, strnlen(tooltip, sizeof tooltip));
}
