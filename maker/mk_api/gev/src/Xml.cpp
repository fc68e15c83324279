// The element tree's lookups, shared by both readers.
#include "mk_gev/Xml.h"

namespace mkgev {

const std::string* XmlElement::attribute(std::string_view key) const
{
    for (const auto& [k, v] : attributes)
        if (k == key)
            return &v;
    return nullptr;
}

const XmlElement* XmlElement::child(std::string_view childName) const
{
    for (const auto& c : children)
        if (c.name == childName)
            return &c;
    return nullptr;
}

std::string XmlElement::childText(std::string_view childName) const
{
    const XmlElement* c = child(childName);
    return c ? std::string(trimmed(c->text)) : std::string();
}

std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view space = " \t\r\n";
    size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos)
        return {};
    size_t last = text.find_last_not_of(space);
    return text.substr(first, last - first + 1);
}

} // namespace mkgev
