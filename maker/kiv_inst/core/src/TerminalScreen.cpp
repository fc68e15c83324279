// The terminal's receive view: bytes from the device turned into edit-control text.
#include "kiv_inst_core/TerminalScreen.h"

#include <cstdio>

namespace kivinst {

TerminalScreen::TerminalScreen(size_t maxChars) : maxChars_(maxChars < 64 ? 64 : maxChars) {}

void TerminalScreen::AppendReceived(std::string_view bytes)
{
    if (bytes.empty())
        return;
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '\n' && afterCR_) {
            afterCR_ = false; // second half of CR LF: the line already ended
            continue;
        }
        afterCR_ = (c == '\r');
        if (c == '\r' || c == '\n') {
            text_ += "\r\n";
        } else if (u < 0x20 && c != '\t') {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", u);
            text_ += hex;
        } else {
            text_ += c;
        }
    }
    changed_ = true;
    TrimFront();
}

void TerminalScreen::TrimFront()
{
    if (text_.size() <= maxChars_)
        return;
    // Drop at least the excess, and up to the end of that line so the view
    // starts at a line beginning; one over-long line is cut where it must be.
    size_t cut = text_.size() - maxChars_;
    const size_t lineEnd = text_.find("\r\n", cut);
    if (lineEnd != std::string::npos && lineEnd + 2 < text_.size())
        cut = lineEnd + 2;
    text_.erase(0, cut);
}

void TerminalScreen::Clear()
{
    text_.clear();
    afterCR_ = false;
    changed_ = true;
}

bool TerminalScreen::TakeChanged()
{
    const bool was = changed_;
    changed_ = false;
    return was;
}

std::string EncodeTypedLine(std::string_view line)
{
    std::string out;
    out.reserve(line.size() + 1);
    bool afterCR = false;
    for (char c : line) {
        if (c == '\n' && afterCR) {
            afterCR = false;
            continue;
        }
        afterCR = (c == '\r');
        out += (c == '\n') ? '\r' : c;
    }
    out += '\r';
    return out;
}

} // namespace kivinst
