// The element tree from the system's XmlLite reader (xmllite.dll, bound by name: the
// cross toolchain ships its header but no import library). DTDs are refused.
#include "mk_gev/Xml.h"

#include "win32/lean_windows.h"
#include "win32/module.h"

#include <climits>
#include <memory>
#include <objidl.h>
#include <shlwapi.h>
#include <xmllite.h>

namespace mkgev {

namespace {

struct Releaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComRef = std::unique_ptr<T, Releaser>;

std::string narrow(const WCHAR* text, UINT length)
{
    if (length == 0)
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text, int(length), out.data(), size, nullptr, nullptr);
    return out;
}

// IID_IXmlReader, spelled out: the toolchain declares it but no library defines it.
const GUID kIidXmlReader = {0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

CreateXmlReaderFn createReader()
{
    // Loaded once and kept: the readers it makes may outlive any one caller.
    static CreateXmlReaderFn create =
        win32::BindExport<CreateXmlReaderFn>(LoadLibraryA("xmllite.dll"), "CreateXmlReader");
    return create;
}

std::string lineOf(IXmlReader* reader)
{
    UINT line = 0;
    reader->GetLineNumber(&line);
    return " (line " + std::to_string(line) + ")";
}

} // namespace

std::string parseXml(std::string_view document, XmlElement& root)
{
    root = XmlElement();
    if (document.size() > size_t(UINT_MAX))
        return "the document is too large";
    CreateXmlReaderFn create = createReader();
    if (!create)
        return "the system's XML reader (xmllite.dll) is not available";
    ComRef<IStream> stream(
        SHCreateMemStream(reinterpret_cast<const BYTE*>(document.data()), UINT(document.size())));
    if (!stream)
        return "out of memory for the XML reader";
    IXmlReader* raw = nullptr;
    if (FAILED(create(kIidXmlReader, reinterpret_cast<void**>(&raw), nullptr)) || !raw)
        return "the system's XML reader cannot be created";
    ComRef<IXmlReader> reader(raw);
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, kMaxXmlDepth);
    if (FAILED(reader->SetInput(stream.get())))
        return "the XML reader does not take the document";

    std::vector<XmlElement*> stack;
    bool haveRoot = false;
    size_t elements = 0;
    XmlNodeType type;
    HRESULT hr;
    while ((hr = reader->Read(&type)) == S_OK) {
        const WCHAR* value = nullptr;
        UINT length = 0;
        switch (type) {
        case XmlNodeType_Element: {
            if (++elements > kMaxXmlElements)
                return "the document has too many elements" + lineOf(reader.get());
            if (stack.size() >= kMaxXmlDepth)
                return "the document nests too deeply" + lineOf(reader.get());
            XmlElement* element;
            if (stack.empty()) {
                if (haveRoot)
                    return "the document has more than one root element" + lineOf(reader.get());
                element = &root;
                haveRoot = true;
            } else {
                stack.back()->children.emplace_back();
                element = &stack.back()->children.back();
            }
            reader->GetLocalName(&value, &length);
            element->name = narrow(value, length);
            bool empty = reader->IsEmptyElement();
            for (HRESULT a = reader->MoveToFirstAttribute(); a == S_OK; a = reader->MoveToNextAttribute()) {
                const WCHAR* name = nullptr;
                UINT nameLength = 0;
                reader->GetLocalName(&name, &nameLength);
                reader->GetValue(&value, &length);
                element->attributes.emplace_back(narrow(name, nameLength), narrow(value, length));
            }
            reader->MoveToElement();
            if (!empty)
                stack.push_back(element);
            break;
        }
        case XmlNodeType_EndElement:
            if (!stack.empty())
                stack.pop_back();
            break;
        case XmlNodeType_Text:
        case XmlNodeType_CDATA:
        case XmlNodeType_Whitespace:
            if (!stack.empty() && SUCCEEDED(reader->GetValue(&value, &length)))
                stack.back()->text += narrow(value, length);
            break;
        default: break;
        }
    }
    if (FAILED(hr))
        return "the XML is not well-formed (error 0x" + [hr] {
            char code[16];
            snprintf(code, sizeof code, "%08lx", static_cast<unsigned long>(hr));
            return std::string(code);
        }() +
            ")" + lineOf(reader.get());
    if (!haveRoot)
        return "the document has no element";
    return {};
}

} // namespace mkgev
