// A parsed XML document as a plain element tree, behind one small interface: Debian's
// expat natively, the system's XmlLite on Windows. Bounded: documents nest at most
// kMaxXmlDepth deep and hold at most kMaxXmlElements elements.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mkgev {

inline constexpr size_t kMaxXmlDepth = 64;
inline constexpr size_t kMaxXmlElements = 200000;

struct XmlElement {
    std::string name; // without a namespace prefix
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text; // the element's own character data, concatenated
    std::vector<XmlElement> children;

    const std::string* attribute(std::string_view key) const;
    const XmlElement* child(std::string_view childName) const;
    // The child's text, trimmed; empty when there is no such child.
    std::string childText(std::string_view childName) const;
};

// Parses a whole document into `root`; on failure the sentence says what and on which line.
std::string parseXml(std::string_view document, XmlElement& root);

// Text without the white space around it.
std::string_view trimmed(std::string_view text);

} // namespace mkgev
