// A module with nothing but a version resource and one export, so the chain
// test can read a module's version back the way the programs do.
extern "C" __declspec(dllexport) int ToolchainProbeAnswer() { return 42; }
