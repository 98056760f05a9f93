#include "support/recording_device.h"

#include <cstring>

namespace {

UINT VerticesFor(D3DPRIMITIVETYPE type, UINT count) {
  switch (type) {
    case D3DPT_TRIANGLELIST: return count * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return count + 2;
    case D3DPT_LINELIST: return count * 2;
    case D3DPT_LINESTRIP: return count + 1;
    default: return count;
  }
}

}  // namespace

RecordingDevice::RecordingDevice() = default;

DWORD RecordingDevice::RenderState(D3DRENDERSTATETYPE state, DWORD fallback) const {
  for (auto it = renderStates.rbegin(); it != renderStates.rend(); ++it) {
    if (it->first == state) return it->second;
  }
  return fallback;
}

DWORD RecordingDevice::StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD fallback) const {
  for (auto it = stageStates.rbegin(); it != stageStates.rend(); ++it) {
    if (it->stage == stage && it->type == type) return it->value;
  }
  return fallback;
}

D3DMATRIX RecordingDevice::Transform(D3DTRANSFORMSTATETYPE state) const {
  for (auto it = transforms.rbegin(); it != transforms.rend(); ++it) {
    if (it->state == state) return it->matrix;
  }
  return D3DMATRIX{};
}

void RecordingDevice::Forget() {
  calls.clear();
  draws.clear();
  renderStates.clear();
  stageStates.clear();
  transforms.clear();
  textureBindings.clear();
  clears.clear();
  resets.clear();
  presents = 0;
}

HRESULT RecordingDevice::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT RecordingDevice::TestCooperativeLevel() {
  calls.push_back("TestCooperativeLevel");
  return cooperativeLevel;
}

HRESULT RecordingDevice::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain8**) {
  return D3DERR_INVALIDCALL;
}

HRESULT RecordingDevice::Reset(D3DPRESENT_PARAMETERS* parameters) {
  calls.push_back("Reset");
  if (parameters) resets.push_back(*parameters);
  cooperativeLevel = D3D_OK;
  return D3D_OK;
}

HRESULT RecordingDevice::Present(const RECT*, const RECT*, HWND, const RGNDATA*) {
  calls.push_back("Present");
  ++presents;
  return D3D_OK;
}

// No back buffer: frame capture skips a device without one.
HRESULT RecordingDevice::GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8** surface) {
  if (surface) *surface = nullptr;
  return D3DERR_INVALIDCALL;
}

HRESULT RecordingDevice::CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture8**) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                             IDirect3DVolumeTexture8**) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture8**) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8**) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer8**) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL, IDirect3DSurface8**) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, IDirect3DSurface8**) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8**) { return D3DERR_INVALIDCALL; }
HRESULT RecordingDevice::CopyRects(IDirect3DSurface8*, const RECT*, UINT, IDirect3DSurface8*, const POINT*) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::UpdateTexture(IDirect3DBaseTexture8*, IDirect3DBaseTexture8*) { return D3DERR_INVALIDCALL; }

HRESULT RecordingDevice::BeginScene() {
  calls.push_back("BeginScene");
  return D3D_OK;
}

HRESULT RecordingDevice::EndScene() {
  calls.push_back("EndScene");
  return D3D_OK;
}

HRESULT RecordingDevice::Clear(DWORD, const D3DRECT*, DWORD flags, D3DCOLOR color, float z, DWORD) {
  calls.push_back("Clear");
  clears.push_back(RecordedClear{flags, color, z});
  return D3D_OK;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  calls.push_back("SetTransform");
  if (!matrix) return D3DERR_INVALIDCALL;
  transforms.push_back(RecordedTransform{state, *matrix});
  return D3D_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  calls.push_back("SetRenderState");
  renderStates.emplace_back(state, value);
  return D3D_OK;
}

HRESULT RecordingDevice::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
  calls.push_back("SetTexture");
  textureBindings.emplace_back(stage, texture);
  if (stage < 8) boundTextures[stage] = texture;
  return D3D_OK;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  calls.push_back("SetTextureStageState");
  stageStates.push_back(RecordedStageState{stage, type, value});
  return D3D_OK;
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) { return D3DERR_INVALIDCALL; }
HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) { return D3DERR_INVALIDCALL; }

HRESULT RecordingDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data, UINT stride) {
  calls.push_back("DrawPrimitiveUP");
  if (!data || stride == 0) return D3DERR_INVALIDCALL;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  RecordedDraw draw{type, count, stride, vertexFormat, boundTextures[0], {}};
  draw.vertices.assign(bytes, bytes + size_t(VerticesFor(type, count)) * stride);
  draws.push_back(std::move(draw));
  return D3D_OK;
}

HRESULT RecordingDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT,
                                                const void*, UINT) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) {
  return D3DERR_INVALIDCALL;
}
HRESULT RecordingDevice::CreateVertexShader(const DWORD*, const DWORD*, DWORD*, DWORD) { return D3DERR_INVALIDCALL; }

HRESULT RecordingDevice::SetVertexShader(DWORD handle) {
  calls.push_back("SetVertexShader");
  vertexFormat = handle;
  return D3D_OK;
}

HRESULT RecordingDevice::SetStreamSource(UINT, IDirect3DVertexBuffer8*, UINT stride) {
  calls.push_back("SetStreamSource");
  streamStride = stride;
  return D3D_OK;
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer8*, UINT) {
  calls.push_back("SetIndices");
  return D3D_OK;
}
