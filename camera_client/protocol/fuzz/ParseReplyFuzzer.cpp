// Feeds arbitrary replies to the reply parser for every item kind, then runs the
// rules and the header over the resulting record, so hostile values a camera
// might send are checked for reads outside the reply, overflows and crashes.
#include "kl7700/Commands.h"
#include "kl7700/ParameterRules.h"
#include "kl7700/Timing.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    constexpr int kItemCount = static_cast<int>(kl7700::Item::LoadDefaults) + 1;
    const auto item = static_cast<kl7700::Item>(data[0] % kItemCount);
    const std::string_view reply(reinterpret_cast<const char*>(data + 1), size - 1);

    kl7700::ParameterRecord camera;
    kl7700::SetBuiltInDefaults(camera);
    kl7700::ParseReply(item, reply, camera);
    // A second pass over a dump fills every key the reply holds, whatever item
    // the first byte chose.
    kl7700::ParseReply(kl7700::Item::Dump, reply, camera);

    // Each rule alone on the parsed record, then all of them in a row.
    kl7700::ParameterRecord chained = camera;
    for (kl7700::Rule rule : kl7700::kAllRules) {
        kl7700::ParameterRecord working = camera;
        kl7700::ApplyParameterRules(rule, working, camera);
        kl7700::ApplyParameterRules(rule, chained, camera);
        (void)kl7700::MakeHeaderTexts(working, false);
    }
    for (size_t p = 0; p < kl7700::kParameterCount; ++p) {
        (void)kl7700::MakeCommand(static_cast<kl7700::Item>(p), kl7700::CommandForm::Set, chained);
    }
    (void)kl7700::MakeHeaderTexts(chained, false);
    return 0;
}
