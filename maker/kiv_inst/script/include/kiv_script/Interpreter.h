// Entry points of the script processor: run script text, script files and job files.
#pragma once

#include "kiv_script/Device.h"
#include "kiv_script/Paths.h"
#include "kiv_script/Statement.h"

#include <functional>
#include <string>
#include <string_view>

namespace kivscript {

// Deepest chain of job files a run may open (a job listing a job, or a script
// of a job calling ExecuteJobFile); it stops jobs that call themselves.
constexpr int kMaxJobDepth = 8;

// Name used in error texts for script text that has no file.
constexpr std::string_view kScriptTextName = "<script text>";

using PrintFn = std::function<void(std::string_view text)>;

// Everything a run reaches outside itself.
struct Environment {
    Port* port = nullptr; // null: statements that use the device fail
    PrintFn print;        // output of print, println and query; may be empty
    Clock* clock = &SystemClock();
    FileSource* files = &DiskFiles();
    PathStyle pathStyle = NativePathStyle();
    // Told the full path of every script and job file before it is read.
    std::function<void(const std::string& path)> onFile;
};

// Script text with the name its errors carry and the folder its relative
// job paths start from (empty: paths are used as written).
struct ScriptSource {
    explicit ScriptSource(std::string scriptText, std::string sourceName = std::string(kScriptTextName),
                          std::string baseFolder = {})
        : text(std::move(scriptText)), name(std::move(sourceName)), folder(std::move(baseFolder))
    {
    }
    std::string text;
    std::string name;
    std::string folder;
};

struct Outcome {
    bool ok = true;
    ErrorKind kind = ErrorKind::FileMissing; // meaningful only when !ok
    std::string text;                        // "file(line): cause" when !ok
};

// Run and report the outcome; the device is locked at its first use and
// unlocked when the run ends, whatever the outcome.
Outcome Execute(const ScriptSource& source, const Environment& env);
Outcome ExecuteFile(const std::string& scriptPath, const Environment& env);

// The same, for callers that speak in codes: 0 on success, otherwise a code
// whose text kivinst::ErrorText returns.
long Run(const ScriptSource& source, const Environment& env);
long RunFile(const std::string& scriptPath, const Environment& env);

} // namespace kivscript
