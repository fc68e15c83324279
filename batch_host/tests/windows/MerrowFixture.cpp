// Program folder, configuration and child runs shared by the Merrow tests.
#include "MerrowFixture.h"

#include "win32/find_files.h"

namespace merrow_test {

const std::string kBanner = std::string("Merrow ") + MERROW_TEST_VERSION + " (command line version of Varnik)\n";
const std::string kConfigCaption = "Communication Port";
const std::string kListHeader = "The following device clients are currently available:\n"
                                "=====================================================\n\n";

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

void CloseWindows(const std::string& caption, UINT message, WPARAM command, std::set<void*>* closed)
{
    for (void* window : WindowsWithCaption(caption)) {
        PostMessageA(static_cast<HWND>(window), message, command, 0);
        if (closed)
            closed->insert(window);
    }
}

ScratchFolder* MerrowProgram::programFolder_ = nullptr;
bool MerrowProgram::copied_ = false;

void MerrowProgram::SetUpTestSuite()
{
    programFolder_ = new ScratchFolder("merrow-program");
    std::string bin = TestProgramFolder() + "\\..\\bin\\";
    // Merrow with the framework and the libraries it needs, but without the
    // build's plug-ins, so the client list is the framework's own.
    copied_ = programFolder_->CopyIn(bin + "Merrow.exe", "Merrow.exe");
    programFolder_->CopyIn(bin + "KIVInst.dll", "KIVInst.dll");
    for (const win32::FoundFile& found : win32::FindFiles(bin + "*.dll")) {
        if (found.name[0] != 'K' && found.name[0] != 'k')
            copied_ = programFolder_->CopyIn(bin + found.name, found.name) && copied_;
    }
}

void MerrowProgram::TearDownTestSuite()
{
    delete programFolder_;
    programFolder_ = nullptr;
}

void MerrowProgram::SetUp()
{
    ASSERT_TRUE(copied_) << "Merrow.exe and the libraries beside it must be built into bin";
    UsePort("EMULATOR");
}

void MerrowProgram::UsePort(const std::string& port)
{
    UseConfig("[CommDev_0]\r\nPort=" + port + "\r\n");
}

void MerrowProgram::UseConfig(const std::string& content)
{
    config_.reset(); // puts the previous file back first
    config_ = std::make_unique<DataFolderConfig>(DataFolder(), content);
}

std::string MerrowProgram::DataFolder()
{
    return SharedDataFolder() + "\\Quarnel\\Varnik " + MERROW_TEST_VERSION;
}

ChildResult MerrowProgram::Run(std::vector<std::string> arguments, const std::string& input,
                               std::function<void(HANDLE)> whileRunning)
{
    ChildRun run;
    run.program = Program();
    run.arguments = std::move(arguments);
    run.input = input;
    configDialogs_.clear();
    run.whileRunning = [this, whileRunning](HANDLE process) {
        CloseWindows(kConfigCaption, WM_COMMAND, configDialogCommand_, &configDialogs_);
        if (whileRunning)
            whileRunning(process);
    };
    return RunPrepared(run);
}

ChildResult MerrowProgram::RunPrepared(const ChildRun& run)
{
    ChildResult result = RunChild(run);
    EXPECT_TRUE(result.started) << run.program;
    EXPECT_FALSE(result.timedOut) << "output so far:\n"
                                  << result.output;
    return result;
}

std::string MerrowProgram::OpenedPrologue() const
{
    return Crlf(kBanner + "Using config file " + config_->File() + "\n\nPort description..: ");
}

std::string MerrowProgram::Script(const std::string& name, const std::string& text) const
{
    return programFolder_->Write(name, text);
}

} // namespace merrow_test
