// The element tree from Debian's expat. No external entities are ever loaded: expat
// only reads them through a handler, and none is installed.
#include "mk_gev/Xml.h"

#include <expat.h>

#include <climits>
#include <memory>

namespace mkgev {

namespace {

std::string localName(const char* name)
{
    std::string_view n(name);
    auto colon = n.rfind(':');
    return std::string(colon == std::string_view::npos ? n : n.substr(colon + 1));
}

struct Builder {
    XML_Parser parser = nullptr;
    std::vector<XmlElement*> stack;
    XmlElement* root = nullptr;
    bool haveRoot = false;
    size_t elements = 0;
    std::string error;

    void stop(std::string why)
    {
        if (error.empty())
            error = std::move(why) + " (line " + std::to_string(XML_GetCurrentLineNumber(parser)) + ")";
        XML_StopParser(parser, XML_FALSE);
    }

    static void onStart(void* data, const char* name, const char** attributes)
    {
        auto& b = *static_cast<Builder*>(data);
        if (!b.error.empty())
            return;
        if (++b.elements > kMaxXmlElements)
            return b.stop("the document has too many elements");
        if (b.stack.size() >= kMaxXmlDepth)
            return b.stop("the document nests too deeply");
        XmlElement* element;
        if (b.stack.empty()) {
            element = b.root;
            b.haveRoot = true;
        } else {
            b.stack.back()->children.emplace_back();
            element = &b.stack.back()->children.back();
        }
        element->name = localName(name);
        for (size_t i = 0; attributes[i] && attributes[i + 1]; i += 2)
            element->attributes.emplace_back(localName(attributes[i]), attributes[i + 1]);
        b.stack.push_back(element);
    }

    static void onEnd(void* data, const char*)
    {
        auto& b = *static_cast<Builder*>(data);
        if (!b.stack.empty())
            b.stack.pop_back();
    }

    static void onText(void* data, const char* text, int length)
    {
        auto& b = *static_cast<Builder*>(data);
        if (!b.stack.empty() && b.error.empty())
            b.stack.back()->text.append(text, size_t(length));
    }
};

} // namespace

std::string parseXml(std::string_view document, XmlElement& root)
{
    root = XmlElement();
    if (document.size() > size_t(INT_MAX))
        return "the document is too large";
    std::unique_ptr<XML_ParserStruct, void (*)(XML_Parser)> parser(XML_ParserCreate(nullptr), XML_ParserFree);
    if (!parser)
        return "out of memory for the XML reader";
    Builder builder;
    builder.parser = parser.get();
    builder.root = &root;
    XML_SetUserData(parser.get(), &builder);
    XML_SetElementHandler(parser.get(), Builder::onStart, Builder::onEnd);
    XML_SetCharacterDataHandler(parser.get(), Builder::onText);
    if (XML_Parse(parser.get(), document.data(), int(document.size()), XML_TRUE) == XML_STATUS_ERROR) {
        if (!builder.error.empty())
            return builder.error;
        return std::string("the XML is not well-formed: ") + XML_ErrorString(XML_GetErrorCode(parser.get())) +
            " (line " + std::to_string(XML_GetCurrentLineNumber(parser.get())) + ")";
    }
    if (!builder.haveRoot)
        return "the document has no element";
    return {};
}

} // namespace mkgev
