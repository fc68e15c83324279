// The camera session against the camera emulator in virtual time: full reads of
// several cameras, write-back, calibration, defaults and spoiled replies.
#include "kl7700/CameraSession.h"

#include "SessionFakes.h"
#include "kl7700emu_testing/EmulatedDevice.h"

#include <gtest/gtest.h>

namespace kl7700 {
namespace {

// The session's device over the emulator: waits advance the virtual clock, and
// reads take what the camera has sent by then.
using EmulatorDevice = kl7700emu::testing::EmulatedDevice<CommDevice>;

class EmulatorSessionTest : public testing::Test {
protected:
    void start(kl7700emu::CameraConfig config = {})
    {
        device = std::make_unique<EmulatorDevice>(clock, std::move(config));
        camera = &device->camera;
        session = std::make_unique<CameraSession>(device.get(), clock, observer);
    }
    // Commands the host sent, as the camera saw them (prompt probes left out).
    std::vector<std::string> hostCommands() const { return device->hostCommands(); }

    test::FakeClock clock;
    test::RecordingObserver observer;
    std::unique_ptr<EmulatorDevice> device;
    kl7700emu::Camera* camera = nullptr;
    std::unique_ptr<CameraSession> session;
};

TEST_F(EmulatorSessionTest, FullReadOfSeveralCameras)
{
    struct Case {
        const char* name;
        const char* firmware;
        uint16_t variant;
        bool dualOutputHardware;
        bool newFirmware;
        int32_t dualOutputFlag;
    };
    const Case cases[] = {
        {"Sorvel SX-20B", "3.2.1.8", 0x4000, true, true, 1},
        {"KL-7700", "1.0.0.5", 0x0001, true, false, 1},
        {"Sorvel SX-20C 200fps", "3.2.1.8", 0x4031, true, true, 0}, // "S=" present, still one output
        {"Sorvel SX-20B", "2.0.4.6", 0x4002, false, false, 0},      // no "S=" in the dump
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        start({.name = c.name, .firmware = c.firmware, .variant = c.variant, .serial = 815, .dualOutput = c.dualOutputHardware});
        session->ReadFromCamera();
        const ParameterRecord& record = session->CameraRecord();
        EXPECT_FALSE(session->CommunicationError());
        EXPECT_EQ(c.name, record.cameraName);
        EXPECT_EQ(c.firmware, record.versionText);
        EXPECT_EQ(c.newFirmware, isNewFirmware(record));
        EXPECT_EQ(815, record.serialNumber);
        EXPECT_EQ(c.variant, record.variantCode);
        EXPECT_EQ(c.dualOutputFlag, record.dualOutput);
        for (const auto& entry : parameterTable()) {
            if (entry.item == Item::S && !c.dualOutputHardware) continue;
            SCOPED_TRACE(entry.letter);
            EXPECT_EQ(camera->value(entry.letter), record[entry.item].value);
        }
        // A camera fresh from power-up marks "s"; the read acknowledges it first.
        EXPECT_EQ((std::vector<std::string>{"s=?\r", "s=2A\r", "V\r", "Y=1\r", "a=?\r", "b=?\r"}),
                  hostCommands());
        EXPECT_EQ(true, observer.timer.back());
    }
}

TEST_F(EmulatorSessionTest, UnknownCameraIsReadNoFurther)
{
    start({.name = "Acme LineCam"});
    session->ReadFromCamera();
    EXPECT_EQ((std::vector<std::string>{"s=?\r", "s=2A\r", "V\r"}), hostCommands());
    EXPECT_EQ("Cannot connect to Sorvel SX-20 / KL-7700!", session->Header().cameraName);
}

TEST_F(EmulatorSessionTest, PowerUpFlagIsAcknowledged)
{
    start();
    camera->powerCycle();
    ASSERT_NE(0, camera->value('s') & 0x80);
    session->FetchCameraState();
    EXPECT_EQ(0, camera->value('s') & 0x80);
    EXPECT_EQ(0, session->CameraRecord().s.value & 0x80); // the dump read it back cleared
}

TEST_F(EmulatorSessionTest, WriteBackReachesTheCamera)
{
    start();
    session->ReadFromCamera();
    camera->clearTranscript();
    ParameterRecord& w = session->WorkingRecord();
    w.W.value = 40;
    w.N.value = 1000;
    w.E.value = 1500;
    session->ApplyParameterRules(Rule::Lines);
    session->WriteChangedParameters();
    EXPECT_EQ((std::vector<std::string>{"N=03E7\r", "W=28\r", "E=000005DC\r"}), hostCommands());
    EXPECT_EQ(1000, camera->value('N'));
    EXPECT_EQ(40, camera->value('W'));
    EXPECT_EQ(1500, camera->value('E'));
    EXPECT_EQ(session->WorkingRecord().E.value, session->CameraRecord().E.value);
}

TEST_F(EmulatorSessionTest, CalibrationFitsTheLongWait)
{
    start();
    session->ReadFromCamera();
    camera->clearTranscript();
    ASSERT_TRUE(session->Calibrate());
    EXPECT_EQ((std::vector<std::string>{"C=1\r"}), hostCommands());
    EXPECT_EQ(1, camera->value('C') & 1);
    EXPECT_EQ(1, session->CameraRecord().C.value & 1);
}

TEST_F(EmulatorSessionTest, SavedDefaultsComeBackOnLoad)
{
    start();
    session->ReadFromCamera();
    session->WorkingRecord().W.value = 50;
    session->WriteChangedParameters();
    ASSERT_TRUE(session->SaveDefaults());
    session->WorkingRecord().W.value = 60;
    session->WriteChangedParameters();
    ASSERT_EQ(60, camera->value('W'));
    ASSERT_TRUE(session->LoadDefaults());
    EXPECT_EQ(50, camera->value('W'));
    EXPECT_EQ(50, session->WorkingRecord().W.value);
}

TEST_F(EmulatorSessionTest, SpoiledRepliesAreRetried)
{
    using kl7700emu::Fault;
    for (Fault fault : {Fault::Drop, Fault::CorruptByte, Fault::CutShort, Fault::OmitPrompt, Fault::Garbage,
                        Fault::Delay}) {
        SCOPED_TRACE(static_cast<int>(fault));
        start();
        session->ReadFromCamera();
        camera->clearTranscript();
        session->WorkingRecord().W.value = 33;
        camera->injectFault(fault, 1);
        session->WriteChangedParameters();
        EXPECT_FALSE(session->CommunicationError());
        EXPECT_EQ(33, camera->value('W'));
        EXPECT_EQ(33, session->CameraRecord().W.value);
        const auto sent = hostCommands();
        EXPECT_GE(sent.size(), 2u); // the spoiled attempt and at least one more
        EXPECT_LE(sent.size(), 6u);
    }
}

TEST_F(EmulatorSessionTest, PersistentGarbageFailsAfterSixAttempts)
{
    start();
    session->ReadFromCamera();
    camera->clearTranscript();
    camera->injectFault(kl7700emu::Fault::Garbage, 100);
    EXPECT_FALSE(session->QueryParameter(Item::E));
    EXPECT_EQ(6u, hostCommands().size());
    EXPECT_TRUE(session->CommunicationError());
    EXPECT_EQ("Serial communication error!", session->Header().cameraName);
}

} // namespace
} // namespace kl7700
