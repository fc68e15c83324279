// The framework's modal dialogs: the serial port's settings, and the choice of
// one entry of a list (a camera, a graphics mode).
#pragma once

#include "app_framework/dialog.h"

#include <cstdint>
#include <string>
#include <vector>

struct SerialSettings {
    std::string port;
    uint32_t baud = 115200;
    char parity = 'N'; // 'N', 'O', 'E'
    uint32_t byteSize = 8;
    uint32_t stopBits = 0; // 0: 1, 1: 1.5, 2: 2
    uint32_t delay = 0;    // milliseconds between bytes
};

// OK takes the fields only when they hold a port name and a delay number;
// otherwise the dialog says what is wrong and stays.
class CSerialConfigDialog : public CDialog {
public:
    CSerialConfigDialog(const SerialSettings& settings, CWnd* parent);
    BOOL OnInitDialog() override;
    void OnOK() override;
    SerialSettings m_settings;
};

class CListChoiceDialog : public CDialog {
public:
    CListChoiceDialog(std::string caption, std::vector<std::string> items, int selected, CWnd* parent);
    BOOL OnInitDialog() override;
    void OnOK() override;
    int m_selected; // -1: none
private:
    std::string m_caption;
    std::vector<std::string> m_items;
};
