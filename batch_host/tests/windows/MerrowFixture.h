// The fixture of the Merrow process tests: a private program folder holding
// Merrow (and the framework when it is built), the data folder's
// configuration, and runs that can never hang on a configuration dialog.
#pragma once

#include "ChildProcess.h"
#include "TestFolders.h"

#include <gtest/gtest.h>

#include "win32/unique_handle.h"

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace merrow_test {

extern const std::string kBanner;
extern const std::string kConfigCaption;
extern const std::string kListHeader;

bool StartsWith(const std::string& text, const std::string& start);
bool EndsWith(const std::string& text, const std::string& end);
bool Contains(const std::string& text, const std::string& part);

// Posts the message to every top-level window with the caption and notes them.
void CloseWindows(const std::string& caption, UINT message, WPARAM command, std::set<void*>* closed = nullptr);

class MerrowProgram : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Makes the stored configuration name this port.
    void UsePort(const std::string& port);
    // Makes Varnik.ini of the data folder hold exactly this text.
    void UseConfig(const std::string& content);
    static std::string DataFolder();
    static std::string Program() { return programFolder_->File("Merrow.exe"); }

    // Runs Merrow from the program folder; a configuration dialog that turns
    // up is ended with configDialogCommand_ and noted in configDialogs_.
    ChildResult Run(std::vector<std::string> arguments, const std::string& input = {},
                    std::function<void(HANDLE)> whileRunning = {});
    ChildResult RunPrepared(const ChildRun& run);

    // What every run that reaches the open device prints first.
    std::string OpenedPrologue() const;

    // Writes a file beside the program and returns its path.
    std::string Script(const std::string& name, const std::string& text) const;

    static ScratchFolder* programFolder_;
    static bool copied_;
    std::unique_ptr<DataFolderConfig> config_;
    std::set<void*> configDialogs_;
    WPARAM configDialogCommand_ = IDCANCEL;
};

} // namespace merrow_test
