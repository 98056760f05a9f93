// Device creation, mode selection, presentation with recovery, and the default states, on the
// software device with chosen adapter mode lists.
#include "render/device.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/app_state.h"
#include "platform/d3d8/software_device.h"
#include "render/render_states.h"
#include "support/recording_device.h"

namespace {

class Device : public ::testing::Test {
 protected:
  void SetUp() override {
    windowWidth = 800;
    windowHeight = 600;
    prefer32Bit = true;
    waitForVerticalSync = true;
  }
  void TearDown() override {
    ReleaseDevice();
    SoftwareAdapterSetModes(nullptr, -1);
  }
  void Modes(std::initializer_list<D3DDISPLAYMODE> modes) {
    SoftwareAdapterSetModes(modes.begin(), int(modes.size()));
  }
  DWORD State(D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    device->GetRenderState(state, &value);
    return value;
  }
};

TEST_F(Device, SelectionTakesTheWantedSizeInThirtyTwoBitsElseTheFirstMode) {
  // The built-in adapter: 800 x 600 in 32 bits, with a depth buffer.
  ASSERT_TRUE(InitDevice(nullptr));
  EXPECT_EQ(currentMode.width, 800u);
  EXPECT_EQ(currentMode.bits, 32u);
  EXPECT_EQ(currentMode.format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(currentMode.depthFormat, D3DFMT_D32);
  EXPECT_EQ(presentParameters.FullScreen_PresentationInterval, UINT(D3DPRESENT_INTERVAL_ONE));
  ReleaseDevice();

  // 800 x 600 only in 16 bits: the first listed mode wins, whatever its size.
  Modes({{640, 480, 60, D3DFMT_X8R8G8B8}, {800, 600, 60, D3DFMT_R5G6B5}});
  ASSERT_TRUE(InitDevice(nullptr));
  EXPECT_EQ(currentMode.width, 640u);
  EXPECT_EQ(currentMode.bits, 32u);
}

TEST_F(Device, EnumerationKeepsFourThreeModesOnceInTwoDepths) {
  Modes({{800, 600, 60, D3DFMT_X8R8G8B8},
         {800, 600, 85, D3DFMT_X8R8G8B8},
         {1280, 1024, 60, D3DFMT_X8R8G8B8},
         {1440, 900, 60, D3DFMT_X8R8G8B8},
         {512, 384, 60, D3DFMT_X8R8G8B8},
         {1024, 768, 60, D3DFMT_X1R5G5B5},
         {1600, 1200, 60, D3DFMT_R5G6B5}});
  ASSERT_TRUE(InitDevice(nullptr));
  ASSERT_EQ(displayModeCount, 2);
  EXPECT_EQ(displayModes[0].width, 800u);
  EXPECT_EQ(displayModes[1].width, 1600u);
  EXPECT_EQ(displayModes[1].bits, 16u);
  EXPECT_EQ(presentParameters.FullScreen_RefreshRateInHz, 0u);
}

TEST_F(Device, LostDeviceIsResetOnceItCanBeWithDefaultStatesAgain) {
  ASSERT_TRUE(InitDevice(nullptr));
  SetDeviceRenderState(D3DRS_ALPHAREF, 1);
  SetDeviceRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  SoftwareDeviceLose(device, 1);
  PresentFrame();  // still lost: nothing changes
  EXPECT_EQ(SoftwareDeviceResetCount(device), 0);
  EXPECT_EQ(State(D3DRS_ALPHAREF), 1u);
  PresentFrame();  // now it reports not-reset: reset to the same mode
  EXPECT_EQ(SoftwareDeviceResetCount(device), 1);
  EXPECT_EQ(presentParameters.BackBufferWidth, 800u);
  EXPECT_EQ(State(D3DRS_ALPHAREF), 128u);
  EXPECT_EQ(State(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
  EXPECT_EQ(State(D3DRS_LIGHTING), DWORD(FALSE));
  DWORD alphaOp = 0;
  device->GetTextureStageState(0, D3DTSS_ALPHAOP, &alphaOp);
  EXPECT_EQ(alphaOp, DWORD(D3DTOP_MODULATE));
  PresentFrame();
  EXPECT_EQ(SoftwareDeviceResetCount(device), 1);
  EXPECT_EQ(SoftwareDevicePresentCount(device), 1);  // nothing showed while lost or awaiting reset
}

TEST_F(Device, ManagedTexturesSurviveAResetAndDefaultPoolOnesBlockIt) {
  ASSERT_TRUE(InitDevice(nullptr));
  IDirect3DTexture8* managed = nullptr;
  IDirect3DTexture8* video = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), D3D_OK);
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &video), D3D_OK);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(managed->LockRect(0, &locked, nullptr, 0), D3D_OK);
  static_cast<uint32_t*>(locked.pBits)[0] = 0x12345678;
  managed->UnlockRect(0);
  D3DPRESENT_PARAMETERS p = presentParameters;
  EXPECT_EQ(device->Reset(&p), D3DERR_INVALIDCALL);
  video->Release();
  EXPECT_EQ(device->Reset(&p), D3D_OK);
  ASSERT_EQ(managed->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(static_cast<uint32_t*>(locked.pBits)[0], 0x12345678u);
  managed->UnlockRect(0);
  managed->Release();
}

TEST_F(Device, CreationFailureAndNoAcceptedModeReportFalse) {
  Modes({{1280, 1024, 60, D3DFMT_X8R8G8B8}});
  EXPECT_FALSE(InitDevice(nullptr));  // no accepted mode: creation on an all-zero mode fails
  EXPECT_EQ(displayModeCount, 0);
  EXPECT_EQ(device, nullptr);
}

TEST(RenderStates, MissingMatricesLoadTheIdentityAndClearsTouchOnlyTheTarget) {
  RecordingDevice recorder;
  IDirect3DDevice8* saved = device;
  device = &recorder;
  SetWorldTransform(nullptr);
  SetViewTransform(nullptr);
  D3DMATRIX identity{};
  identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
  D3DMATRIX world = recorder.Transform(D3DTS_WORLD);
  D3DMATRIX view = recorder.Transform(D3DTS_VIEW);
  EXPECT_EQ(std::memcmp(&world, &identity, sizeof identity), 0);
  EXPECT_EQ(std::memcmp(&view, &identity, sizeof identity), 0);
  SetOrthoProjection(800, 600, 1, 100);
  D3DMATRIX ortho = recorder.Transform(D3DTS_PROJECTION);
  EXPECT_FLOAT_EQ(ortho._11, 2.0f / 800);
  EXPECT_FLOAT_EQ(ortho._22, 2.0f / 600);
  EXPECT_FLOAT_EQ(ortho._33, 1.0f / 99);
  EXPECT_FLOAT_EQ(ortho._43, -1.0f / 99);
  EXPECT_FLOAT_EQ(ortho._44, 1.0f);
  ClearTarget(0x11223344);
  ASSERT_EQ(recorder.clears.size(), 1u);
  EXPECT_EQ(recorder.clears[0].flags, DWORD(D3DCLEAR_TARGET));
  EXPECT_EQ(recorder.clears[0].color, 0x11223344u);
  device = saved;
}

TEST_F(Device, AResetPlacesTheWindowCentredAndNoLongerTopmost) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "DeviceTestSaver";
  RegisterClassA(&wc);
  saverWindow = CreateWindowExA(WS_EX_TOPMOST, "DeviceTestSaver", "", WS_POPUP, 7, 9, 100, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(saverWindow, nullptr);
  ASSERT_TRUE(InitDevice(saverWindow));
  SoftwareDeviceLose(device, 0);
  PresentFrame();
  EXPECT_EQ(SoftwareDeviceResetCount(device), 1);
  EXPECT_EQ(GetWindowLongPtrA(saverWindow, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  RECT rect;
  GetWindowRect(saverWindow, &rect);
  EXPECT_EQ(rect.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 400);
  EXPECT_EQ(rect.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 300);
  EXPECT_EQ(rect.right - rect.left, 800);
  ReleaseDevice();
  DestroyWindow(saverWindow);
  saverWindow = nullptr;
  UnregisterClassA("DeviceTestSaver", nullptr);
}

}  // namespace
