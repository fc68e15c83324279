// Export macro of HapDeviceClient.dll's classes.
#pragma once

#ifdef HAPDEVICECLIENT_BUILDING
#define HAPDC_API __declspec(dllexport)
#else
#define HAPDC_API __declspec(dllimport)
#endif
