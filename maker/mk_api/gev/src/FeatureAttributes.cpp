// Features as attributes: the record, the typed values and the codes.
#include "mk_gev/FeatureAttributes.h"

#include "mk_api/MkApi.h"
#include "mk_gev/Description.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace mkgev {

namespace {

bool readable(Access a) { return a == Access::ReadOnly || a == Access::ReadWrite; }
bool writable(Access a) { return a == Access::WriteOnly || a == Access::ReadWrite; }

} // namespace

FeatureAttributes::FeatureAttributes(NodeMap& map, const GvcpPort* port) : map_(map), port_(port)
{
    auto features = map_.features();
    // What each write touches, and what each feature is computed from.
    std::map<std::string, std::set<std::string>> touched, from;
    for (const FeatureEntry& f : features) {
        auto chain = map_.writeChain(f.name);
        std::set<std::string> t(chain.begin(), chain.end());
        for (const std::string& n : chain)
            for (const std::string& inv : map_.invalidated(n))
                t.insert(inv);
        touched[f.name] = std::move(t);
        auto deps = map_.dependencies(f.name);
        from[f.name] = std::set<std::string>(deps.begin(), deps.end());
    }
    for (const FeatureEntry& f : features) {
        Entry e;
        e.category = f.category;
        switch (map_.kind(f.name).value_or(NodeKind::Other)) {
        case NodeKind::Command: e.type = MK_ATTR_COMMAND; break;
        case NodeKind::String:
        case NodeKind::StringReg: e.type = MK_ATTR_STRING; break;
        case NodeKind::Enumeration: e.type = MK_ATTR_ENUM; break;
        case NodeKind::Boolean: e.type = MK_ATTR_BOOLEAN; break;
        case NodeKind::Float:
        case NodeKind::FloatReg:
        case NodeKind::SwissKnife:
        case NodeKind::Converter: e.type = MK_ATTR_FLOAT32; break;
        case NodeKind::Integer:
        case NodeKind::IntReg:
        case NodeKind::MaskedIntReg:
        case NodeKind::IntSwissKnife:
        case NodeKind::IntConverter: {
            // An integer whose whole range fits 32 unsigned bits is one; any other, or
            // one whose range cannot be read, is 64-bit signed.
            IntRange r;
            bool fits = map_.intRange(f.name, r) == NodeError::None && r.minimum >= 0 && r.maximum <= 0xFFFFFFFFll;
            e.type = fits ? MK_ATTR_UINT32 : MK_ATTR_INT64;
            break;
        }
        default: e.type = 0;
        }
        // Features whose value, range, availability or lock a write to this one changes.
        std::string impacts;
        const auto& t = touched[f.name];
        for (const FeatureEntry& g : features) {
            if (g.name == f.name)
                continue;
            const auto& deps = from[g.name];
            bool hit = std::any_of(t.begin(), t.end(), [&](const std::string& n) { return deps.count(n) > 0; });
            if (hit)
                impacts += (impacts.empty() ? "" : ",") + g.name;
        }
        e.impacts = std::move(impacts);
        names_.push_back(f.name);
        entries_.emplace(f.name, std::move(e));
    }
}

const FeatureAttributes::Entry* FeatureAttributes::find(std::string_view name) const
{
    auto it = entries_.find(name);
    return it == entries_.end() ? nullptr : &it->second;
}

uint32_t FeatureAttributes::typeOf(std::string_view name) const
{
    const Entry* e = find(name);
    return e ? e->type : 0;
}

mkapi::Code FeatureAttributes::codeOf(NodeError error, std::string_view name)
{
    switch (error) {
    case NodeError::None: return MK_ERR_SUCCESS;
    case NodeError::NotFound: return MK_ERR_NOT_FOUND;
    case NodeError::WrongKind: return MK_ERR_WRONG_TYPE;
    case NodeError::OutOfRange: return MK_ERR_OUT_OF_RANGE;
    case NodeError::NotReadable:
    case NodeError::NotWritable: {
        Access a = map_.access(name);
        if (a == Access::NotAvailable || a == Access::NotImplemented)
            return MK_ERR_UNAVAILABLE;
        return MK_ERR_FORBIDDEN;
    }
    case NodeError::PortFailed:
        if (port_ && port_->lastResult().outcome == GvcpOutcome::Timeout)
            return MK_ERR_TIMEOUT;
        return MK_ERR_CAMERA_FAULT;
    case NodeError::Unresolved:
    case NodeError::TooDeep: return MK_ERR_CAMERA_FAULT; // the device's description is at fault
    }
    return MK_ERR_INTERNAL_FAULT;
}

mkapi::Code FeatureAttributes::describe(std::string_view name, mkapi::AttrDescription& description)
{
    const Entry* e = find(name);
    if (!e)
        return MK_ERR_NOT_FOUND;
    Access a = map_.access(name);
    description.type = e->type;
    description.flags = (readable(a) ? MK_FLAG_READ : 0) | (writable(a) ? MK_FLAG_WRITE : 0) |
        (map_.isVolatile(name) ? MK_FLAG_VOLATILE : 0);
    // A command is run, not read.
    if (e->type == MK_ATTR_COMMAND)
        description.flags &= ~uint32_t(MK_FLAG_READ);
    description.category = e->category;
    description.impacts = e->impacts;
    return MK_ERR_SUCCESS;
}

mkapi::Code FeatureAttributes::isAvailable(std::string_view name)
{
    if (!find(name))
        return MK_ERR_NOT_FOUND;
    Access a = map_.access(name);
    return a == Access::NotAvailable || a == Access::NotImplemented ? MK_ERR_UNAVAILABLE : MK_ERR_SUCCESS;
}

mkapi::Code FeatureAttributes::isValid(std::string_view name)
{
    const Entry* e = find(name);
    if (!e)
        return MK_ERR_NOT_FOUND;
    if (e->type == MK_ATTR_UINT32 || e->type == MK_ATTR_INT64) {
        int64_t v = 0;
        IntRange r;
        if (map_.getInt(name, v) != NodeError::None || map_.intRange(name, r) != NodeError::None)
            return MK_ERR_SUCCESS; // nothing to hold against it
        return v < r.minimum || v > r.maximum ? MK_ERR_OUT_OF_RANGE : MK_ERR_SUCCESS;
    }
    if (e->type == MK_ATTR_FLOAT32) {
        double v = 0;
        FloatRange r;
        if (map_.getFloat(name, v) != NodeError::None || map_.floatRange(name, r) != NodeError::None)
            return MK_ERR_SUCCESS;
        return v < r.minimum || v > r.maximum ? MK_ERR_OUT_OF_RANGE : MK_ERR_SUCCESS;
    }
    if (e->type == MK_ATTR_ENUM) {
        std::string entry;
        return map_.getEnum(name, entry) == NodeError::OutOfRange ? MK_ERR_OUT_OF_RANGE : MK_ERR_SUCCESS;
    }
    return MK_ERR_SUCCESS;
}

mkapi::Code FeatureAttributes::range(std::string_view name, uint32_t type, mkapi::AttrRange& range)
{
    const Entry* e = find(name);
    if (!e)
        return MK_ERR_NOT_FOUND;
    if (type != e->type)
        return MK_ERR_WRONG_TYPE;
    range.choices.clear();
    switch (type) {
    case MK_ATTR_UINT32:
    case MK_ATTR_INT64: {
        IntRange r;
        if (NodeError err = map_.intRange(name, r); err != NodeError::None)
            return codeOf(err, name);
        if (type == MK_ATTR_UINT32) {
            range.minimum = uint32_t(std::clamp<int64_t>(r.minimum, 0, 0xFFFFFFFFll));
            range.maximum = uint32_t(std::clamp<int64_t>(r.maximum, 0, 0xFFFFFFFFll));
        } else {
            range.minimum = r.minimum;
            range.maximum = r.maximum;
        }
        return MK_ERR_SUCCESS;
    }
    case MK_ATTR_FLOAT32: {
        FloatRange r;
        if (NodeError err = map_.floatRange(name, r); err != NodeError::None)
            return codeOf(err, name);
        constexpr double kFloatMax = 3.4028234663852886e38;
        range.minimum = float(std::clamp(r.minimum, -kFloatMax, kFloatMax));
        range.maximum = float(std::clamp(r.maximum, -kFloatMax, kFloatMax));
        return MK_ERR_SUCCESS;
    }
    case MK_ATTR_ENUM:
        range.minimum = std::string();
        range.maximum = std::string();
        return codeOf(map_.enumEntries(name, range.choices), name);
    default: return MK_ERR_WRONG_TYPE;
    }
}

mkapi::Code FeatureAttributes::get(std::string_view name, uint32_t type, mkapi::AttrValue& value)
{
    const Entry* e = find(name);
    if (!e)
        return MK_ERR_NOT_FOUND;
    if (type != e->type || type == MK_ATTR_COMMAND)
        return MK_ERR_WRONG_TYPE;
    NodeError err = NodeError::WrongKind;
    switch (type) {
    case MK_ATTR_UINT32:
    case MK_ATTR_INT64: {
        int64_t v = 0;
        err = map_.getInt(name, v);
        if (err != NodeError::None)
            break;
        if (type == MK_ATTR_UINT32) {
            if (v < 0 || v > 0xFFFFFFFFll)
                return MK_ERR_OUT_OF_RANGE;
            value = uint32_t(v);
        } else {
            value = v;
        }
        break;
    }
    case MK_ATTR_FLOAT32: {
        double v = 0;
        err = map_.getFloat(name, v);
        if (err == NodeError::None)
            value = float(v);
        break;
    }
    case MK_ATTR_STRING:
    case MK_ATTR_ENUM: {
        std::string v;
        err = type == MK_ATTR_ENUM ? map_.getEnum(name, v) : map_.getString(name, v);
        if (err == NodeError::None)
            value = std::move(v);
        break;
    }
    case MK_ATTR_BOOLEAN: {
        bool v = false;
        err = map_.getBool(name, v);
        if (err == NodeError::None)
            value = v;
        break;
    }
    default: break;
    }
    return codeOf(err, name);
}

mkapi::Code FeatureAttributes::set(std::string_view name, uint32_t type, const mkapi::AttrValue& value)
{
    const Entry* e = find(name);
    if (!e)
        return MK_ERR_NOT_FOUND;
    if (type != e->type || type == MK_ATTR_COMMAND)
        return MK_ERR_WRONG_TYPE;
    NodeError err = NodeError::WrongKind;
    switch (type) {
    case MK_ATTR_UINT32:
        if (auto* v = std::get_if<uint32_t>(&value))
            err = map_.setInt(name, int64_t(*v));
        break;
    case MK_ATTR_INT64:
        if (auto* v = std::get_if<int64_t>(&value))
            err = map_.setInt(name, *v);
        break;
    case MK_ATTR_FLOAT32:
        if (auto* v = std::get_if<float>(&value))
            err = std::isfinite(*v) ? map_.setFloat(name, double(*v)) : NodeError::OutOfRange;
        break;
    case MK_ATTR_STRING:
        if (auto* v = std::get_if<std::string>(&value))
            err = map_.setString(name, *v);
        break;
    case MK_ATTR_ENUM:
        if (auto* v = std::get_if<std::string>(&value))
            err = map_.setEnum(name, *v);
        break;
    case MK_ATTR_BOOLEAN:
        if (auto* v = std::get_if<bool>(&value))
            err = map_.setBool(name, *v);
        break;
    default: break;
    }
    return codeOf(err, name);
}

mkapi::Code FeatureAttributes::run(std::string_view name)
{
    const Entry* e = find(name);
    if (!e)
        return MK_ERR_NOT_FOUND;
    if (e->type != MK_ATTR_COMMAND)
        return MK_ERR_WRONG_TYPE;
    return codeOf(map_.execute(name), name);
}

} // namespace mkgev
