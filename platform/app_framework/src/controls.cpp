// The standard control wrappers that need more than one message.
#include "app_framework/controls.h"

#include <vector>

namespace {

std::string itemText(HWND control, UINT lengthMessage, UINT textMessage, int index)
{
    LRESULT length = ::SendMessageA(control, lengthMessage, static_cast<WPARAM>(index), 0);
    if (length < 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    LRESULT copied = ::SendMessageA(control, textMessage, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data()));
    return copied < 0 ? std::string() : std::string(buffer.data(), static_cast<size_t>(copied));
}

} // namespace

std::string CComboBox::GetLBText(int index) const
{
    return itemText(m_hWnd, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
}

std::string CListBox::GetText(int index) const
{
    return itemText(m_hWnd, LB_GETTEXTLEN, LB_GETTEXT, index);
}
