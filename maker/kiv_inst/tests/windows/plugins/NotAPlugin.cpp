// A library whose name matches the plug-in pattern but which is no device client.
extern "C" __declspec(dllexport) int HapDeviceClientGetNumObj()
{
    return 1; // one of the five entry points is not enough
}
