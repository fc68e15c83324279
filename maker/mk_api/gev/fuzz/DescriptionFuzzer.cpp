// Arbitrary device descriptions (plain or zipped) and formulas: parse, then read, range
// and write every feature over a port whose memory is the input itself.
#include "mk_gev/Description.h"
#include "mk_gev/Formula.h"
#include "mk_gev/NodeMap.h"

#include <cstring>
#include <string_view>

namespace {

struct Port : mkgev::RegisterPort {
    std::span<const uint8_t> memory;
    bool read(uint64_t address, std::span<uint8_t> bytes) override
    {
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = memory.empty() ? 0 : memory[(address + i) % memory.size()];
        return address % 7 != 3;
    }
    bool write(uint64_t address, std::span<const uint8_t>) override { return address % 5 != 1; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (auto formula = mkgev::Formula::parse(text.substr(0, 512), error)) {
        int64_t i = 0;
        double d = 0;
        formula->evaluate(mkgev::Formula::IntLookup([](const std::string&, int64_t& v) {
                              v = 3;
                              return true;
                          }),
                          i);
        formula->evaluate(mkgev::Formula::DoubleLookup([](const std::string&, double& v) {
                              v = 0.5;
                              return true;
                          }),
                          d);
    }
    std::string xml;
    if (size > 4 && data[0] == 'P' && data[1] == 'K')
        mkgev::unzipDescription(std::span(data, size), xml);
    else
        xml.assign(text);
    auto map = mkgev::NodeMap::parse(xml, error);
    if (!map)
        return 0;
    Port port;
    port.memory = std::span(data, size);
    map->setPort(&port);
    int count = 0;
    for (const auto& feature : map->features()) {
        if (++count > 200)
            break;
        const std::string& name = feature.name;
        int64_t i = 0;
        double d = 0;
        bool b = false;
        std::string s;
        std::vector<std::string> entries;
        mkgev::IntRange ir;
        mkgev::FloatRange fr;
        map->access(name);
        map->isVolatile(name);
        map->invalidated(name);
        map->getInt(name, i);
        map->intRange(name, ir);
        map->setInt(name, ir.minimum);
        map->getFloat(name, d);
        map->floatRange(name, fr);
        map->setFloat(name, fr.maximum);
        map->getString(name, s);
        map->setString(name, "fuzz");
        map->getBool(name, b);
        map->setBool(name, !b);
        if (map->enumEntries(name, entries) == mkgev::NodeError::None && !entries.empty())
            map->setEnum(name, entries.back());
        map->getEnum(name, s);
        map->execute(name);
    }
    return 0;
}
