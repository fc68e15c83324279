// Fuzz target: arbitrary bytes as a script, as a job file and as one line.
#include "kiv_script/Interpreter.h"

#include "../tests/TestDoubles.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace kivscript;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    Statement st;
    ParseError error;
    ParseLine(text, st, error);

    testing::FakeClock clock;
    testing::FakeCamera camera(clock);
    camera.answer("V", "\r\nSorvel SX-20 / KL-7700\r\n>");
    camera.answer("E=?", "\r\n=000006BF\r\n>");
    testing::MemoryFiles files;
    // The input may call itself as a job or list itself as a script.
    files.add("C:\\f\\a.vkj", text);
    files.add("C:\\f\\a.vks", text);
    Environment env;
    env.port = &camera;
    env.clock = &clock;
    env.files = &files;
    env.pathStyle = PathStyle::Windows;
    env.print = [](std::string_view) {};
    Execute(ScriptSource{text, "C:\\f\\in.vks", "C:\\f"}, env);
    if (camera.locks != camera.unlocks)
        __builtin_trap();
    return 0;
}
