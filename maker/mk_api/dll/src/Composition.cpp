// The description file and the backends it chooses, with the built-in network as fallback.
#include "mk_api_dll/Composition.h"

#include "gige_sim/Network.h"
#include "mk_gev/GevBackend.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mkapi {
namespace {

std::vector<BackendFactory> factories() { return {gigesim::simulatedNetworkFactory(), mkgev::gigeVisionFactory()}; }

std::string lower(std::string text)
{
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The backends a description chooses; null and errors when anything is wrong.
// "both" stands for every network there is, the simulated one first.
void addChosen(std::vector<std::string>& chosen, std::string name)
{
    name = lower(name);
    if (name == "both") {
        chosen.push_back("simulated");
        chosen.push_back("gigevision");
    } else {
        chosen.push_back(name);
    }
}

std::vector<std::string> listOf(const std::string& value)
{
    std::vector<std::string> chosen;
    std::stringstream in(value);
    for (std::string name; std::getline(in, name, ',');) {
        name.erase(std::remove_if(name.begin(), name.end(), [](unsigned char c) { return std::isspace(c); }),
                   name.end());
        addChosen(chosen, name);
    }
    return chosen;
}

// The backends a description chooses; null and errors when anything is wrong. `override`,
// when not empty, is MKAPI_BACKENDS and stands in for "[Library] Backends=".
std::vector<std::unique_ptr<Backend>> backendsOf(const Description& description, const TimeSource& time,
                                                 std::vector<DescriptionError>& errors,
                                                 const std::string& override = "")
{
    std::vector<std::string> chosen{"simulated"};
    int line = 0;
    if (const DescriptionSection* library = description.section("Library")) {
        line = library->line;
        for (const DescriptionEntry& e : library->entries) {
            if (lower(e.key) != "backends") {
                errors.push_back(description.errorAt(e.line, "[Library] " + e.key + ": unknown key"));
                continue;
            }
            chosen = listOf(e.value);
            line = e.line;
        }
    }
    if (!override.empty())
        chosen = listOf(override);
    const std::vector<BackendFactory> known = factories();
    for (const DescriptionSection& section : description.sections()) {
        const bool claimed = lower(section.name) == "library" ||
            std::any_of(known.begin(), known.end(), [&](const BackendFactory& f) { return f.claims(section); });
        if (!claimed)
            errors.push_back(description.errorAt(section.line, "unknown section [" + section.name + "]"));
    }
    std::vector<std::unique_ptr<Backend>> backends;
    for (const std::string& name : chosen) {
        const auto factory =
            std::find_if(known.begin(), known.end(), [&](const BackendFactory& f) { return lower(f.name) == name; });
        if (factory == known.end()) {
            errors.push_back(description.errorAt(line, "[Library] Backends: unknown backend '" + name + "'"));
            continue;
        }
        if (auto backend = factory->make(description, time, errors))
            backends.push_back(std::move(backend));
    }
    if (!errors.empty())
        backends.clear();
    return backends;
}

std::unique_ptr<Library> builtIn(const TimeSource& time, bool ownThread, std::string diagnostics)
{
    DescriptionError error;
    const auto description = Description::parse(gigesim::defaultNetworkDescription(), "(built-in network)", error);
    std::vector<DescriptionError> errors;
    return std::make_unique<Library>(backendsOf(*description, time, errors), time, ownThread, std::move(diagnostics));
}

} // namespace

std::unique_ptr<Library> composeLibraryFromText(const std::string& text, const std::string& file,
                                                const TimeSource& time, bool ownThread, Composition& composition)
{
    composition.file = file;
    DescriptionError error;
    const auto description = Description::parse(text, file, error);
    std::vector<DescriptionError> errors;
    if (!description)
        errors.push_back(error);
    std::vector<std::unique_ptr<Backend>> backends;
    const char* chosen = std::getenv("MKAPI_BACKENDS");
    if (description)
        backends = backendsOf(*description, time, errors, chosen ? chosen : "");
    if (errors.empty())
        return std::make_unique<Library>(std::move(backends), time, ownThread, "");
    for (const DescriptionError& e : errors) composition.diagnostics += e.text() + "\n";
    composition.diagnostics += "serving the built-in network instead\n";
    return builtIn(time, ownThread, composition.diagnostics);
}

std::unique_ptr<Library> composeLibrary(const std::string& moduleFolder, const TimeSource& time, bool ownThread,
                                        Composition& composition)
{
    std::string path;
    bool named = false;
    if (const char* env = std::getenv("MKAPI_NETWORK"); env && *env) {
        path = env;
        named = true;
    } else if (!moduleFolder.empty()) {
        path = (std::filesystem::path(moduleFolder) / "mkApi.ini").string();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        composition = {};
        if (named) {
            composition.file = path;
            composition.diagnostics = path + ": cannot be read (named by MKAPI_NETWORK)\nserving the built-in network instead\n";
        }
        return builtIn(time, ownThread, composition.diagnostics);
    }
    std::stringstream text;
    text << in.rdbuf();
    return composeLibraryFromText(text.str(), path, time, ownThread, composition);
}

} // namespace mkapi
