// A device's feature tree from its description XML: categories, integers, floats,
// enumerations, booleans, commands, strings, registers (integer, masked, float, string,
// struct entries), swiss knives and converters with their formulas, read and written
// through a register port. Registers are cached unless their description says NoCache;
// a write drops what it overlaps and what names the written nodes as invalidators, and a
// command drops everything. Not thread-safe: its owner serialises the calls.
#pragma once

#include "mk_gev/Formula.h"
#include "mk_gev/Xml.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mkgev {

enum class NodeKind {
    Category,
    Integer,
    Float,
    Enumeration,
    Boolean,
    Command,
    String,
    IntReg,
    MaskedIntReg,
    FloatReg,
    StringReg,
    SwissKnife,
    IntSwissKnife,
    Converter,
    IntConverter,
    Port,
    Other,
};
const char* nodeKindName(NodeKind kind);

// Effective access of a feature now: not implemented, not available, or the modes.
enum class Access { NotImplemented,
                    NotAvailable,
                    WriteOnly,
                    ReadOnly,
                    ReadWrite };

enum class NodeError {
    None,
    NotFound,
    WrongKind,   // e.g. a string read of an integer
    NotReadable, // write-only, unavailable or not implemented
    NotWritable, // read-only, locked, unavailable
    OutOfRange,  // below the minimum, above the maximum, off the increment, not an entry
    PortFailed,  // the device did not take or answer the access
    Unresolved,  // a formula or reference that cannot be evaluated (unknown node, x/0)
    TooDeep,     // references nest beyond kMaxDepth (or loop)
};
const char* nodeErrorName(NodeError error);

// Where register nodes read and write: the device's memory. Addresses are the
// description's; the port takes care of the protocol's alignment.
class RegisterPort {
public:
    virtual ~RegisterPort() = default;
    virtual bool read(uint64_t address, std::span<uint8_t> bytes) = 0;
    virtual bool write(uint64_t address, std::span<const uint8_t> bytes) = 0;
};

struct IntRange {
    int64_t minimum = INT64_MIN, maximum = INT64_MAX, increment = 1;
};
struct FloatRange {
    double minimum = -1.7976931348623157e308, maximum = 1.7976931348623157e308;
};

// A feature as a category lists it: its name and its category path ("/A/B").
struct FeatureEntry {
    std::string name;
    std::string category;
};

struct ValueRef; // a literal or a node's value

class NodeMap {
public:
    // Chains of references deeper than this are refused (and so are loops).
    static constexpr int kMaxDepth = 32;

    // nullptr with `error` naming the node and what is wrong with it.
    static std::unique_ptr<NodeMap> load(const XmlElement& root, std::string& error);
    static std::unique_ptr<NodeMap> parse(std::string_view xml, std::string& error);

    void setPort(RegisterPort* port)
    {
        port_ = port;
        cache_.clear();
    }
    // Forgets every cached register (the device may have changed them on its own).
    void invalidateCache() { cache_.clear(); }

    std::string modelName() const { return model_; }
    std::string vendorName() const { return vendor_; }

    bool has(std::string_view name) const;
    std::optional<NodeKind> kind(std::string_view name) const;
    std::string description(std::string_view name) const;
    std::string displayName(std::string_view name) const;
    // Every feature under the root category, depth first, in the order listed; each once.
    std::vector<FeatureEntry> features() const;

    Access access(std::string_view name);
    // Whether a read can give another answer without a write through this map: some
    // register in its chain is not cached by the device's description.
    bool isVolatile(std::string_view name) const;
    // Nodes whose value may change when `name` is written: those that name it, or a node
    // its value is read through, as an invalidator.
    std::vector<std::string> invalidated(std::string_view name) const;
    // Every node a feature's value, range, availability or lock is computed from, the
    // feature itself included.
    std::vector<std::string> dependencies(std::string_view name) const;
    // The nodes a write to the feature goes through (its value chain, converters' targets).
    std::vector<std::string> writeChain(std::string_view name) const;

    // Integers: Integer, IntReg, MaskedIntReg, IntSwissKnife, IntConverter, Enumeration
    // and Boolean (their integer value), Command (its register).
    NodeError getInt(std::string_view name, int64_t& value);
    NodeError setInt(std::string_view name, int64_t value);
    NodeError intRange(std::string_view name, IntRange& range);
    // Floats: Float, FloatReg, SwissKnife, Converter, and integers as floats.
    NodeError getFloat(std::string_view name, double& value);
    NodeError setFloat(std::string_view name, double value);
    NodeError floatRange(std::string_view name, FloatRange& range);
    NodeError getString(std::string_view name, std::string& value);
    NodeError setString(std::string_view name, std::string_view value);
    // Enumerations by entry name; the entries available now, in description order.
    NodeError getEnum(std::string_view name, std::string& entry);
    NodeError setEnum(std::string_view name, std::string_view entry);
    NodeError enumEntries(std::string_view name, std::vector<std::string>& entries);
    NodeError enumEntryValue(std::string_view name, std::string_view entry, int64_t& value);
    NodeError getBool(std::string_view name, bool& value);
    NodeError setBool(std::string_view name, bool value);
    NodeError execute(std::string_view name);

    struct Node; // the description's content, one per named node
    ~NodeMap();

private:
    NodeMap();
    const Node* find(std::string_view name) const;
    NodeError readInt(const Node& node, int depth, int64_t& value);
    NodeError writeInt(const Node& node, int depth, int64_t value, bool checked);
    NodeError readFloat(const Node& node, int depth, double& value);
    NodeError writeFloat(const Node& node, int depth, double value, bool checked);
    NodeError address(const Node& node, int depth, uint64_t& value);
    NodeError refInt(const ValueRef& ref, int depth, int64_t& value);
    NodeError refFloat(const ValueRef& ref, int depth, double& value);
    Access accessOf(const Node& node, int depth);
    NodeError rangeOf(const Node& node, int depth, IntRange& range);
    NodeError frangeOf(const Node& node, int depth, FloatRange& range);
    NodeError readBytes(const Node& node, int depth, std::vector<uint8_t>& bytes, uint64_t& at);
    bool flag(const std::string& pointer, int depth, bool absent);
    bool portRead(const Node& node, uint64_t address, std::span<uint8_t> bytes);
    bool portWrite(uint64_t address, std::span<const uint8_t> bytes);
    void invalidateAfterWrite(std::string_view name);

    struct CachedBytes {
        uint64_t address = 0;
        std::vector<uint8_t> bytes;
    };
    std::map<std::string, CachedBytes, std::less<>> cache_;

    std::map<std::string, std::unique_ptr<Node>, std::less<>> nodes_;
    std::vector<std::string> order_;
    std::string model_, vendor_;
    RegisterPort* port_ = nullptr;
};

} // namespace mkgev
