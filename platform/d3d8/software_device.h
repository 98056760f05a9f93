// Platform-private controls of the software Direct3D 8 device, for tests and the benchmark.
// System code never includes this file.
#pragma once
#include <d3d8.h>

// Replaces the adapter's mode list with `modes` (copied, at most 128); a count below 0 brings
// back the built-in list. Applies to Direct3D objects created afterwards as well as existing ones.
void SoftwareAdapterSetModes(const D3DDISPLAYMODE* modes, int count);

// Makes the adapter refuse every device (CreateDevice fails with D3DERR_NOTAVAILABLE) until
// called again with false, so that the start-up failure path can run.
void SoftwareAdapterFailCreateDevice(bool fail);

// Simulates the loss of a device made by Direct3DCreate8: TestCooperativeLevel reports
// D3DERR_DEVICELOST for the next `lostReports` calls, then D3DERR_DEVICENOTRESET until Reset
// succeeds. While lost, Present and drawing are ignored, as on a real device.
void SoftwareDeviceLose(IDirect3DDevice8* device, int lostReports);

// Number of Reset calls the device has accepted since creation.
int SoftwareDeviceResetCount(IDirect3DDevice8* device);

// Number of Present calls the device has accepted since creation.
int SoftwareDevicePresentCount(IDirect3DDevice8* device);

// Makes devices draw into a back buffer of `width` x `height` pixels whatever size they ask for
// (devices created or reset afterwards, and existing ones after their next present); the asked-for
// size maps onto the whole of it, as a viewport does. (0, 0) brings back the automatic choice
// (VESPERGLEN_SIZE, else the asked-for size when recording or headless, else the window's picture).
void SoftwareDeviceSetBackBufferSize(int width, int height);

// The size of the back buffer the device draws into.
void SoftwareDeviceBackBufferSize(IDirect3DDevice8* device, int* width, int* height);

// Lets devices skip the pixels a draw cannot change (true, the default): those of draws that only
// replace pixels, held back until the next draw, where it lays opaque texels, and those where a
// blend by alpha meets clear texels. False shades every pixel as it comes, so that tests and
// benchmarks can compare the two.
void SoftwareDeviceSkipUnchangedPixels(bool skip);

// Number of draws the device holds back, not yet shaded.
int SoftwareDeviceHeldDraws(IDirect3DDevice8* device);
