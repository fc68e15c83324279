// Graphics mode and acquisition over the simulated camera library: every pixel
// format's description and converted frame, buffer preparation and its
// limits, continuous acquisition checked by the frame numbers the pattern
// carries, single frames of every type, stopping from another thread, failing
// frames, unplugs, a camera that stops sending, the mutex held elsewhere.
#include "grabber_fixture.h"

#include "UnifiedGfxMode.h"
#include "gige_sim/PixelFormats.h"
#include "grabber_pixel/conversions.h"
#include "zelmk/GfxModeTables.h"

#include <cstring>
#include <functional>

namespace zelmk_test {
const char* TestNetwork()
{
    return "[Network]\nHostAddress=192.168.10.1\nHostMask=255.255.255.0\n"
           "[Camera Formats]\nUniqueId=601\nAddress=192.168.10.31\nMask=255.255.255.0\nSensor=colour\nBayerLayout=BG\n"
           "SensorWidth=64\nSensorHeight=16\nSensorBits=12\nFrameRate=100\nPixelFormats=Mono8,Mono10,Mono12,Mono12Packed,"
           "Mono16,Bayer8,Bayer10,Bayer12,Bayer12Packed,Bayer16,Rgb24,Bgr24,Rgba32,Bgra32,Yuv444,Yuv422,Yuv411,Mono14\n"
           "[Camera Stream]\nUniqueId=602\nAddress=192.168.10.32\nMask=255.255.255.0\nSensorWidth=64\nSensorHeight=16\n"
           "PixelFormats=Mono8,Yuv422\nFrameRate=100\n";
}
} // namespace zelmk_test

namespace {

using zelmk_test::Api;
using zelmk_test::Sim;

// The frame buffer count is the framework's (1..100 through its parameter);
// tests ask for counts beyond it directly.
class TestGrabber : public CFramixZelmkAPIClass {
public:
    using CFramixZelmkAPIClass::CFramixZelmkAPIClass;
    void SetRequestedBuffers(uint64_t n) { m_NumFrameBuffers = n; }
};

DWORD NoLinkWait(HANDLE, DWORD) { return WAIT_TIMEOUT; }

// What the framework hands the host per frame: buffer, flag and the frame
// number in the image's first four bytes (Mono8 keeps the camera's bytes).
struct Delivery {
    uint64_t buffer;
    uint32_t flag;
    uint32_t number;
};

class AcquisitionTest : public zelmk_test::GrabberFixture {
protected:
    void SetUp() override
    {
        GrabberFixture::SetUp();
        m_arrived.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        m_deliveries.reserve(4096);
    }
    void TearDown() override
    {
        if (m_grabber) m_grabber->InstPostProcessCallBack(nullptr, nullptr);
        m_grabber.reset();
        Sim("fail clear");
        Sim("frame-status 0");
        for (const char* id : {"601", "602"}) {
            const std::string camera(id);
            Sim("plug " + camera);
            // The simulated cameras keep their settings for the next test.
            Sim("set " + camera + " PixelFormat Mono8");
            Sim("set " + camera + " TriggerMode Off");
            Sim("set " + camera + " Width 64");
        }
    }

    // An initialised grabber with camera `uid` open.
    void Open(uint32_t uid)
    {
        m_grabber = std::make_unique<TestGrabber>(::GetModuleHandleA(nullptr), &Api());
        m_grabber->InitMembers();
        m_grabber->SetLog(&m_log);
        m_grabber->SetGrabberIni(m_store.get(), 0);
        m_grabber->SetLinkWait(&NoLinkWait);
        m_grabber->SetSelectedUniqueId(uid);
        ASSERT_EQ(UG_OK, m_grabber->Init());
        ASSERT_GE(m_grabber->GetActCameraIndex(), 0);
        ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
        m_grabber->InstPostProcessCallBack(&AcquisitionTest::Delivered, this);
        m_uid = uid;
    }
    const zelmk::MkApiFunctions& Mk() const { return Api().Functions(); }
    MkHandle Handle() const { return m_grabber->GetCameraHandle(); }
    CUnifiedGfxMode& Mode() { return *m_grabber->GetActCamera()->GetActGfxMode(); }
    void Set(const char* name, const char* value) { ASSERT_EQ(0u, Mk().MkAttrEnumSet(Handle(), name, value)) << name << "=" << value; }
    UG_ERRCODE Prepare(uint64_t buffers)
    {
        m_grabber->SetRequestedBuffers(buffers);
        return m_grabber->PrepareFrameBuffers();
    }

    static void Delivered(void* context, uint64_t buffer, uint32_t flag)
    {
        auto* self = static_cast<AcquisitionTest*>(context);
        uint32_t number = 0;
        if (const void* image = self->m_grabber->GetFrameBuffer(buffer)) std::memcpy(&number, image, 4);
        std::lock_guard<std::mutex> guard(self->m_deliveryLock);
        if (self->m_deliveries.size() < self->m_deliveries.capacity()) self->m_deliveries.push_back({buffer, flag, number});
        if (self->m_deliveries.size() >= self->m_wanted) ::SetEvent(self->m_arrived.get());
    }
    void ClearDeliveries()
    {
        std::lock_guard<std::mutex> guard(m_deliveryLock);
        m_deliveries.clear();
    }
    std::vector<Delivery> Deliveries()
    {
        std::lock_guard<std::mutex> guard(m_deliveryLock);
        return m_deliveries;
    }
    // Bounded: frames come at 100 per second; 20 s is far beyond any of these waits.
    bool WaitForDeliveries(size_t n)
    {
        {
            std::lock_guard<std::mutex> guard(m_deliveryLock);
            m_wanted = n;
            if (m_deliveries.size() >= n) return true;
            ::ResetEvent(m_arrived.get());
        }
        return ::WaitForSingleObject(m_arrived.get(), 20000) == WAIT_OBJECT_0;
    }
    // Bounded wait for a log line (the library's thread prints it).
    bool WaitForLines(const std::string& pattern, size_t n)
    {
        for (int i = 0; i < 2000; ++i) {
            if (Count(pattern) >= n) return true;
            ::Sleep(10);
        }
        return false;
    }
    uint64_t FrameCounter()
    {
        uint64_t v1 = 0, v2 = 0;
        EXPECT_EQ(UG_OK, m_grabber->GetGrabberParam(UG_FEATURE_FRAME_COUNTER, &v1, &v2));
        EXPECT_EQ(v1, v2);
        return v1;
    }
    uint32_t Dropped() { return static_cast<uint32_t>(std::stoul(Sim("get " + std::to_string(m_uid) + " StatFramesDropped"))); }

    std::unique_ptr<TestGrabber> m_grabber;
    uint32_t m_uid = 0;
    std::mutex m_deliveryLock;
    std::vector<Delivery> m_deliveries;
    size_t m_wanted = SIZE_MAX;
    win32::UniqueHandle<win32::handle_traits::Kernel> m_arrived;
};

// ---------------------------------------------------------------- graphics mode

std::vector<uint8_t> Unpack12(const uint8_t* raw, size_t pixels)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i < pixels; i += 2) {
        const uint8_t* g = raw + i / 2 * 3;
        const uint16_t a = uint16_t(g[0] << 4 | (g[1] & 0x0F)), b = uint16_t(g[2] << 4 | g[1] >> 4);
        out.insert(out.end(), {uint8_t(a), uint8_t(a >> 8)});
        if (i + 1 < pixels) out.insert(out.end(), {uint8_t(b), uint8_t(b >> 8)});
    }
    return out;
}

TEST_F(AcquisitionTest, EveryPixelFormatIsDescribedAndItsFrameConvertedExactly)
{
    ASSERT_NO_FATAL_FAILURE(Open(601));
    struct Row {
        const char* name;
        uint32_t components, allocated, bits;
        UG_COLORCODING coding;
        uint32_t cfaX, cfaY; // the BG layout
        zelmk::Conversion conversion;
    };
    using C = zelmk::Conversion;
    const Row rows[] = {
        {"Mono8", 1, 8, 8, 0, 0, 0, C::None},
        {"Mono10", 1, 16, 10, 0, 0, 0, C::None},
        {"Mono12", 1, 16, 12, 0, 0, 0, C::None},
        {"Mono12Packed", 1, 16, 12, 0, 0, 0, C::Unpack12Packed},
        {"Mono16", 1, 16, 12, 0, 0, 0, C::None}, // the 12-bit sensor says so in the register
        {"Bayer8", 1, 8, 8, 1, 0, 1, C::None},
        {"Bayer10", 1, 16, 10, 1, 0, 1, C::None},
        {"Bayer12", 1, 16, 12, 1, 0, 1, C::None},
        {"Bayer12Packed", 1, 16, 12, 1, 0, 1, C::Unpack12Packed},
        {"Bayer16", 1, 16, 12, 1, 0, 1, C::None},
        {"Rgb24", 3, 8, 8, 3, 0, 0, C::None},
        {"Bgr24", 3, 8, 8, 8, 0, 0, C::None},
        {"Rgba32", 4, 8, 8, 7, 0, 0, C::None},
        {"Bgra32", 4, 8, 8, 12, 0, 0, C::None},
        {"Yuv444", 3, 8, 8, 3, 0, 0, C::Yuv444ToRgb},
        {"Yuv422", 3, 8, 8, 3, 0, 0, C::Yuv422ToRgb},
        {"Yuv411", 3, 8, 8, 3, 0, 0, C::Yuv411ToRgb},
    };
    const uint32_t w = 64, h = 16;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Set("PixelFormat", row.name);
        CUnifiedGfxMode& mode = Mode();
        ClearLines();
        EXPECT_EQ(w, mode.GetxRes());
        EXPECT_EQ(h, mode.GetyRes());
        EXPECT_EQ(row.components, mode.GetNumComponents());
        EXPECT_EQ(row.allocated, mode.GetAllocatedBitPerComponent());
        EXPECT_EQ(0u, mode.GetBitStartComponent());
        EXPECT_EQ(row.bits, mode.GetBitPerComponent());
        EXPECT_EQ(row.coding, mode.GetColorCoding());
        EXPECT_EQ(row.cfaX, mode.GetCFAxOffset());
        EXPECT_EQ(row.cfaY, mode.GetCFAyOffset());
        EXPECT_EQ(uint64_t(w) * h, mode.GetPixelCount());
        const uint64_t size = uint64_t(w) * h * row.components * row.allocated / 8;
        EXPECT_EQ(size, mode.GetFrameBufferSize());
        EXPECT_EQ(zelmk::ConversionFunction(row.conversion), mode.GetConversionFunction());
        const gigesim::PixelFormat* format = gigesim::findPixelFormat(row.name);
        ASSERT_NE(nullptr, format);
        const uint32_t rawBytes = static_cast<uint32_t>(gigesim::frameBytes(*format, w, h));
        EXPECT_EQ(rawBytes, mode.GetIntermediateBufferSize());
        EXPECT_EQ(0u, Count("^0 ")) << testing::PrintToString(Lines());

        // One frame, converted where the layouts differ, exactly as the kernels define it.
        ASSERT_EQ(UG_OK, Prepare(1));
        EXPECT_EQ(size, m_grabber->GetFrameBufferObject(0)->ImageSize());
        ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
        const zelmk::CFrameBuffer& buffer = *m_grabber->GetFrameBufferObject(0);
        ASSERT_EQ(0u, buffer.Frame().status);
        std::vector<uint8_t> raw(rawBytes);
        gigesim::TestPattern(*format, w, h, format->followsSensor ? 12 : format->bits).fill(raw.data(), buffer.Frame().frameCount);
        std::vector<uint8_t> expected(size);
        const size_t pixels = size_t(w) * h;
        switch (row.conversion) {
        case C::None: expected = raw; break;
        case C::Unpack12Packed: expected = Unpack12(raw.data(), pixels); break;
        case C::Yuv444ToRgb: grabber_pixel::Yuv444ToRgb(raw.data(), expected.data(), pixels); break;
        case C::Yuv422ToRgb: grabber_pixel::Yuv422ToRgb(raw.data(), expected.data(), pixels); break;
        case C::Yuv411ToRgb: grabber_pixel::Yuv411ToRgb(raw.data(), expected.data(), pixels); break;
        }
        const auto* image = static_cast<const uint8_t*>(m_grabber->GetFrameBuffer(0));
        ASSERT_EQ(expected.size(), size);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image)) << "the image differs from the converted pattern";
        EXPECT_EQ(row.conversion != C::None ? 1u : 0u, Count("^1 CFramixZelmkAPIClass::Snap: Image conversion done$"));
    }

    // Not in the table: one line per getter, every value 0, buffers of size 0.
    Set("PixelFormat", "Mono14");
    ClearLines();
    EXPECT_EQ(0u, Mode().GetNumComponents());
    EXPECT_EQ(0u, Mode().GetFrameBufferSize());
    // Once for the question, once inside the size.
    EXPECT_EQ(2u, Count("^0 CUnifiedGfxModeZelmkAPI::GetNumComponents: MkAttrEnumGet reports pixelformat Mono14 which is not supported!$"));
    ASSERT_EQ(UG_OK, Prepare(2));
    EXPECT_EQ(nullptr, m_grabber->GetFrameBuffer(0));
    EXPECT_EQ(1u, Count("^1 Allocated buffer 1 adr = 0x0+, size = 0$"));

    // A mode of a camera's CreateGfxMode answers nothing, silently.
    std::unique_ptr<CUnifiedGfxMode> bare(m_grabber->GetActCamera()->CreateGfxMode());
    ClearLines();
    EXPECT_EQ(0u, bare->GetxRes());
    EXPECT_EQ(0u, bare->GetFrameBufferSize());
    EXPECT_EQ(nullptr, bare->GetConversionFunction());
    EXPECT_TRUE(Lines().empty());
}

TEST_F(AcquisitionTest, GettersWithoutAnOpenCameraSayWhy)
{
    ASSERT_NO_FATAL_FAILURE(Open(601));
    ASSERT_EQ(UG_OK, m_grabber->CloseActCamera());
    ClearLines();
    EXPECT_EQ(0u, Mode().GetxRes());
    EXPECT_EQ(0u, Mode().GetIntermediateBufferSize());
    EXPECT_EQ(nullptr, Mode().GetConversionFunction());
    EXPECT_EQ((std::vector<std::string>{
                  "0 CUnifiedGfxModeZelmkAPI::GetxRes: camera handle is NULL -> cannot get width",
                  "0 CUnifiedGfxModeZelmkAPI::GetIntermediateBufferSize: camera handle is NULL -> cannot get TotalBytesPerFrame",
                  "0 CUnifiedGfxModeZelmkAPI::GetColorCoding: camera handle is NULL -> cannot get pixelformat"}),
              Lines());
}

// ---------------------------------------------------------------- buffers

TEST_F(AcquisitionTest, PrepareFrameBuffersSizesKeepsAndRefuses)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ClearLines();
    ASSERT_EQ(UG_OK, Prepare(5));
    const std::vector<std::string> lines = Lines();
    ASSERT_LE(4u, lines.size());
    EXPECT_EQ("1 CFramixZelmkAPIClass::PrepareFrameBuffers", lines[0]);
    EXPECT_EQ("1   CFramixZelmkAPIClass::PrepareFrameBuffers: got mutex", lines[1]);
    EXPECT_EQ(5u, Count("^1 Allocated buffer [0-4] adr = 0x[0-9A-Fa-f]+, size = 1024$")) << testing::PrintToString(lines);
    EXPECT_EQ("1 5 Framebuffers are currently allocated.", lines[lines.size() - 2]);
    EXPECT_EQ("1 CFramixZelmkAPIClass::PrepareFrameBuffers EXIT", lines.back());
    EXPECT_EQ(1, m_grabber->AreBuffersReady());
    void* kept[3];
    for (int i = 0; i < 3; ++i) kept[i] = m_grabber->GetFrameBuffer(i);

    // Shrinking keeps the first buffers with their memory.
    ASSERT_EQ(UG_OK, Prepare(3));
    EXPECT_EQ(3u, m_grabber->GetNumFrameBufferObjects());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(kept[i], m_grabber->GetFrameBuffer(i));
    EXPECT_EQ(nullptr, m_grabber->GetFrameBuffer(3));
    EXPECT_EQ(2u, m_grabber->GetFrameBufferObject(2)->Index());

    // 101 is one too many: the list stays, the buffers are not ready.
    ClearLines();
    EXPECT_EQ(UG_ERR_FAILED, Prepare(101));
    EXPECT_EQ(1u, Count("^0   ERROR: Requested 101 buffers, but device supports only 100$"));
    EXPECT_EQ(1u, Count("^1 3 Framebuffers are currently allocated.$"));
    EXPECT_EQ(0, m_grabber->AreBuffersReady());
    EXPECT_EQ(UG_ERR_BUFFERS_NOT_PREPARED, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    ASSERT_EQ(UG_OK, Prepare(100));
    EXPECT_EQ(100u, m_grabber->GetNumFrameBufferObjects());

    // A format that needs converting gets raw and image memory.
    Set("PixelFormat", "Yuv422");
    ASSERT_EQ(UG_OK, Prepare(2));
    EXPECT_EQ(3072u, m_grabber->GetFrameBufferObject(1)->ImageSize());
    EXPECT_EQ(2048u, m_grabber->GetFrameBufferObject(1)->IntermediateSize());

    // The refusals before any of it.
    TestGrabber fresh(::GetModuleHandleA(nullptr), &Api());
    fresh.InitMembers();
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, fresh.PrepareFrameBuffers());
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, fresh.Snap(1));
    EXPECT_EQ(UG_ERR_NOT_INITIALIZED, fresh.StopSnap());
    ASSERT_EQ(UG_OK, m_grabber->CloseActCamera());
    EXPECT_EQ(UG_ERR_CAMERA_NOT_OPEN, m_grabber->PrepareFrameBuffers());
    EXPECT_EQ(0, m_grabber->AreBuffersReady());
    EXPECT_NE(nullptr, m_grabber->GetFrameBuffer(0)); // kept until the next preparation
}

TEST_F(AcquisitionTest, PrepareWaitsForTheMutexAnotherThreadHolds)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    // A serial exchange holds the grabber's mutex on another thread.
    struct Holder {
        HANDLE mutex;
        HANDLE held, release;
        CGrabberLog* log;
    } holder{m_grabber->GetMutex(), ::CreateEventA(nullptr, TRUE, FALSE, nullptr), ::CreateEventA(nullptr, TRUE, FALSE, nullptr), &m_log};
    auto hold = [](void* p) -> DWORD {
        auto* h = static_cast<Holder*>(p);
        ::WaitForSingleObject(h->mutex, 10000);
        ::SetEvent(h->held);
        ::WaitForSingleObject(h->release, 10000);
        h->log->Print(1, "serial exchange done");
        ::ReleaseMutex(h->mutex);
        return 0;
    };
    win32::UniqueHandle<win32::handle_traits::Kernel> holderThread(::CreateThread(nullptr, 0, hold, &holder, 0, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(holder.held, 10000));
    m_grabber->SetRequestedBuffers(2);
    auto prepare = [](void* p) -> DWORD { return static_cast<TestGrabber*>(p)->PrepareFrameBuffers(); };
    ClearLines();
    win32::UniqueHandle<win32::handle_traits::Kernel> preparer(::CreateThread(nullptr, 0, prepare, m_grabber.get(), 0, nullptr));
    ASSERT_TRUE(WaitForLines("^1 CFramixZelmkAPIClass::PrepareFrameBuffers$", 1));
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(preparer.get(), 100)); // still waiting for the mutex
    EXPECT_EQ(0u, Count("got mutex"));
    ::SetEvent(holder.release);
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(preparer.get(), 10000));
    DWORD result = 99;
    ::GetExitCodeThread(preparer.get(), &result);
    EXPECT_EQ(UG_OK, result);
    ::WaitForSingleObject(holderThread.get(), 10000);
    const std::vector<std::string> lines = Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ("1 CFramixZelmkAPIClass::PrepareFrameBuffers", lines[0]);
    EXPECT_EQ("1 serial exchange done", lines[1]);
    EXPECT_EQ("1   CFramixZelmkAPIClass::PrepareFrameBuffers: got mutex", lines[2]);
    ::CloseHandle(holder.held);
    ::CloseHandle(holder.release);
}

// ---------------------------------------------------------------- continuous

TEST_F(AcquisitionTest, ContinuousDeliversEveryFrameOnceAndInOrder)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    for (const uint64_t buffers : {uint64_t{1}, uint64_t{3}, uint64_t{100}}) {
        SCOPED_TRACE(testing::Message() << buffers << " buffers");
        ClearDeliveries();
        ASSERT_EQ(UG_OK, Prepare(buffers));
        const uint32_t droppedBefore = Dropped();
        ClearLines();
        ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
        EXPECT_EQ(UG_SNAP_CONTINUOUS, m_grabber->GetSnapMode());
        EXPECT_EQ(UG_ERR_ACQUISITION_RUNNING, m_grabber->Snap(UG_SNAP_CONTINUOUS));
        EXPECT_EQ(UG_ERR_ACQUISITION_RUNNING, m_grabber->PrepareFrameBuffers());
        const size_t wanted = buffers + 30;
        ASSERT_TRUE(WaitForDeliveries(wanted));
        ASSERT_EQ(UG_OK, m_grabber->StopSnap());
        EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
        const std::vector<Delivery> got = Deliveries();
        const uint32_t dropped = Dropped() - droppedBefore;

        // No frame twice, none out of order; every gap is a frame the camera
        // counted as dropped for want of a queued buffer.
        ASSERT_GE(got.size(), wanted);
        uint64_t gaps = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(1u, got[i].flag);
            EXPECT_LT(got[i].buffer, buffers);
            if (i > 0) {
                ASSERT_GT(got[i].number, got[i - 1].number) << "at delivery " << i;
                gaps += got[i].number - got[i - 1].number - 1;
            }
        }
        EXPECT_EQ(1u, got.front().number);
        // (Frames dropped while StopSnap ran come after the last delivery.)
        EXPECT_LE(gaps, dropped);
        // Buffers cycle in the order they were queued.
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(i % buffers, got[i].buffer);
        if (buffers == 100) {
            EXPECT_EQ(0u, gaps);
        }
        EXPECT_EQ(got.size(), FrameCounter());
        EXPECT_EQ(buffers, Count("^1 CFramixZelmkAPIClass::Snap: Queued buffer [0-9]+$"));
        EXPECT_EQ(1u, Count("^1 CFramixZelmkAPIClass::Snap: started camera acquisition$"));
        EXPECT_EQ(got.size(), Count("^1 CFramixZelmkAPIClass::FrameCallback: Successfully grabbed frame: buffer idx = [0-9]+, total count = [0-9]+$"));
        EXPECT_EQ(buffers, Count("^1 CFramixZelmkAPIClass::StopSnap: MkCaptureWaitForFrameDone for buffer [0-9]+ successful$"));
        for (const char* line : {"^1 CFramixZelmkAPIClass::StopSnap: successfully cleared queue$", "^1 CFramixZelmkAPIClass::StopSnap: stopped camera acquisition$",
                                 "^1 CFramixZelmkAPIClass::StopSnap: MkCaptureEnd successful$"}) {
            EXPECT_EQ(1u, Count(line)) << line;
        }
    }
    // StopSnap when nothing runs touches nothing.
    ClearLines();
    EXPECT_EQ(UG_OK, m_grabber->StopSnap());
    EXPECT_TRUE(Lines().empty());
}

TEST_F(AcquisitionTest, ConvertedContinuousFrames)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    Set("PixelFormat", "Yuv422");
    ASSERT_EQ(UG_OK, Prepare(4));
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    ASSERT_TRUE(WaitForDeliveries(12));
    ASSERT_EQ(UG_OK, m_grabber->StopSnap());
    EXPECT_LE(12u, Count("^1 CFramixZelmkAPIClass::FrameCallback: Image conversion done$"));
    EXPECT_EQ(Deliveries().size(), Count("Image conversion done"));
}

TEST_F(AcquisitionTest, StopSnapFromAnotherThreadWhileFramesArrive)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(3));
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    ASSERT_TRUE(WaitForDeliveries(5));
    auto stop = [](void* p) -> DWORD { return static_cast<TestGrabber*>(p)->StopSnap(); };
    win32::UniqueHandle<win32::handle_traits::Kernel> stopper(::CreateThread(nullptr, 0, stop, m_grabber.get(), 0, nullptr));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(stopper.get(), 20000));
    DWORD result = 99;
    ::GetExitCodeThread(stopper.get(), &result);
    EXPECT_EQ(UG_OK, result);
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
    // Stopped means stopped: no callback runs after StopSnap returned.
    const size_t delivered = Deliveries().size();
    const size_t callbacks = Count("FrameCallback");
    Sim("status");
    ::Sleep(50); // frames would come every 10 ms
    EXPECT_EQ(delivered, Deliveries().size());
    EXPECT_EQ(callbacks, Count("FrameCallback"));
    // And a new acquisition runs.
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    ASSERT_TRUE(WaitForDeliveries(delivered + 3));
    EXPECT_EQ(UG_OK, m_grabber->StopSnap());
}

TEST_F(AcquisitionTest, FramesThatAllFailKeepBeingQueuedUntilStopped)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(2));
    ASSERT_EQ("ok", Sim("frame-status 15 always"));
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    const std::string failed = "^0 CFramixZelmkAPIClass::FrameCallback: Unhandeled frame status at buffer idx = [01]: The data for the frame was lost$";
    ASSERT_TRUE(WaitForLines(failed, 8)); // each buffer came back more than once
    EXPECT_EQ(UG_OK, m_grabber->StopSnap());
    EXPECT_TRUE(Deliveries().empty());
    EXPECT_EQ(0u, FrameCounter());
    EXPECT_EQ(0u, Count("Cannot requeue"));
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
}

TEST_F(AcquisitionTest, UnplugDuringContinuousAcquisition)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(3));
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    ASSERT_TRUE(WaitForDeliveries(3));
    Sim("unplug 602");
    ASSERT_TRUE(WaitForLines("^0 CFramixZelmkAPIClass::FrameCallback: Cannot requeue frame: Camera was unplugged$", 1));
    EXPECT_EQ(UG_OK, m_grabber->StopSnap());
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
    EXPECT_LE(1u, Count("^0 CFramixZelmkAPIClass::StopSnap: MkCaptureEnd failed: Camera was unplugged$"));
    EXPECT_EQ(UG_OK, m_grabber->CloseActCamera());

    // Back on the wire: open again, and it grabs.
    Sim("plug 602");
    ASSERT_EQ(UG_OK, m_grabber->OpenActCamera());
    ASSERT_EQ(UG_OK, m_grabber->PrepareFrameBuffers());
    EXPECT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
}

// ---------------------------------------------------------------- single frames

TEST_F(AcquisitionTest, AsynchronousSingleFrame)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    EXPECT_EQ(UG_ERR_BUFFERS_NOT_PREPARED, m_grabber->Snap(UG_SNAP_ASYNC_SINGLE));
    ASSERT_EQ(UG_OK, Prepare(2));
    ClearLines();
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_ASYNC_SINGLE));
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(m_grabber->GetSnapDoneEvent(), 20000));
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
    const std::vector<Delivery> got = Deliveries();
    ASSERT_EQ(1u, got.size());
    EXPECT_EQ(0u, got[0].buffer);
    EXPECT_EQ(1u, got[0].flag);
    EXPECT_EQ(1u, FrameCounter());
    EXPECT_EQ(1u, Count("^1 CFramixZelmkAPIClass::Snap: queued one buffer$"));
    for (const char* line : {"^1 CFramixZelmkAPIClass::FrameCallback: An asynchronous single snap has finished$",
                             "^1 CFramixZelmkAPIClass::FrameCallback: successfully stopped camera acquisition$",
                             "^1 CFramixZelmkAPIClass::FrameCallback: MkCaptureEnd successful$"})
        EXPECT_EQ(1u, Count(line)) << line;
    // Stopping what already finished does nothing.
    ClearLines();
    EXPECT_EQ(UG_OK, m_grabber->StopSnap());
    EXPECT_TRUE(Lines().empty());
}

TEST_F(AcquisitionTest, SynchronousSingleFrameOfEveryType)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(2));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, m_grabber->Snap(6));
    EXPECT_EQ(UG_ERR_OUT_OF_RANGE, m_grabber->Snap(0));
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
    for (const int32_t type : {3, 4, 5}) {
        SCOPED_TRACE(type);
        ClearDeliveries();
        ClearLines();
        ASSERT_EQ(UG_OK, m_grabber->Snap(type));
        EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
        const std::vector<Delivery> got = Deliveries();
        ASSERT_EQ(1u, got.size());
        EXPECT_EQ(0u, got[0].buffer);
        EXPECT_EQ(0u, got[0].flag);
        EXPECT_EQ(1u, got[0].number);
        EXPECT_EQ(1u, FrameCounter());
        const std::vector<std::string> expected = {
            "1 CFramixZelmkAPIClass::Snap: Set packetsize to 1500 bytes",
            "1 CFramixZelmkAPIClass::Snap: Set GvcpRetries to 10",
            "1 CFramixZelmkAPIClass::Snap: MkCaptureStart successful",
            "1 CFramixZelmkAPIClass::Snap: queued one buffer",
            "1 CFramixZelmkAPIClass::Snap: started camera acquisition",
            "1 CFramixZelmkAPIClass::Snap: snapped one frame",
            "1 CFramixZelmkAPIClass::Snap: stopped camera acquisition",
        };
        EXPECT_EQ(expected, Lines());
        EXPECT_EQ("10", Sim("get 602 GvcpRetries"));
    }
}

TEST_F(AcquisitionTest, FailuresOfASynchronousSnap)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(1));
    struct Case {
        const char* what;
        std::vector<std::string> commands;
        UG_ERRCODE result;
        std::string line;
    };
    const Case cases[] = {
        {"start refused", {"fail MkCaptureStart 10 once"}, UG_ERR_ACQUISITION_FAILED, "^0 CFramixZelmkAPIClass::Snap: MkCaptureStart failed: System/network resources or memory not available$"},
        {"queue refused", {"fail MkCaptureQueueFrame 12 once"}, UG_ERR_ACQUISITION_FAILED, "^0 CFramixZelmkAPIClass::Snap: MkCaptureQueueFrame failed: Too many frames on queue$"},
        {"acquisition start refused", {"fail MkCommandRun 9 once"}, UG_ERR_ACQUISITION_FAILED, "^0 CFramixZelmkAPIClass::Snap: Sending acquisition start command to camera failed: Setup is invalid"},
        {"frame incomplete", {"frame-status 16 once"}, UG_ERR_ACQUISITION_FAILED, "^0 CFramixZelmkAPIClass::Snap: Unhandeled frame status at buffer idx = 0: Some data in the frame is missing$"},
        {"packet size and retries refused", {"fail MkCaptureAdjustPacketSize 4 once", "fail MkAttrUint32Set 20 once"}, UG_OK, "^0 CFramixZelmkAPIClass::Snap: Could not set (packet size: Bad parameter to API call|GvcpRetries: Attribute write forbidden at this time)$"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::string& command : c.commands) ASSERT_EQ("ok", Sim(command));
        ClearLines();
        EXPECT_EQ(c.result, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
        EXPECT_LE(1u, Count(c.line)) << testing::PrintToString(Lines());
        EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
        Sim("fail clear");
        Sim("frame-status 0");
        // Whatever failed, the next snap works.
        EXPECT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
    }

    // A camera frame smaller than the mode the buffers were sized for is not converted.
    ClearDeliveries();
    Set("PixelFormat", "Yuv422");
    ASSERT_EQ(UG_OK, Prepare(1));
    ASSERT_EQ(0u, Mk().MkAttrUint32Set(Handle(), "Width", 32));
    ClearLines();
    EXPECT_EQ(UG_ERR_ACQUISITION_FAILED, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
    EXPECT_EQ(1u, Count("^0 CFramixZelmkAPIClass::Snap: frame of 1024 bytes is too short for its conversion, not delivered$"));
    EXPECT_TRUE(Deliveries().empty());
}

TEST_F(AcquisitionTest, UnplugDuringASynchronousSnap)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(1));
    // No frame comes without a trigger; the camera goes while the snap waits for one.
    Set("TriggerMode", "On");
    struct Unplugger {
        static void Line(void* context, int level, const char* text)
        {
            Record(context, level, text);
            if (std::strcmp(text, "CFramixZelmkAPIClass::Snap: started camera acquisition") == 0) Sim("unplug 602");
        }
    };
    m_log.SetCallback(&Unplugger::Line, this);
    EXPECT_EQ(UG_ERR_ACQUISITION_FAILED, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
    m_log.SetCallback(&GrabberFixture::Record, this);
    EXPECT_EQ(1u, Count("^0 MkCaptureWaitForFrameDone returned with error: Camera was unplugged$"));
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
    EXPECT_EQ(UG_OK, m_grabber->StopSnap());
    EXPECT_EQ(UG_OK, m_grabber->CloseActCamera());
}

TEST_F(AcquisitionTest, ACameraThatStopsSendingEndsTheWaitAtItsBound)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(2));
    // Ten periods of 100 frames per second, the floor lowered for the test.
    m_grabber->SetMinimumFrameWait(50);
    Set("TriggerMode", "On");
    ClearLines();
    EXPECT_EQ(UG_ERR_ACQUISITION_FAILED, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
    EXPECT_EQ(1u, Count("^0 MkCaptureWaitForFrameDone returned with error: Timeout during wait$"));
    EXPECT_EQ(1u, Count("^0 CFramixZelmkAPIClass::Snap: no frame within 100 ms, wait ended$"));
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());

    // A continuous acquisition of a silent camera stops at once.
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    EXPECT_EQ(UG_OK, m_grabber->StopSnap());
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
    EXPECT_TRUE(Deliveries().empty());

    // Sending again, it snaps.
    Set("TriggerMode", "Off");
    EXPECT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_SYNC_SINGLE));
    EXPECT_EQ(1u, FrameCounter());
}

TEST_F(AcquisitionTest, CloseDuringContinuousAcquisitionStopsItFirst)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ASSERT_EQ(UG_OK, Prepare(3));
    ASSERT_EQ(UG_OK, m_grabber->Snap(UG_SNAP_CONTINUOUS));
    ASSERT_TRUE(WaitForDeliveries(3));
    EXPECT_EQ(UG_OK, m_grabber->CloseActCamera());
    EXPECT_EQ(UG_SNAP_IDLE, m_grabber->GetSnapMode());
    EXPECT_EQ(0u, Count("Cannot requeue"));
    // The grabber goes while nothing of the library reaches its buffers.
    m_grabber.reset();
}

TEST_F(AcquisitionTest, CameraEventCallbackLogsItsArguments)
{
    ASSERT_NO_FATAL_FAILURE(Open(602));
    ClearLines();
    m_grabber->CameraEventCallback(reinterpret_cast<MkHandle>(0x1234), nullptr, 3);
    ASSERT_EQ(1u, Lines().size());
    EXPECT_TRUE(std::regex_match(Lines()[0], std::regex("1 CFramixZelmkAPIClass::CameraEventCallback: handle = (0x)?0*1234, EventListLength = 3")))
        << Lines()[0];
}

} // namespace

namespace {

// FramixHost as a user runs it: a continuous snap on the built-in network's
// Mono camera (30 frames per second), then the last image as a PNG file.
TEST(HostAcquisitionTest, SnapPrintsTheRateWithNothingLostAndSaveWritesThePattern)
{
    namespace fs = std::filesystem;
    ASSERT_TRUE(Api().IsValid());
    const fs::path folder = fs::temp_directory_path() / ("zelmk_snap_" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    std::ofstream(folder / "Framix.ini", std::ios::binary) << "[Framix]\r\nLogFile=\r\n[Grabber_0]\r\nFile=FramixZelmkAPI.dll\r\nNumBuffers=8\r\n";
    const std::string png = (folder / "frame.png").string();
    const zelmk_test::HostRun run = zelmk_test::RunFramixHost(folder, "init select 100001 open snap 1 30 save \"" + png + "\" close");
    ASSERT_TRUE(run.started);
    EXPECT_TRUE(run.finished);
    EXPECT_EQ(0u, run.exitCode) << run.text;
    EXPECT_TRUE(std::regex_search(run.text, std::regex("\nsnap: frames received 30, frames per second [0-9]+\\.[0-9], frames lost 0\n")))
        << run.text;
    EXPECT_TRUE(std::regex_search(run.text, std::regex("\nsave: buffer [0-7], 640 x 480, to "))) << run.text;
    const std::regex queued("\\[1\\] CFramixZelmkAPIClass::Snap: Queued buffer [0-7]\n");
    EXPECT_EQ(8, std::distance(std::sregex_iterator(run.text.begin(), run.text.end(), queued), std::sregex_iterator()));
    // A PNG file: its signature, and more than the headers of an empty image.
    const std::string bytes = zelmk_test::ReadFile(png);
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), bytes.substr(0, 8));
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

} // namespace
