// Per-module resource state: a plug-in's templates load from its own module, and its application starts on first entry.
#include <gtest/gtest.h>

#include "test_ids.h"
#include "app_framework_testing/message_tests.h"
#include "win32/module.h"

namespace {

struct TestPlugin {
    win32::UniqueModule module{::LoadLibraryA("AppFrameworkTestPlugin.dll")};
    template <class F>
    F entry(const char* name) const
    {
        return win32::BindExport<F>(module.get(), name);
    }
};

std::string captionOf(HWND window)
{
    char text[128] = {};
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST(ModuleState, TemplateComesFromTheModuleOfTheCurrentState)
{
    TestPlugin plugin;
    ASSERT_TRUE(plugin.module);
    HINSTANCE program = ::GetModuleHandleA(nullptr);
    ASSERT_EQ(AfxGetResourceHandle(), program);

    CDialog own(IDD_SHARED_ID);
    ASSERT_TRUE(own.Create(IDD_SHARED_ID));
    EXPECT_EQ(captionOf(own.m_hWnd), "From the program");
    {
        AfxModuleStateGuard guard(plugin.module.get());
        EXPECT_EQ(AfxGetResourceHandle(), plugin.module.get());
        CDialog fromPlugin(IDD_SHARED_ID);
        ASSERT_TRUE(fromPlugin.Create(IDD_SHARED_ID));
        EXPECT_EQ(captionOf(fromPlugin.m_hWnd), "From the plug-in");
        {
            AfxModuleStateGuard nested(program);
            EXPECT_EQ(AfxGetResourceHandle(), program);
        }
        EXPECT_EQ(AfxGetResourceHandle(), plugin.module.get());
    }
    EXPECT_EQ(AfxGetResourceHandle(), program) << "leaving the guard restores the caller's state";
}

TEST(ModuleState, StringsComeFromTheCurrentResourceModule)
{
    TestPlugin plugin;
    ASSERT_TRUE(plugin.module);
    EXPECT_EQ(AfxLoadString(101), "Inf&o from the program...");
    {
        AFX_MANAGE_STATE(plugin.module.get());
        EXPECT_EQ(AfxLoadString(101), "Inf&o from the plug-in...");
    }
    EXPECT_EQ(AfxLoadString(4711), "");
}

TEST(ModuleState, SettingTheResourceHandleAffectsOnlyTheCurrentState)
{
    TestPlugin plugin;
    ASSERT_TRUE(plugin.module);
    HINSTANCE program = ::GetModuleHandleA(nullptr);
    AfxSetResourceHandle(plugin.module.get());
    CDialog redirected(IDD_SHARED_ID);
    ASSERT_TRUE(redirected.Create(IDD_SHARED_ID));
    EXPECT_EQ(captionOf(redirected.m_hWnd), "From the plug-in");
    AfxSetResourceHandle(program);
    EXPECT_EQ(AfxGetResourceHandle(), program);
}

TEST(ModuleState, PluginApplicationStartsOnFirstEntryAndUsesItsOwnResources)
{
    TestPlugin plugin;
    ASSERT_TRUE(plugin.module);
    auto initCount = plugin.entry<int (*)()>("TestPluginInitCount");
    auto resourcesDuringInit = plugin.entry<HINSTANCE (*)()>("TestPluginResourcesDuringInit");
    auto createDialog = plugin.entry<HWND (*)(HWND)>("TestPluginCreateDialog");
    auto appInside = plugin.entry<CWinApp* (*)()>("TestPluginAppSeenInside");
    ASSERT_TRUE(initCount && resourcesDuringInit && createDialog && appInside);

    EXPECT_EQ(initCount(), 0) << "nothing runs while the library is being loaded";
    HWND window = createDialog(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(captionOf(window), "From the plug-in");
    EXPECT_EQ(initCount(), 1);
    EXPECT_EQ(resourcesDuringInit(), plugin.module.get());
    EXPECT_EQ(AfxGetResourceHandle(), ::GetModuleHandleA(nullptr));

    CWinApp* pluginApp = appInside();
    ASSERT_NE(pluginApp, nullptr);
    EXPECT_EQ(pluginApp->m_hInstance, plugin.module.get());
    EXPECT_TRUE(pluginApp->IsDll());
    EXPECT_EQ(initCount(), 1) << "InitInstance runs once";

    // Messages to the plug-in's window run in the plug-in's state, whoever dispatches them.
    EXPECT_EQ(reinterpret_cast<HINSTANCE>(::SendMessageA(window, WM_APP + 1, 0, 0)), plugin.module.get());
    EXPECT_EQ(AfxGetResourceHandle(), ::GetModuleHandleA(nullptr));

    // The self-deleting plug-in dialog goes away with its window.
    ::DestroyWindow(window);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

} // namespace
