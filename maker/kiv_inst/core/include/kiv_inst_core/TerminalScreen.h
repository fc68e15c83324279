// The terminal's receive view: bytes from the device turned into edit-control text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kivinst {

// A device ends its lines with CR, LF or CR LF; each ends one line on screen
// ("\r\n" in the edit control), and a CR LF pair split across two reads still
// counts once. Other control bytes are shown as <HH> so nothing received is
// silently lost from view. The text is bounded: the oldest whole lines go first.
class TerminalScreen {
public:
    explicit TerminalScreen(size_t maxChars = 30000);

    void AppendReceived(std::string_view bytes);
    void Clear();

    const std::string& Text() const { return text_; }

    // True once after every change, so the window refreshes only when needed.
    bool TakeChanged();

private:
    void TrimFront();

    size_t maxChars_;
    std::string text_;
    bool afterCR_ = false;
    bool changed_ = false;
};

// What the device receives when the user sends a typed line: the line and CR,
// as a serial device expects. Line breaks pasted into the input are sent as CR.
std::string EncodeTypedLine(std::string_view line);

} // namespace kivinst
