// How the library makes its backends from the description file: each backend names itself
// and the sections it reads; "[Library] Backends=" chooses which run.
#pragma once

#include "mk_api_core/Backend.h"
#include "mk_api_core/Description.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mkapi {

struct BackendFactory {
    std::string name; // as written in "Backends=", compared without case
    // Whether a section of the description belongs to this backend.
    std::function<bool(const DescriptionSection&)> claims;
    // Builds the backend from the sections it claims; a bad entry adds an error and
    // returns null (the library then serves its built-in default network instead).
    std::function<std::unique_ptr<Backend>(const Description&, const Clock&, std::vector<DescriptionError>&)> make;
};

} // namespace mkapi
