// The serial configuration dialog: the ports the camera reports, the choices
// each port's supported-settings word gives, the combos' and the delay's
// read-back on losing focus and on OK, and the modal run a channel uses.
#include "dialog_fixture.h"

#include "zelmk_dialogs/SerialConfigDialog.h"
#include "zelmk_dialogs/ZelmkAPISerCfgDialog.h"

#include <memory>

namespace {

using namespace dialogs_test;

constexpr uint32_t kEverything = 0x7FFu | 0x7u << 16 | 0xFu << 20 | 0x7u << 24;

std::vector<zelmk::SerialPortEntry> Ports()
{
    // Port 0 offers only bits 5 and 9: two baud rates and nothing else.
    return {{0, "MKAPISERIALPORT0", "Serial port 0", (1u << 5) | (1u << 9)}, {2, "MKAPISERIALPORT2", "Serial port 2", kEverything}};
}

zelmk::SerialDialogSettings Settings(int64_t position)
{
    zelmk::SerialDialogSettings settings;
    settings.position = position;
    settings.delayMs = 5;
    return settings;
}

struct Item {
    std::string text;
    DWORD_PTR data;
    friend bool operator==(const Item&, const Item&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Item& item) { return out << item.text << "=" << item.data; }
};

std::vector<Item> ComboItems(HWND dialog, int id)
{
    std::vector<Item> items;
    const int n = static_cast<int>(::SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char text[64] = {};
        ::SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back({text, static_cast<DWORD_PTR>(::SendDlgItemMessageA(dialog, id, CB_GETITEMDATA, i, 0))});
    }
    return items;
}

std::string ComboSelection(HWND dialog, int id)
{
    const int item = static_cast<int>(::SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
    if (item < 0) return "(none)";
    char text[64] = {};
    ::SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text));
    return text;
}

void ChoosePort(HWND dialog, int row)
{
    ::SendDlgItemMessageA(dialog, IDC_ZELMK_PORTS, LB_SETCURSEL, row, 0);
    NotifyCommand(dialog, IDC_ZELMK_PORTS, LBN_SELCHANGE);
}

void ChooseCombo(HWND dialog, int id, const char* text)
{
    ::SendDlgItemMessageA(dialog, id, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
}

class SerialDialog : public testing::Test {
protected:
    std::unique_ptr<CZelmkAPISerCfgDialog> Make(int64_t position)
    {
        auto dialog = std::make_unique<CZelmkAPISerCfgDialog>(Ports(), Settings(position));
        EXPECT_TRUE(dialog->Create(CZelmkAPISerCfgDialog::IDD));
        return dialog;
    }
};

TEST_F(SerialDialog, APortOfferingBits5And9HasTwoRatesAndNothingElse)
{
    auto dialog = Make(0);
    ASSERT_NE(nullptr, dialog->m_hWnd);
    HWND d = dialog->m_hWnd;
    EXPECT_EQ("Configure Communication Port", TextOf(d));
    ASSERT_EQ(2, ::SendDlgItemMessageA(d, IDC_ZELMK_PORTS, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, ::SendDlgItemMessageA(d, IDC_ZELMK_PORTS, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(1, ::SendDlgItemMessageA(d, IDC_ZELMK_PORTS, LB_GETITEMDATA, 1, 0)) << "the position in the list";

    EXPECT_EQ((std::vector<Item>{{"9600 Baud", 5}, {"115200 Baud", 9}}), ComboItems(d, IDC_ZELMK_BAUD));
    EXPECT_EQ("115200 Baud", ComboSelection(d, IDC_ZELMK_BAUD));
    for (int id : {IDC_ZELMK_BYTE_SIZE, IDC_ZELMK_STOP_BITS, IDC_ZELMK_PARITY}) EXPECT_TRUE(ComboItems(d, id).empty()) << id;
    EXPECT_EQ("5", ItemText(d, IDC_ZELMK_DELAY));

    // The other port offers everything; the current settings are selected.
    ChoosePort(d, 1);
    EXPECT_EQ(11u, ComboItems(d, IDC_ZELMK_BAUD).size());
    EXPECT_EQ((std::vector<Item>{{"5 Bit", 0}, {"6 Bit", 1}, {"7 Bit", 2}, {"8 Bit", 3}}), ComboItems(d, IDC_ZELMK_BYTE_SIZE));
    EXPECT_EQ((std::vector<Item>{{"1 Stopbit", 0}, {"1.5 Stopbit", 1}, {"2 Stopbit", 2}}), ComboItems(d, IDC_ZELMK_STOP_BITS));
    EXPECT_EQ((std::vector<Item>{{"No Parity", 0}, {"Odd Parity", 1}, {"Even Parity", 2}}), ComboItems(d, IDC_ZELMK_PARITY));
    EXPECT_EQ("115200 Baud", ComboSelection(d, IDC_ZELMK_BAUD));
    EXPECT_EQ("8 Bit", ComboSelection(d, IDC_ZELMK_BYTE_SIZE));
    EXPECT_EQ("1 Stopbit", ComboSelection(d, IDC_ZELMK_STOP_BITS));
    EXPECT_EQ("No Parity", ComboSelection(d, IDC_ZELMK_PARITY));
}

TEST_F(SerialDialog, NoPortSelectedOffersNoChoices)
{
    // The channel's port is not among those the camera reports.
    auto dialog = Make(-1);
    HWND d = dialog->m_hWnd;
    EXPECT_EQ(LB_ERR, ::SendDlgItemMessageA(d, IDC_ZELMK_PORTS, LB_GETCURSEL, 0, 0));
    for (int id : {IDC_ZELMK_BAUD, IDC_ZELMK_BYTE_SIZE, IDC_ZELMK_STOP_BITS, IDC_ZELMK_PARITY}) EXPECT_TRUE(ComboItems(d, id).empty()) << id;
    Press(d, IDOK);
    EXPECT_EQ(IDOK, dialog->GetResult());
    const zelmk::SerialDialogSettings& s = dialog->Settings();
    EXPECT_EQ(-1, s.position);
    EXPECT_EQ(9, s.baud) << "nothing selected leaves each setting as it was";
    EXPECT_EQ(3, s.byteSize);
}

TEST_F(SerialDialog, LosingFocusStoresTheCombosAndRewritesTheDelay)
{
    auto dialog = Make(1);
    HWND d = dialog->m_hWnd;
    ChooseCombo(d, IDC_ZELMK_BAUD, "9600 Baud");
    NotifyCommand(d, IDC_ZELMK_BAUD, CBN_KILLFOCUS);
    ChooseCombo(d, IDC_ZELMK_PARITY, "Odd Parity");
    // The choices of another port are filled from the stored settings.
    ChoosePort(d, 0);
    EXPECT_EQ("9600 Baud", ComboSelection(d, IDC_ZELMK_BAUD));
    ChoosePort(d, 1);
    EXPECT_EQ("9600 Baud", ComboSelection(d, IDC_ZELMK_BAUD));
    EXPECT_EQ("No Parity", ComboSelection(d, IDC_ZELMK_PARITY)) << "parity never lost its focus";

    struct Case {
        const char* typed;
        const char* shown;
    };
    for (Case c : {Case{"34x", "34"}, Case{"zz", "5"}, Case{"  8", "8"}, Case{"-2", "5"}}) {
        SCOPED_TRACE(c.typed);
        ::SetDlgItemTextA(d, IDC_ZELMK_DELAY, c.typed);
        NotifyCommand(d, IDC_ZELMK_DELAY, EN_KILLFOCUS);
        EXPECT_EQ(c.shown, ItemText(d, IDC_ZELMK_DELAY));
    }
    EXPECT_EQ(5u, dialog->Settings().delayMs) << "the stored delay changes only on OK";
    EXPECT_EQ(5, dialog->Settings().baud);
}

TEST_F(SerialDialog, OkTakesADelayThatStartsWithDigitsAndRefusesOneThatDoesNot)
{
    const auto fillIn = [](HWND d, const char* delay) {
        ChoosePort(d, 1);
        ChooseCombo(d, IDC_ZELMK_PARITY, "Even Parity");
        ChooseCombo(d, IDC_ZELMK_STOP_BITS, "1.5 Stopbit");
        ::SetDlgItemTextA(d, IDC_ZELMK_DELAY, delay);
    };
    {
        // One shown dialog for the refusals: the focus moves only in a shown window.
        auto dialog = Make(1);
        HWND d = dialog->m_hWnd;
        ::ShowWindow(d, SW_SHOW);
        for (const char* text : {"abc", "", "-3", "x12"}) {
            SCOPED_TRACE(std::string("\"") + text + "\"");
            // Focus first: the delay edit rewrites its text when it loses the focus.
            ::SetFocus(::GetDlgItem(d, IDC_ZELMK_PORTS));
            fillIn(d, text);
            MessageBoxRecorder boxes;
            Press(d, IDOK);
            EXPECT_EQ(std::vector<std::string>{"Invalid intercharacter delay"}, boxes.texts);
            ASSERT_NE(nullptr, dialog->m_hWnd) << "the dialog stays open";
            EXPECT_EQ(::GetDlgItem(d, IDC_ZELMK_DELAY), ::GetFocus());
            const zelmk::SerialDialogSettings& s = dialog->Settings();
            EXPECT_EQ(5u, s.delayMs);
            EXPECT_EQ(0, s.parity) << "nothing is stored";
            EXPECT_EQ(0, s.stopBits);
        }
    }
    struct Case {
        const char* text;
        uint32_t delay;
    };
    for (Case c : {Case{"12a", 12}, Case{"0", 0}, Case{" 250", 250}}) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        auto dialog = Make(1);
        fillIn(dialog->m_hWnd, c.text);
        MessageBoxRecorder boxes;
        Press(dialog->m_hWnd, IDOK);
        EXPECT_TRUE(boxes.texts.empty());
        EXPECT_EQ(IDOK, dialog->GetResult());
        EXPECT_EQ(nullptr, dialog->m_hWnd);
        const zelmk::SerialDialogSettings& s = dialog->Settings();
        EXPECT_EQ(c.delay, s.delayMs);
        EXPECT_EQ(1, s.position);
        EXPECT_EQ(2, s.parity);
        EXPECT_EQ(1, s.stopBits);
    }
}

TEST(SerialConfigRun, OkGivesTheChoicesAndCancelKeepsTheSettings)
{
    zelmk::SerialDialogSettings settings = Settings(0);
    {
        ModalDriver driver("Configure Communication Port", {[](HWND d) {
                                                                ChoosePort(d, 1);
                                                                ChooseCombo(d, IDC_ZELMK_BYTE_SIZE, "7 Bit");
                                                                ::SetDlgItemTextA(d, IDC_ZELMK_DELAY, "20");
                                                            },
                                                            [](HWND d) { Press(d, IDOK); }});
        EXPECT_TRUE(zelmk::RunSerialConfigDialog(nullptr, Ports(), settings));
        EXPECT_TRUE(driver.AllStepsRan());
    }
    EXPECT_EQ(1, settings.position);
    EXPECT_EQ(2, settings.byteSize);
    EXPECT_EQ(20u, settings.delayMs);
    EXPECT_EQ(9, settings.baud);

    const zelmk::SerialDialogSettings before = settings;
    {
        ModalDriver driver("Configure Communication Port", {[](HWND d) {
                                                                ChoosePort(d, 0);
                                                                ::SetDlgItemTextA(d, IDC_ZELMK_DELAY, "99");
                                                            },
                                                            [](HWND d) { Press(d, IDCANCEL); }});
        EXPECT_FALSE(zelmk::RunSerialConfigDialog(nullptr, Ports(), settings));
        EXPECT_TRUE(driver.AllStepsRan());
    }
    EXPECT_EQ(before.position, settings.position);
    EXPECT_EQ(before.delayMs, settings.delayMs);
}

} // namespace
