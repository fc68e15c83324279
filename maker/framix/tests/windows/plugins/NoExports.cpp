// A Framix*.dll that is a module but no grabber plug-in: it exports neither entry point.
extern "C" __declspec(dllexport) int FramixNoExportsMarker()
{
    return 1;
}
