// Dialog data exchange: text, numbers, check boxes, combo indices and control binding.
#include "app_framework/data_exchange.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace {

// The text without leading and trailing blanks; conversions must use all of it.
std::string trimmed(const std::string& text)
{
    auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string controlText(HWND control)
{
    int length = ::GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

} // namespace

bool AfxParseInt(const std::string& text, int& value)
{
    std::string t = trimmed(text);
    if (t.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(t.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool AfxParseUnsigned(const std::string& text, unsigned& value)
{
    std::string t = trimmed(text);
    if (t.empty() || t[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(t.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || parsed > UINT_MAX)
        return false;
    value = static_cast<unsigned>(parsed);
    return true;
}

bool AfxParseDouble(const std::string& text, double& value)
{
    std::string t = trimmed(text);
    if (t.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    double parsed = std::strtod(t.c_str(), &end);
    if (*end != '\0' || errno == ERANGE)
        return false;
    value = parsed;
    return true;
}

HWND CDataExchange::PrepareCtrl(int id)
{
    m_lastControl = id;
    return ::GetDlgItem(m_pDlgWnd->m_hWnd, id);
}

void CDataExchange::Fail(const char* message)
{
    if (m_failed)
        return;
    m_failed = true;
    m_message = message ? message : "";
    if (HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, m_lastControl)) {
        ::SetFocus(control);
        ::SendMessageA(control, EM_SETSEL, 0, -1);
    }
}

void DDX_Text(CDataExchange* dx, int id, std::string& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = controlText(control);
    else
        ::SetWindowTextA(control, value.c_str());
}

void DDX_Text(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        ::SetWindowTextA(control, std::to_string(value).c_str());
    } else if (!AfxParseInt(controlText(control), value)) {
        dx->Fail("Please enter an integer.");
    }
}

void DDX_Text(CDataExchange* dx, int id, unsigned& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        ::SetWindowTextA(control, std::to_string(value).c_str());
    } else if (!AfxParseUnsigned(controlText(control), value)) {
        dx->Fail("Please enter a positive integer.");
    }
}

void DDX_Text(CDataExchange* dx, int id, double& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!dx->m_bSaveAndValidate) {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", value);
        ::SetWindowTextA(control, text);
    } else if (!AfxParseDouble(controlText(control), value)) {
        dx->Fail("Please enter a number.");
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index)
{
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_IPAddress(CDataExchange* dx, int id, DWORD& value)
{
    HWND control = dx->PrepareCtrl(id);
    if (!control)
        return;
    if (dx->m_bSaveAndValidate)
        ::SendMessageA(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&value));
    else
        ::SendMessageA(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(value));
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control)
{
    if (control.m_hWnd)
        return;
    dx->PrepareCtrl(id);
    if (!control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd))
        dx->Fail(nullptr); // a missing control is a programming error, not a user's
}
