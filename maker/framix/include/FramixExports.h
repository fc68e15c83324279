// What crosses between Framix.dll, its grabber plug-ins and its hosts by name:
// the two entry points a plug-in exports, the section name of a grabber, and
// the C entry points of hosts.
#pragma once

#include "FramixTypes.h"
#include "GrabberLog.h"

class CUnifiedGrabber;

// A grabber plug-in ("Framix*.dll") exports both, with C names:
//   CUnifiedGrabber* CreateGrabberInstance(HINSTANCE module)  (null: failed)
//   void DeleteGrabberInstance(CUnifiedGrabber* grabber)      (null ignored)
typedef CUnifiedGrabber* (*PFN_CreateGrabberInstance)(HINSTANCE module);
typedef void (*PFN_DeleteGrabberInstance)(CUnifiedGrabber* grabber);
#define FRAMIX_EXPORT_CREATEGRABBER "CreateGrabberInstance"
#define FRAMIX_EXPORT_DELETEGRABBER "DeleteGrabberInstance"

// The grabber's section name ("Grabber_<n>") into a buffer of at least
// UG_SECTSTR_SIZE bytes.
#define UG_SECTSTR_SIZE 96
extern "C" FRAMIX_API void InitGrabberSectStr(char* buffer, int32_t sectionNum);

// ---------------------------------------------------------------- hosts
// One framework per call of FramixOpen: its store on Framix.ini, its log and
// the grabbers it loaded. Everything is released by FramixClose.
typedef struct FramixFramework FramixFramework;

// Opens the framework on an ini file (null or "": a store in memory only; a
// missing file is an empty configuration) and loads the grabbers it lists, or
// discovers them. Log lines go to the callback (may be null) from the start.
// Null only when out of memory.
extern "C" FRAMIX_API FramixFramework* FramixOpen(const char* iniPath, UG_LOG_CALLBACK log, void* context);
// The same with the folder plug-ins are looked for in (null: Framix.dll's folder).
extern "C" FRAMIX_API FramixFramework* FramixOpenEx(const char* iniPath, const char* pluginFolder, UG_LOG_CALLBACK log,
                                                    void* context);
extern "C" FRAMIX_API uint32_t FramixGetNumGrabbers(FramixFramework* framework);
// The grabber at a position of the load order (null beyond it); the framework owns it.
extern "C" FRAMIX_API CUnifiedGrabber* FramixGetGrabber(FramixFramework* framework, uint32_t index);
// The full path of the plug-in file of that grabber ("" beyond the list).
extern "C" FRAMIX_API const char* FramixGetGrabberFile(FramixFramework* framework, uint32_t index);
extern "C" FRAMIX_API CGrabberLog* FramixGetLog(FramixFramework* framework);
// Every grabber's SaveGrabberConfig, then the ini file is written (previous file kept on failure).
extern "C" FRAMIX_API UG_ERRCODE FramixSaveConfig(FramixFramework* framework);
// Deletes the grabbers (last loaded first), unloads their modules, closes the store.
extern "C" FRAMIX_API void FramixClose(FramixFramework* framework);
