// The node map: the description's nodes, and reads and writes through their chains.
#include "mk_gev/NodeMap.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <functional>
#include <set>

namespace mkgev {

const char* nodeKindName(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Category: return "Category";
    case NodeKind::Integer: return "Integer";
    case NodeKind::Float: return "Float";
    case NodeKind::Enumeration: return "Enumeration";
    case NodeKind::Boolean: return "Boolean";
    case NodeKind::Command: return "Command";
    case NodeKind::String: return "String";
    case NodeKind::IntReg: return "IntReg";
    case NodeKind::MaskedIntReg: return "MaskedIntReg";
    case NodeKind::FloatReg: return "FloatReg";
    case NodeKind::StringReg: return "StringReg";
    case NodeKind::SwissKnife: return "SwissKnife";
    case NodeKind::IntSwissKnife: return "IntSwissKnife";
    case NodeKind::Converter: return "Converter";
    case NodeKind::IntConverter: return "IntConverter";
    case NodeKind::Port: return "Port";
    case NodeKind::Other: return "Other";
    }
    return "?";
}

const char* nodeErrorName(NodeError error)
{
    switch (error) {
    case NodeError::None: return "none";
    case NodeError::NotFound: return "no such feature";
    case NodeError::WrongKind: return "the feature is of another type";
    case NodeError::NotReadable: return "the feature cannot be read now";
    case NodeError::NotWritable: return "the feature cannot be written now";
    case NodeError::OutOfRange: return "the value is out of range";
    case NodeError::PortFailed: return "the device did not answer the access";
    case NodeError::Unresolved: return "the feature's formula or reference cannot be evaluated";
    case NodeError::TooDeep: return "the feature's references nest too deeply";
    }
    return "?";
}

struct ValueRef {
    bool present = false;
    std::string node; // empty: the literal
    int64_t integer = 0;
    double number = 0;
};

struct EnumEntry {
    std::string name;
    int64_t value = 0;
    std::string isAvailable, isImplemented;
};

struct AddressPart {
    uint64_t literal = 0;
    std::string node;   // pAddress
    std::string index;  // pIndex
    int64_t offset = 0; // of pIndex
    std::string pOffset;
};

struct NodeMap::Node {
    NodeKind kind = NodeKind::Other;
    std::string name, displayName, description;
    std::string isAvailable, isImplemented, isLocked;
    std::vector<std::string> invalidators;
    Access mode = Access::ReadWrite;
    bool hasMode = false;
    // Values and ranges
    ValueRef value, minimum, maximum, increment, onValue, offValue, commandValue;
    int64_t current = 0; // an Integer's own value when it has no pValue
    double currentFloat = 0;
    std::string currentString;
    // Registers
    std::vector<AddressPart> address;
    ValueRef length;
    bool littleEndian = false;
    bool isSigned = false;
    int lsb = -1, msb = -1;
    bool noCache = false;
    // Formulas
    std::optional<Formula> formula, formulaTo, formulaFrom;
    std::map<std::string, std::string> variables; // formula name -> node
    std::vector<std::string> features;            // of a category
    std::vector<EnumEntry> entries;
};

NodeMap::NodeMap() = default;
NodeMap::~NodeMap() = default;

namespace {

bool parseInt(std::string_view text, int64_t& value)
{
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t magnitude = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return false;
    value = negative ? int64_t(0 - magnitude) : int64_t(magnitude);
    return true;
}

bool parseDouble(std::string_view text, double& value)
{
    std::string t(trimmed(text));
    if (t.empty())
        return false;
    int64_t i = 0;
    if (parseInt(t, i)) {
        value = double(i);
        return true;
    }
    char* end = nullptr;
    value = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size();
}

NodeKind kindOf(std::string_view element)
{
    static const std::pair<std::string_view, NodeKind> kinds[] = {
        {"Category", NodeKind::Category},
        {"Integer", NodeKind::Integer},
        {"Float", NodeKind::Float},
        {"Enumeration", NodeKind::Enumeration},
        {"Boolean", NodeKind::Boolean},
        {"Command", NodeKind::Command},
        {"String", NodeKind::String},
        {"IntReg", NodeKind::IntReg},
        {"MaskedIntReg", NodeKind::MaskedIntReg},
        {"FloatReg", NodeKind::FloatReg},
        {"StringReg", NodeKind::StringReg},
        {"SwissKnife", NodeKind::SwissKnife},
        {"IntSwissKnife", NodeKind::IntSwissKnife},
        {"Converter", NodeKind::Converter},
        {"IntConverter", NodeKind::IntConverter},
        {"Port", NodeKind::Port},
        {"Node", NodeKind::Other},
        {"Register", NodeKind::Other},
    };
    for (const auto& [n, k] : kinds)
        if (n == element)
            return k;
    return NodeKind::Other;
}

bool isIntegerKind(NodeKind k)
{
    return k == NodeKind::Integer || k == NodeKind::IntReg || k == NodeKind::MaskedIntReg ||
        k == NodeKind::IntSwissKnife || k == NodeKind::IntConverter || k == NodeKind::Enumeration ||
        k == NodeKind::Boolean;
}

bool isFloatKind(NodeKind k)
{
    return k == NodeKind::Float || k == NodeKind::FloatReg || k == NodeKind::SwissKnife || k == NodeKind::Converter;
}

} // namespace

namespace {

// Reads "Name" or "pName" children into a reference; an error names the bad text.
std::string readRef(const XmlElement& element, std::string_view name, ValueRef& ref, bool floating)
{
    std::string pointer = "p" + std::string(name);
    if (const XmlElement* p = element.child(pointer)) {
        ref.present = true;
        ref.node = std::string(trimmed(p->text));
        return {};
    }
    const XmlElement* literal = element.child(name);
    if (!literal)
        return {};
    std::string_view text = trimmed(literal->text);
    ref.present = true;
    if (floating) {
        if (!parseDouble(text, ref.number))
            return "bad " + std::string(name) + " \"" + std::string(text) + "\"";
        ref.integer = std::isfinite(ref.number) && std::fabs(ref.number) < 9.2e18 ? int64_t(ref.number) : 0;
    } else {
        if (!parseInt(text, ref.integer))
            return "bad " + std::string(name) + " \"" + std::string(text) + "\"";
        ref.number = double(ref.integer);
    }
    return {};
}

// Fills a node from its element; an error says what is wrong with it.
std::string readNode(const XmlElement& e, NodeKind kind, NodeMap::Node& n)
{
    n.kind = kind;
    n.displayName = e.childText("DisplayName");
    n.description = e.childText("Description");
    n.isAvailable = e.childText("pIsAvailable");
    n.isImplemented = e.childText("pIsImplemented");
    n.isLocked = e.childText("pIsLocked");
    std::string mode = e.childText("AccessMode");
    if (mode.empty())
        mode = e.childText("ImposedAccessMode");
    if (!mode.empty()) {
        n.hasMode = true;
        if (mode == "RO")
            n.mode = Access::ReadOnly;
        else if (mode == "WO")
            n.mode = Access::WriteOnly;
        else if (mode == "RW")
            n.mode = Access::ReadWrite;
        else
            return "bad AccessMode \"" + mode + "\"";
    }
    n.noCache = e.childText("Cachable") == "NoCache";
    n.littleEndian = e.childText("Endianess") == "LittleEndian";
    n.isSigned = e.childText("Sign") == "Signed";
    bool floating = kind == NodeKind::Float || kind == NodeKind::FloatReg || kind == NodeKind::SwissKnife ||
        kind == NodeKind::Converter;
    std::string error;
    auto ref = [&](std::string_view name, ValueRef& r, bool f) {
        if (error.empty())
            error = readRef(e, name, r, f);
    };
    if (kind != NodeKind::String)
        if (kind != NodeKind::String)
            ref("Value", n.value, floating);
    ref("Min", n.minimum, floating);
    ref("Max", n.maximum, floating);
    ref("Inc", n.increment, floating);
    ref("OnValue", n.onValue, false);
    ref("OffValue", n.offValue, false);
    ref("CommandValue", n.commandValue, false);
    ref("Length", n.length, false);
    if (!error.empty())
        return error;
    if (kind == NodeKind::String) {
        if (const XmlElement* v = e.child("Value"))
            n.currentString = v->text;
    }
    if (n.value.present && n.value.node.empty()) {
        n.current = n.value.integer;
        n.currentFloat = n.value.number;
    }
    int64_t bit = 0;
    for (const XmlElement& c : e.children) {
        if (c.name == "pInvalidator") {
            n.invalidators.emplace_back(trimmed(c.text));
        } else if (c.name == "pFeature") {
            n.features.emplace_back(trimmed(c.text));
        } else if (c.name == "Address") {
            AddressPart part;
            int64_t literal = 0;
            if (!parseInt(c.text, literal))
                return "bad Address \"" + std::string(trimmed(c.text)) + "\"";
            part.literal = uint64_t(literal);
            n.address.push_back(part);
        } else if (c.name == "pAddress") {
            AddressPart part;
            part.node = std::string(trimmed(c.text));
            n.address.push_back(part);
        } else if (c.name == "pIndex") {
            AddressPart part;
            part.index = std::string(trimmed(c.text));
            if (const std::string* offset = c.attribute("Offset")) {
                if (!parseInt(*offset, part.offset))
                    return "bad pIndex Offset \"" + *offset + "\"";
            } else if (const std::string* pOffset = c.attribute("pOffset")) {
                part.pOffset = *pOffset;
            } else {
                part.offset = 1;
            }
            n.address.push_back(part);
        } else if (c.name == "pVariable") {
            const std::string* name = c.attribute("Name");
            if (!name)
                return "a pVariable without a Name";
            n.variables[*name] = std::string(trimmed(c.text));
        } else if (c.name == "LSB" || c.name == "MSB" || c.name == "Bit") {
            if (!parseInt(c.text, bit) || bit < 0 || bit > 63)
                return "bad " + c.name + " \"" + std::string(trimmed(c.text)) + "\"";
            if (c.name != "MSB")
                n.lsb = int(bit);
            if (c.name != "LSB")
                n.msb = int(bit);
        } else if (c.name == "EnumEntry") {
            EnumEntry entry;
            const std::string* name = c.attribute("Name");
            if (!name)
                return "an EnumEntry without a Name";
            entry.name = *name;
            if (!parseInt(c.childText("Value"), entry.value))
                return "EnumEntry " + entry.name + " has a bad Value";
            entry.isAvailable = c.childText("pIsAvailable");
            entry.isImplemented = c.childText("pIsImplemented");
            n.entries.push_back(std::move(entry));
        }
    }
    auto formula = [&](const char* element, std::optional<Formula>& out) -> std::string {
        const XmlElement* f = e.child(element);
        if (!f)
            return {};
        std::string why;
        out = Formula::parse(f->text, why);
        return out ? std::string() : why;
    };
    if (!(error = formula("Formula", n.formula)).empty() || !(error = formula("FormulaTo", n.formulaTo)).empty() ||
        !(error = formula("FormulaFrom", n.formulaFrom)).empty())
        return error;
    if ((kind == NodeKind::SwissKnife || kind == NodeKind::IntSwissKnife) && !n.formula)
        return "a swiss knife without a Formula";
    if ((kind == NodeKind::Converter || kind == NodeKind::IntConverter) &&
        (!n.formulaTo || !n.formulaFrom || !n.value.present))
        return "a converter needs FormulaTo, FormulaFrom and pValue";
    bool reg = kind == NodeKind::IntReg || kind == NodeKind::MaskedIntReg || kind == NodeKind::FloatReg ||
        kind == NodeKind::StringReg;
    if (reg && (n.address.empty() || !n.length.present))
        return "a register without Address or Length";
    if (reg && n.length.node.empty() && (n.length.integer <= 0 || n.length.integer > 0x10000))
        return "a register of length " + std::to_string(n.length.integer);
    if ((kind == NodeKind::IntReg || kind == NodeKind::MaskedIntReg || kind == NodeKind::FloatReg) &&
        !n.length.node.empty())
        return "an integer register's length must be a number";
    if (kind == NodeKind::IntReg && n.length.integer > 8)
        return "an integer register longer than 8 bytes";
    if (kind == NodeKind::FloatReg && n.length.integer != 4 && n.length.integer != 8)
        return "a float register must be 4 or 8 bytes long";
    if (kind == NodeKind::MaskedIntReg) {
        if (n.lsb < 0 || n.msb < 0 || n.length.integer > 8)
            return "a masked register needs LSB and MSB (or Bit) within 8 bytes";
        int bits = int(n.length.integer) * 8;
        if (n.lsb >= bits || n.msb >= bits)
            return "a masked register's bits lie outside it";
    }
    return {};
}

} // namespace

std::unique_ptr<NodeMap> NodeMap::load(const XmlElement& root, std::string& error)
{
    if (root.name != "RegisterDescription") {
        error = "the description's root is <" + root.name + ">, not <RegisterDescription>";
        return nullptr;
    }
    std::unique_ptr<NodeMap> map(new NodeMap());
    if (const std::string* model = root.attribute("ModelName"))
        map->model_ = *model;
    if (const std::string* vendor = root.attribute("VendorName"))
        map->vendor_ = *vendor;
    // Groups only bundle nodes; their children count as the description's own.
    std::vector<const XmlElement*> elements;
    std::function<void(const XmlElement&, int)> collect = [&](const XmlElement& parent, int depth) {
        for (const XmlElement& e : parent.children) {
            if (e.name == "Group" && depth < 8)
                collect(e, depth + 1);
            else
                elements.push_back(&e);
        }
    };
    collect(root, 0);
    for (const XmlElement* e : elements) {
        const std::string* name = e->attribute("Name");
        auto add = [&](const XmlElement& element, const std::string& nodeName, NodeKind kind,
                       const XmlElement* shared) -> bool {
            auto node = std::make_unique<Node>();
            node->name = nodeName;
            std::string why;
            if (shared) {
                // A struct entry is a masked register over its struct's address.
                // The entry's own settings come first, so they win over the struct's.
                XmlElement merged = element;
                for (const XmlElement& c : shared->children)
                    if (c.name != "StructEntry")
                        merged.children.push_back(c);
                why = readNode(merged, kind, *node);
            } else {
                why = readNode(element, kind, *node);
            }
            if (!why.empty()) {
                error = "node " + nodeName + ": " + why;
                return false;
            }
            if (map->nodes_.count(nodeName)) {
                error = "node " + nodeName + " is described twice";
                return false;
            }
            map->order_.push_back(nodeName);
            map->nodes_.emplace(nodeName, std::move(node));
            return true;
        };
        if (e->name == "StructReg") {
            for (const XmlElement& entry : e->children) {
                if (entry.name != "StructEntry")
                    continue;
                const std::string* entryName = entry.attribute("Name");
                if (!entryName) {
                    error = "a StructEntry without a Name";
                    return nullptr;
                }
                if (!add(entry, *entryName, NodeKind::MaskedIntReg, e))
                    return nullptr;
            }
            continue;
        }
        if (!name)
            continue; // comments, ports without names and the like carry no feature
        if (!add(*e, *name, kindOf(e->name), nullptr))
            return nullptr;
    }
    return map;
}

std::unique_ptr<NodeMap> NodeMap::parse(std::string_view xml, std::string& error)
{
    XmlElement root;
    error = parseXml(xml, root);
    if (!error.empty())
        return nullptr;
    return load(root, error);
}

const NodeMap::Node* NodeMap::find(std::string_view name) const
{
    auto it = nodes_.find(name);
    return it == nodes_.end() ? nullptr : it->second.get();
}

bool NodeMap::has(std::string_view name) const { return find(name) != nullptr; }

std::optional<NodeKind> NodeMap::kind(std::string_view name) const
{
    const Node* n = find(name);
    return n ? std::optional(n->kind) : std::nullopt;
}

std::string NodeMap::description(std::string_view name) const
{
    const Node* n = find(name);
    return n ? n->description : std::string();
}

std::string NodeMap::displayName(std::string_view name) const
{
    const Node* n = find(name);
    return n ? (n->displayName.empty() ? n->name : n->displayName) : std::string();
}

std::vector<FeatureEntry> NodeMap::features() const
{
    std::vector<FeatureEntry> out;
    std::set<std::string, std::less<>> seen;
    std::function<void(const Node&, const std::string&, int)> walk = [&](const Node& category,
                                                                         const std::string& path, int depth) {
        for (const std::string& f : category.features) {
            const Node* n = find(f);
            if (!n || !seen.insert(f).second)
                continue;
            if (n->kind == NodeKind::Category) {
                if (depth < kMaxDepth)
                    walk(*n, path + "/" + f, depth + 1);
            } else {
                out.push_back({f, path.empty() ? "/" : path});
            }
        }
    };
    if (const Node* root = find("Root"); root && root->kind == NodeKind::Category) {
        seen.insert("Root");
        walk(*root, "", 0);
    } else {
        // Without a root, every category that no other category lists is one.
        std::set<std::string> listed;
        for (const auto& [name, node] : nodes_)
            if (node->kind == NodeKind::Category)
                listed.insert(node->features.begin(), node->features.end());
        for (const std::string& name : order_) {
            const Node* n = find(name);
            if (n->kind == NodeKind::Category && !listed.count(name) && seen.insert(name).second)
                walk(*n, "/" + name, 0);
        }
    }
    return out;
}

// ---- evaluation

bool NodeMap::flag(const std::string& pointer, int depth, bool absent)
{
    if (pointer.empty())
        return absent;
    const Node* n = find(pointer);
    int64_t value = 0;
    if (!n || readInt(*n, depth + 1, value) != NodeError::None)
        return false; // a flag that cannot be read says no: safe for availability and lock alike
    return value != 0;
}

Access NodeMap::accessOf(const Node& n, int depth)
{
    if (depth > kMaxDepth)
        return Access::NotAvailable;
    if (!flag(n.isImplemented, depth, true))
        return Access::NotImplemented;
    if (!flag(n.isAvailable, depth, true))
        return Access::NotAvailable;
    Access a = Access::ReadWrite;
    switch (n.kind) {
    case NodeKind::Category:
    case NodeKind::SwissKnife:
    case NodeKind::IntSwissKnife: a = Access::ReadOnly; break;
    default:
        if (!n.value.node.empty()) {
            const Node* target = find(n.value.node);
            a = target ? accessOf(*target, depth + 1) : Access::NotAvailable;
        }
    }
    if (n.hasMode && a != Access::NotAvailable && a != Access::NotImplemented) {
        // The node's own mode can only narrow what its value allows.
        bool read = (a == Access::ReadWrite || a == Access::ReadOnly) && n.mode != Access::WriteOnly;
        bool write = (a == Access::ReadWrite || a == Access::WriteOnly) && n.mode != Access::ReadOnly;
        a = read && write ? Access::ReadWrite : read ? Access::ReadOnly
            : write                                  ? Access::WriteOnly
                                                     : Access::NotAvailable;
    }
    if (a == Access::ReadWrite && flag(n.isLocked, depth, false))
        a = Access::ReadOnly;
    return a;
}

Access NodeMap::access(std::string_view name)
{
    const Node* n = find(name);
    return n ? accessOf(*n, 0) : Access::NotImplemented;
}

bool NodeMap::isVolatile(std::string_view name) const
{
    const Node* n = find(name);
    for (int depth = 0; n && depth < kMaxDepth; ++depth) {
        if (n->noCache)
            return true;
        for (const auto& [var, node] : n->variables)
            if (isVolatile(node))
                return true;
        n = n->value.node.empty() ? nullptr : find(n->value.node);
    }
    return false;
}

std::vector<std::string> NodeMap::invalidated(std::string_view name) const
{
    std::set<std::string, std::less<>> chain;
    const Node* n = find(name);
    for (int depth = 0; n && depth < kMaxDepth && chain.insert(n->name).second; ++depth)
        n = n->value.node.empty() ? nullptr : find(n->value.node);
    std::vector<std::string> out;
    for (const std::string& candidate : order_) {
        const Node* c = find(candidate);
        for (const std::string& inv : c->invalidators)
            if (chain.count(inv)) {
                out.push_back(candidate);
                break;
            }
    }
    return out;
}

std::vector<std::string> NodeMap::dependencies(std::string_view name) const
{
    std::vector<std::string> out;
    std::set<std::string, std::less<>> seen;
    std::vector<std::string> pending;
    auto add = [&](const std::string& n) {
        if (!n.empty() && find(n) && seen.insert(n).second)
            pending.push_back(n);
    };
    add(std::string(name));
    // Each node once: bounded by the description's size.
    while (!pending.empty()) {
        std::string current = std::move(pending.back());
        pending.pop_back();
        out.push_back(current);
        const Node* n = find(current);
        for (const ValueRef* ref : {&n->value, &n->minimum, &n->maximum, &n->increment, &n->length})
            add(ref->node);
        for (const auto& [var, node] : n->variables)
            add(node);
        for (const AddressPart& part : n->address) {
            add(part.node);
            add(part.index);
            add(part.pOffset);
        }
        add(n->isAvailable);
        add(n->isLocked);
        add(n->isImplemented);
    }
    return out;
}

std::vector<std::string> NodeMap::writeChain(std::string_view name) const
{
    std::vector<std::string> out;
    const Node* n = find(name);
    for (int depth = 0; n && depth < kMaxDepth; ++depth) {
        if (std::find(out.begin(), out.end(), n->name) != out.end())
            break;
        out.push_back(n->name);
        n = n->value.node.empty() ? nullptr : find(n->value.node);
    }
    return out;
}

NodeError NodeMap::refInt(const ValueRef& ref, int depth, int64_t& value)
{
    if (ref.node.empty()) {
        value = ref.integer;
        return NodeError::None;
    }
    const Node* n = find(ref.node);
    if (!n)
        return NodeError::Unresolved;
    return readInt(*n, depth + 1, value);
}

NodeError NodeMap::refFloat(const ValueRef& ref, int depth, double& value)
{
    if (ref.node.empty()) {
        value = ref.number;
        return NodeError::None;
    }
    const Node* n = find(ref.node);
    if (!n)
        return NodeError::Unresolved;
    return readFloat(*n, depth + 1, value);
}

NodeError NodeMap::address(const Node& n, int depth, uint64_t& value)
{
    value = 0;
    for (const AddressPart& part : n.address) {
        if (!part.node.empty()) {
            const Node* a = find(part.node);
            int64_t v = 0;
            if (!a)
                return NodeError::Unresolved;
            if (NodeError e = readInt(*a, depth + 1, v); e != NodeError::None)
                return e;
            value += uint64_t(v);
        } else if (!part.index.empty()) {
            const Node* i = find(part.index);
            int64_t index = 0, offset = part.offset;
            if (!i)
                return NodeError::Unresolved;
            if (NodeError e = readInt(*i, depth + 1, index); e != NodeError::None)
                return e;
            if (!part.pOffset.empty()) {
                const Node* o = find(part.pOffset);
                if (!o)
                    return NodeError::Unresolved;
                if (NodeError e = readInt(*o, depth + 1, offset); e != NodeError::None)
                    return e;
            }
            value += uint64_t(index) * uint64_t(offset);
        } else {
            value += part.literal;
        }
    }
    return NodeError::None;
}

NodeError NodeMap::readBytes(const Node& n, int depth, std::vector<uint8_t>& bytes, uint64_t& at)
{
    if (NodeError e = address(n, depth, at); e != NodeError::None)
        return e;
    int64_t length = 0;
    if (NodeError e = refInt(n.length, depth, length); e != NodeError::None)
        return e;
    if (length <= 0 || length > 0x10000)
        return NodeError::Unresolved;
    bytes.assign(size_t(length), 0);
    return portRead(n, at, bytes) ? NodeError::None : NodeError::PortFailed;
}

bool NodeMap::portRead(const Node& n, uint64_t address, std::span<uint8_t> bytes)
{
    if (!port_)
        return false;
    if (!n.noCache) {
        auto it = cache_.find(n.name);
        if (it != cache_.end() && it->second.address == address && it->second.bytes.size() == bytes.size()) {
            std::copy(it->second.bytes.begin(), it->second.bytes.end(), bytes.begin());
            return true;
        }
    }
    if (!port_->read(address, bytes))
        return false;
    if (!n.noCache)
        cache_[n.name] = CachedBytes{address, std::vector<uint8_t>(bytes.begin(), bytes.end())};
    return true;
}

bool NodeMap::portWrite(uint64_t address, std::span<const uint8_t> bytes)
{
    // Whatever the outcome, what the write overlaps is no longer known.
    for (auto it = cache_.begin(); it != cache_.end();) {
        const CachedBytes& c = it->second;
        bool overlaps = c.address < address + bytes.size() && address < c.address + c.bytes.size();
        it = overlaps ? cache_.erase(it) : std::next(it);
    }
    return port_ && port_->write(address, bytes);
}

void NodeMap::invalidateAfterWrite(std::string_view name)
{
    if (cache_.empty())
        return;
    auto chain = writeChain(name);
    for (const std::string& invalid : invalidated(name))
        cache_.erase(invalid);
    // Registers read through a converter's or swiss knife's variables are not on the
    // chain; their invalidators name the written features.
    for (const std::string& node : chain)
        for (const std::string& invalid : invalidated(node))
            cache_.erase(invalid);
}

namespace {

uint64_t fromBytes(const std::vector<uint8_t>& bytes, bool little)
{
    uint64_t v = 0;
    for (size_t i = 0; i < bytes.size(); ++i)
        v |= uint64_t(bytes[little ? i : bytes.size() - 1 - i]) << (8 * i);
    return v;
}

void toBytes(uint64_t v, std::vector<uint8_t>& bytes, bool little)
{
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[little ? i : bytes.size() - 1 - i] = uint8_t(v >> (8 * i));
}

// A masked register's bit range as shifts from the least significant bit. Big-endian
// registers number their bits from the most significant one.
void bitRange(int lsb, int msb, bool little, size_t length, int& shift, int& width)
{
    int bits = int(length) * 8;
    if (little) {
        shift = std::min(lsb, msb);
        width = std::abs(msb - lsb) + 1;
    } else {
        shift = bits - 1 - std::max(lsb, msb);
        width = std::abs(lsb - msb) + 1;
    }
}

int64_t signExtend(uint64_t v, int width)
{
    if (width >= 64)
        return int64_t(v);
    uint64_t sign = uint64_t(1) << (width - 1);
    return int64_t((v ^ sign) - sign);
}

} // namespace

NodeError NodeMap::readInt(const Node& n, int depth, int64_t& value)
{
    if (depth > kMaxDepth)
        return NodeError::TooDeep;
    switch (n.kind) {
    case NodeKind::Integer:
    case NodeKind::Enumeration:
    case NodeKind::Boolean:
    case NodeKind::Command:
        if (!n.value.node.empty())
            return refInt(n.value, depth, value);
        value = n.current;
        return NodeError::None;
    case NodeKind::IntReg:
    case NodeKind::MaskedIntReg: {
        std::vector<uint8_t> bytes;
        uint64_t at = 0;
        if (NodeError e = readBytes(n, depth, bytes, at); e != NodeError::None)
            return e;
        uint64_t raw = fromBytes(bytes, n.littleEndian);
        int width = int(bytes.size()) * 8;
        if (n.kind == NodeKind::MaskedIntReg) {
            int shift = 0;
            bitRange(n.lsb, n.msb, n.littleEndian, bytes.size(), shift, width);
            raw = width >= 64 ? raw >> shift : (raw >> shift) & ((uint64_t(1) << width) - 1);
        }
        value = n.isSigned ? signExtend(raw, width) : int64_t(raw);
        return NodeError::None;
    }
    case NodeKind::IntSwissKnife:
    case NodeKind::IntConverter: {
        const Formula& f = n.kind == NodeKind::IntSwissKnife ? *n.formula : *n.formulaFrom;
        NodeError failure = NodeError::None;
        auto lookup = [&](const std::string& name, int64_t& v) {
            if (n.kind == NodeKind::IntConverter && name == "TO")
                failure = refInt(n.value, depth, v);
            else if (auto it = n.variables.find(name); it != n.variables.end()) {
                const Node* var = find(it->second);
                failure = var ? readInt(*var, depth + 1, v) : NodeError::Unresolved;
            } else
                failure = NodeError::Unresolved;
            return failure == NodeError::None;
        };
        if (!f.evaluate(Formula::IntLookup(lookup), value))
            return failure != NodeError::None ? failure : NodeError::Unresolved;
        return NodeError::None;
    }
    case NodeKind::Float:
    case NodeKind::FloatReg:
    case NodeKind::SwissKnife:
    case NodeKind::Converter: {
        double d = 0;
        if (NodeError e = readFloat(n, depth, d); e != NodeError::None)
            return e;
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e18)
            return NodeError::OutOfRange;
        value = int64_t(std::llround(d));
        return NodeError::None;
    }
    default: return NodeError::WrongKind;
    }
}

NodeError NodeMap::readFloat(const Node& n, int depth, double& value)
{
    if (depth > kMaxDepth)
        return NodeError::TooDeep;
    switch (n.kind) {
    case NodeKind::Float:
        if (!n.value.node.empty())
            return refFloat(n.value, depth, value);
        value = n.currentFloat;
        return NodeError::None;
    case NodeKind::FloatReg: {
        std::vector<uint8_t> bytes;
        uint64_t at = 0;
        if (NodeError e = readBytes(n, depth, bytes, at); e != NodeError::None)
            return e;
        uint64_t raw = fromBytes(bytes, n.littleEndian);
        if (bytes.size() == 4) {
            uint32_t r32 = uint32_t(raw);
            float f;
            std::memcpy(&f, &r32, 4);
            value = f;
        } else {
            std::memcpy(&value, &raw, 8);
        }
        return NodeError::None;
    }
    case NodeKind::SwissKnife:
    case NodeKind::Converter: {
        const Formula& f = n.kind == NodeKind::SwissKnife ? *n.formula : *n.formulaFrom;
        NodeError failure = NodeError::None;
        auto lookup = [&](const std::string& name, double& v) {
            if (n.kind == NodeKind::Converter && name == "TO")
                failure = refFloat(n.value, depth, v);
            else if (auto it = n.variables.find(name); it != n.variables.end()) {
                const Node* var = find(it->second);
                failure = var ? readFloat(*var, depth + 1, v) : NodeError::Unresolved;
            } else
                failure = NodeError::Unresolved;
            return failure == NodeError::None;
        };
        if (!f.evaluate(Formula::DoubleLookup(lookup), value))
            return failure != NodeError::None ? failure : NodeError::Unresolved;
        return NodeError::None;
    }
    default: {
        int64_t i = 0;
        if (NodeError e = readInt(n, depth, i); e != NodeError::None)
            return e;
        value = double(i);
        return NodeError::None;
    }
    }
}

NodeError NodeMap::rangeOf(const Node& n, int depth, IntRange& range)
{
    range = IntRange();
    if (n.kind == NodeKind::IntReg || n.kind == NodeKind::MaskedIntReg) {
        int width = int(n.length.integer) * 8;
        if (n.kind == NodeKind::MaskedIntReg) {
            int shift = 0;
            bitRange(n.lsb, n.msb, n.littleEndian, size_t(n.length.integer), shift, width);
        }
        if (width < 64) {
            range.minimum = n.isSigned ? -(int64_t(1) << (width - 1)) : 0;
            range.maximum = n.isSigned ? (int64_t(1) << (width - 1)) - 1 : (int64_t(1) << width) - 1;
        } else if (!n.isSigned) {
            range.minimum = 0;
        }
        return NodeError::None;
    }
    if (n.kind != NodeKind::Integer)
        return NodeError::None;
    // An Integer without its own limits takes those of its value.
    if (!n.value.node.empty()) {
        const Node* target = find(n.value.node);
        if (target && isIntegerKind(target->kind) && depth < kMaxDepth)
            rangeOf(*target, depth + 1, range);
    }
    if (n.minimum.present)
        if (NodeError e = refInt(n.minimum, depth, range.minimum); e != NodeError::None)
            return e;
    if (n.maximum.present)
        if (NodeError e = refInt(n.maximum, depth, range.maximum); e != NodeError::None)
            return e;
    if (n.increment.present)
        if (NodeError e = refInt(n.increment, depth, range.increment); e != NodeError::None)
            return e;
    if (range.increment <= 0)
        range.increment = 1;
    return NodeError::None;
}

NodeError NodeMap::frangeOf(const Node& n, int depth, FloatRange& range)
{
    range = FloatRange();
    if (isIntegerKind(n.kind)) {
        IntRange r;
        if (NodeError e = rangeOf(n, depth, r); e != NodeError::None)
            return e;
        range.minimum = double(r.minimum);
        range.maximum = double(r.maximum);
        return NodeError::None;
    }
    if (n.kind == NodeKind::Float) {
        if (n.minimum.present)
            if (NodeError e = refFloat(n.minimum, depth, range.minimum); e != NodeError::None)
                return e;
        if (n.maximum.present)
            if (NodeError e = refFloat(n.maximum, depth, range.maximum); e != NodeError::None)
                return e;
    }
    return NodeError::None;
}

NodeError NodeMap::writeInt(const Node& n, int depth, int64_t value, bool checked)
{
    if (depth > kMaxDepth)
        return NodeError::TooDeep;
    if (checked) {
        Access a = accessOf(n, depth);
        if (a != Access::ReadWrite && a != Access::WriteOnly)
            return NodeError::NotWritable;
        IntRange r;
        if (NodeError e = rangeOf(n, depth, r); e != NodeError::None)
            return e;
        if (value < r.minimum || value > r.maximum)
            return NodeError::OutOfRange;
        if (r.increment > 1 && (uint64_t(value) - uint64_t(r.minimum)) % uint64_t(r.increment) != 0)
            return NodeError::OutOfRange;
    }
    switch (n.kind) {
    case NodeKind::Integer:
    case NodeKind::Enumeration:
    case NodeKind::Boolean:
    case NodeKind::Command:
        if (!n.value.node.empty()) {
            const Node* target = find(n.value.node);
            if (!target)
                return NodeError::Unresolved;
            return writeInt(*target, depth + 1, value, false);
        }
        const_cast<Node&>(n).current = value;
        return NodeError::None;
    case NodeKind::IntReg:
    case NodeKind::MaskedIntReg: {
        uint64_t at = 0;
        if (NodeError e = address(n, depth, at); e != NodeError::None)
            return e;
        std::vector<uint8_t> bytes(size_t(n.length.integer), 0);
        IntRange r;
        rangeOf(n, depth, r);
        if (value < r.minimum || value > r.maximum)
            return NodeError::OutOfRange;
        if (!port_)
            return NodeError::PortFailed;
        uint64_t raw = uint64_t(value);
        if (n.kind == NodeKind::MaskedIntReg) {
            // Read-modify-write: the other bits are the device's.
            if (!port_->read(at, bytes))
                return NodeError::PortFailed;
            int shift = 0, width = 0;
            bitRange(n.lsb, n.msb, n.littleEndian, bytes.size(), shift, width);
            uint64_t mask = (width >= 64 ? ~uint64_t(0) : (uint64_t(1) << width) - 1) << shift;
            raw = (fromBytes(bytes, n.littleEndian) & ~mask) | ((raw << shift) & mask);
        }
        toBytes(raw, bytes, n.littleEndian);
        return portWrite(at, bytes) ? NodeError::None : NodeError::PortFailed;
    }
    case NodeKind::IntConverter: {
        int64_t raw = 0;
        NodeError failure = NodeError::None;
        auto lookup = [&](const std::string& name, int64_t& v) {
            if (name == "FROM") {
                v = value;
                return true;
            }
            if (auto it = n.variables.find(name); it != n.variables.end()) {
                const Node* var = find(it->second);
                failure = var ? readInt(*var, depth + 1, v) : NodeError::Unresolved;
                return failure == NodeError::None;
            }
            failure = NodeError::Unresolved;
            return false;
        };
        if (!n.formulaTo->evaluate(Formula::IntLookup(lookup), raw))
            return failure != NodeError::None ? failure : NodeError::Unresolved;
        const Node* target = find(n.value.node);
        if (!target)
            return NodeError::Unresolved;
        return writeInt(*target, depth + 1, raw, false);
    }
    case NodeKind::Float:
    case NodeKind::FloatReg:
    case NodeKind::Converter: return writeFloat(n, depth, double(value), false);
    default: return NodeError::NotWritable;
    }
}

NodeError NodeMap::writeFloat(const Node& n, int depth, double value, bool checked)
{
    if (depth > kMaxDepth)
        return NodeError::TooDeep;
    if (!std::isfinite(value))
        return NodeError::OutOfRange;
    if (checked) {
        Access a = accessOf(n, depth);
        if (a != Access::ReadWrite && a != Access::WriteOnly)
            return NodeError::NotWritable;
        FloatRange r;
        if (NodeError e = frangeOf(n, depth, r); e != NodeError::None)
            return e;
        if (value < r.minimum || value > r.maximum)
            return NodeError::OutOfRange;
    }
    switch (n.kind) {
    case NodeKind::Float:
        if (!n.value.node.empty()) {
            const Node* target = find(n.value.node);
            if (!target)
                return NodeError::Unresolved;
            return writeFloat(*target, depth + 1, value, false);
        }
        const_cast<Node&>(n).currentFloat = value;
        return NodeError::None;
    case NodeKind::FloatReg: {
        uint64_t at = 0;
        if (NodeError e = address(n, depth, at); e != NodeError::None)
            return e;
        std::vector<uint8_t> bytes(size_t(n.length.integer), 0);
        uint64_t raw = 0;
        if (bytes.size() == 4) {
            float f = float(value);
            uint32_t r32;
            std::memcpy(&r32, &f, 4);
            raw = r32;
        } else {
            std::memcpy(&raw, &value, 8);
        }
        toBytes(raw, bytes, n.littleEndian);
        return portWrite(at, bytes) ? NodeError::None : NodeError::PortFailed;
    }
    case NodeKind::Converter: {
        double raw = 0;
        NodeError failure = NodeError::None;
        auto lookup = [&](const std::string& name, double& v) {
            if (name == "FROM") {
                v = value;
                return true;
            }
            if (auto it = n.variables.find(name); it != n.variables.end()) {
                const Node* var = find(it->second);
                failure = var ? readFloat(*var, depth + 1, v) : NodeError::Unresolved;
                return failure == NodeError::None;
            }
            failure = NodeError::Unresolved;
            return false;
        };
        if (!n.formulaTo->evaluate(Formula::DoubleLookup(lookup), raw))
            return failure != NodeError::None ? failure : NodeError::Unresolved;
        const Node* target = find(n.value.node);
        if (!target)
            return NodeError::Unresolved;
        if (isFloatKind(target->kind))
            return writeFloat(*target, depth + 1, raw, false);
        if (!std::isfinite(raw) || std::fabs(raw) >= 9.2e18)
            return NodeError::OutOfRange;
        // The integer behind a converter keeps its own limits.
        return writeInt(*target, depth + 1, std::llround(raw), true);
    }
    default:
        if (isIntegerKind(n.kind)) {
            if (std::fabs(value) >= 9.2e18)
                return NodeError::OutOfRange;
            return writeInt(n, depth, std::llround(value), false);
        }
        return NodeError::NotWritable;
    }
}

// ---- the typed interface

namespace {
bool readable(Access a) { return a == Access::ReadOnly || a == Access::ReadWrite; }
} // namespace

NodeError NodeMap::getInt(std::string_view name, int64_t& value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (!isIntegerKind(n->kind) || n->kind == NodeKind::Command)
        return NodeError::WrongKind;
    if (!readable(accessOf(*n, 0)))
        return NodeError::NotReadable;
    return readInt(*n, 0, value);
}

NodeError NodeMap::setInt(std::string_view name, int64_t value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (!isIntegerKind(n->kind) || n->kind == NodeKind::Enumeration || n->kind == NodeKind::Boolean)
        return NodeError::WrongKind;
    NodeError e = writeInt(*n, 0, value, true);
    invalidateAfterWrite(name);
    return e;
}

NodeError NodeMap::intRange(std::string_view name, IntRange& range)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (!isIntegerKind(n->kind))
        return NodeError::WrongKind;
    return rangeOf(*n, 0, range);
}

NodeError NodeMap::getFloat(std::string_view name, double& value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (!isFloatKind(n->kind) && !isIntegerKind(n->kind))
        return NodeError::WrongKind;
    if (!readable(accessOf(*n, 0)))
        return NodeError::NotReadable;
    return readFloat(*n, 0, value);
}

NodeError NodeMap::setFloat(std::string_view name, double value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (!isFloatKind(n->kind))
        return NodeError::WrongKind;
    NodeError e = writeFloat(*n, 0, value, true);
    invalidateAfterWrite(name);
    return e;
}

NodeError NodeMap::floatRange(std::string_view name, FloatRange& range)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (!isFloatKind(n->kind) && !isIntegerKind(n->kind))
        return NodeError::WrongKind;
    return frangeOf(*n, 0, range);
}

NodeError NodeMap::getString(std::string_view name, std::string& value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind == NodeKind::String) {
        value = n->currentString;
        return NodeError::None;
    }
    if (n->kind != NodeKind::StringReg)
        return NodeError::WrongKind;
    if (!readable(accessOf(*n, 0)))
        return NodeError::NotReadable;
    std::vector<uint8_t> bytes;
    uint64_t at = 0;
    if (NodeError e = readBytes(*n, 0, bytes, at); e != NodeError::None)
        return e;
    value.assign(bytes.begin(), std::find(bytes.begin(), bytes.end(), uint8_t(0)));
    return NodeError::None;
}

NodeError NodeMap::setString(std::string_view name, std::string_view value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::String && n->kind != NodeKind::StringReg)
        return NodeError::WrongKind;
    Access a = accessOf(*n, 0);
    if (a != Access::ReadWrite && a != Access::WriteOnly)
        return NodeError::NotWritable;
    if (n->kind == NodeKind::String) {
        const_cast<Node*>(n)->currentString = std::string(value);
        return NodeError::None;
    }
    uint64_t at = 0;
    if (NodeError e = address(*n, 0, at); e != NodeError::None)
        return e;
    int64_t length = 0;
    if (NodeError e = refInt(n->length, 0, length); e != NodeError::None)
        return e;
    // The text and its terminating zero, when there is room for one.
    if (length <= 0 || length > 0x10000 || value.size() > size_t(length))
        return NodeError::OutOfRange;
    std::vector<uint8_t> bytes(size_t(length), 0);
    std::memcpy(bytes.data(), value.data(), value.size());
    NodeError e = portWrite(at, bytes) ? NodeError::None : NodeError::PortFailed;
    invalidateAfterWrite(name);
    return e;
}

NodeError NodeMap::getEnum(std::string_view name, std::string& entry)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::Enumeration)
        return NodeError::WrongKind;
    if (!readable(accessOf(*n, 0)))
        return NodeError::NotReadable;
    int64_t value = 0;
    if (NodeError e = readInt(*n, 0, value); e != NodeError::None)
        return e;
    for (const EnumEntry& e : n->entries)
        if (e.value == value) {
            entry = e.name;
            return NodeError::None;
        }
    return NodeError::OutOfRange; // the device holds a value no entry names
}

NodeError NodeMap::setEnum(std::string_view name, std::string_view entry)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::Enumeration)
        return NodeError::WrongKind;
    for (const EnumEntry& e : n->entries) {
        if (e.name != entry)
            continue;
        if (!flag(e.isImplemented, 0, true) || !flag(e.isAvailable, 0, true))
            return NodeError::OutOfRange;
        NodeError error = writeInt(*n, 0, e.value, true);
        invalidateAfterWrite(name);
        return error;
    }
    return NodeError::OutOfRange;
}

NodeError NodeMap::enumEntries(std::string_view name, std::vector<std::string>& entries)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::Enumeration)
        return NodeError::WrongKind;
    entries.clear();
    for (const EnumEntry& e : n->entries)
        if (flag(e.isImplemented, 0, true) && flag(e.isAvailable, 0, true))
            entries.push_back(e.name);
    return NodeError::None;
}

NodeError NodeMap::enumEntryValue(std::string_view name, std::string_view entry, int64_t& value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::Enumeration)
        return NodeError::WrongKind;
    for (const EnumEntry& e : n->entries)
        if (e.name == entry) {
            value = e.value;
            return NodeError::None;
        }
    return NodeError::OutOfRange;
}

NodeError NodeMap::getBool(std::string_view name, bool& value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::Boolean)
        return NodeError::WrongKind;
    if (!readable(accessOf(*n, 0)))
        return NodeError::NotReadable;
    int64_t raw = 0;
    if (NodeError e = readInt(*n, 0, raw); e != NodeError::None)
        return e;
    int64_t on = n->onValue.present ? n->onValue.integer : 1;
    int64_t off = n->offValue.present ? n->offValue.integer : 0;
    if (raw != on && raw != off)
        return NodeError::OutOfRange;
    value = raw == on;
    return NodeError::None;
}

NodeError NodeMap::setBool(std::string_view name, bool value)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::Boolean)
        return NodeError::WrongKind;
    int64_t on = n->onValue.present ? n->onValue.integer : 1;
    int64_t off = n->offValue.present ? n->offValue.integer : 0;
    NodeError e = writeInt(*n, 0, value ? on : off, true);
    invalidateAfterWrite(name);
    return e;
}

NodeError NodeMap::execute(std::string_view name)
{
    const Node* n = find(name);
    if (!n)
        return NodeError::NotFound;
    if (n->kind != NodeKind::Command)
        return NodeError::WrongKind;
    int64_t value = 1;
    if (n->commandValue.present)
        if (NodeError e = refInt(n->commandValue, 0, value); e != NodeError::None)
            return e;
    Access a = accessOf(*n, 0);
    if (a != Access::ReadWrite && a != Access::WriteOnly)
        return NodeError::NotWritable;
    NodeError e = writeInt(*n, 0, value, false);
    // A command may change anything on the device.
    cache_.clear();
    return e;
}

} // namespace mkgev
