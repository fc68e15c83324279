// A device's features as the camera library's attributes: every feature its categories
// list, with the attribute record (type from the node kind and range, read and write
// flags from the access mode, volatile from the caching, category path, impacts from
// the invalidator links inverted and from the values each feature is computed from),
// typed values and the library's codes.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_gev/NodeMap.h"

#include <map>
#include <string>
#include <vector>

namespace mkgev {

class GvcpPort;

class FeatureAttributes {
public:
    // Reads the ranges of the integer features once to fix their types. `port` (optional)
    // tells a device that did not answer from one that refused.
    FeatureAttributes(NodeMap& map, const GvcpPort* port = nullptr);

    const std::vector<std::string>& names() const { return names_; }
    mkapi::Code describe(std::string_view name, mkapi::AttrDescription& description);
    mkapi::Code isAvailable(std::string_view name);
    mkapi::Code isValid(std::string_view name);
    mkapi::Code range(std::string_view name, uint32_t type, mkapi::AttrRange& range);
    mkapi::Code get(std::string_view name, uint32_t type, mkapi::AttrValue& value);
    mkapi::Code set(std::string_view name, uint32_t type, const mkapi::AttrValue& value);
    mkapi::Code run(std::string_view name);

    // The MK_ATTR_* type of a feature, 0 for one the library has no type for.
    uint32_t typeOf(std::string_view name) const;

private:
    struct Entry {
        uint32_t type = 0;
        std::string category;
        std::string impacts;
    };
    const Entry* find(std::string_view name) const;
    mkapi::Code codeOf(NodeError error, std::string_view name);

    NodeMap& map_;
    const GvcpPort* port_;
    std::vector<std::string> names_;
    std::map<std::string, Entry, std::less<>> entries_;
};

} // namespace mkgev
