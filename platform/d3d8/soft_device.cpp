// The software IDirect3DDevice8: states, resources, the vertex stage and presentation.
#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/d3d8/soft_objects.h"
#include "platform/d3d8/software_device.h"
#include "platform/win32/win32_display.h"

namespace {

constexpr int kRenderStateCount = 256;
constexpr int kStageCount = 8;
constexpr int kStageStateCount = 32;

enum Health { kHealthy, kLost, kNotReset };

D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r{};
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += a.m[i][k] * b.m[k][j];
      r.m[i][j] = sum;
    }
  }
  return r;
}

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

float BitsFloat(DWORD d) {
  float f;
  std::memcpy(&f, &d, 4);
  return f;
}

// Where the parts of a vertex sit, from its flexible vertex format code.
struct VertexLayout {
  bool valid;
  bool pretransformed;
  int diffuse;   // byte offset, or -1
  int specular;  // byte offset, or -1
  int texCoords[8];
  int texCount;
};

VertexLayout ParseFvf(DWORD fvf) {
  VertexLayout layout{};
  layout.diffuse = layout.specular = -1;
  DWORD position = fvf & D3DFVF_POSITION_MASK;
  int offset;
  switch (position) {
    case D3DFVF_XYZ: offset = 12; break;
    case D3DFVF_XYZRHW: offset = 16; break;
    case D3DFVF_XYZB1: case D3DFVF_XYZB2: case D3DFVF_XYZB3: case D3DFVF_XYZB4: case D3DFVF_XYZB5:
      offset = 12 + 4 * int((position - D3DFVF_XYZ) / 2);
      break;
    default: return layout;  // no position: nothing to draw
  }
  layout.valid = (fvf & 1) == 0;  // odd handles name vertex shaders, which this device lacks
  layout.pretransformed = position == D3DFVF_XYZRHW;
  if (fvf & D3DFVF_NORMAL) offset += 12;
  if (fvf & D3DFVF_PSIZE) offset += 4;
  if (fvf & D3DFVF_DIFFUSE) { layout.diffuse = offset; offset += 4; }
  if (fvf & D3DFVF_SPECULAR) { layout.specular = offset; offset += 4; }
  layout.texCount = int((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  layout.texCount = std::min(layout.texCount, 8);
  for (int i = 0; i < layout.texCount; ++i) {
    layout.texCoords[i] = offset;
    static const int kFloats[4] = {2, 3, 4, 1};
    offset += 4 * kFloats[(fvf >> (16 + 2 * i)) & 3];
  }
  return layout;
}

int VertexCountFor(D3DPRIMITIVETYPE type, UINT primitives) {
  switch (type) {
    case D3DPT_TRIANGLELIST: return int(primitives * 3);
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return int(primitives + 2);
    case D3DPT_LINELIST: return int(primitives * 2);
    case D3DPT_LINESTRIP: return int(primitives + 1);
    case D3DPT_POINTLIST: return int(primitives);
    default: return -1;
  }
}

void SetColor(RasterVertex& v, uint32_t c) {
  v.a = float(c >> 24);
  v.r = float((c >> 16) & 255);
  v.g = float((c >> 8) & 255);
  v.b = float(c & 255);
}

}  // namespace

struct SoftDevice final : IDirect3DDevice8 {
  SoftDevice(IDirect3D8* owner, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
             const D3DPRESENT_PARAMETERS& presentParameters);
  ~SoftDevice();

  // ---- IUnknown
  HRESULT WINAPI QueryInterface(REFIID, void** object) override {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++references; }
  ULONG WINAPI Release() override {
    ULONG left = --references;
    if (left == 0) delete this;
    return left;
  }

  // ---- IDirect3DDevice8
  HRESULT WINAPI TestCooperativeLevel() override;
  UINT WINAPI GetAvailableTextureMem() override { return 256u << 20; }
  HRESULT WINAPI ResourceManagerDiscardBytes(DWORD) override { return D3D_OK; }
  HRESULT WINAPI GetDirect3D(IDirect3D8** out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = direct3D;
    direct3D->AddRef();
    return D3D_OK;
  }
  HRESULT WINAPI GetDeviceCaps(D3DCAPS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetDisplayMode(D3DDISPLAYMODE* mode) override;
  HRESULT WINAPI GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = creation;
    return D3D_OK;
  }
  HRESULT WINAPI SetCursorProperties(UINT, UINT, IDirect3DSurface8*) override { return D3DERR_INVALIDCALL; }
  void WINAPI SetCursorPosition(UINT, UINT, DWORD) override {}
  BOOL WINAPI ShowCursor(BOOL) override { return FALSE; }
  HRESULT WINAPI CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain8**) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI Reset(D3DPRESENT_PARAMETERS* presentParameters) override;
  HRESULT WINAPI Present(const RECT*, const RECT*, HWND destWindowOverride, const RGNDATA*) override;
  HRESULT WINAPI GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface8** out) override {
    if (!out || index >= parameters.BackBufferCount) return D3DERR_INVALIDCALL;
    *out = backBuffer.get();
    AddRef();
    return D3D_OK;
  }
  HRESULT WINAPI GetRasterStatus(D3DRASTER_STATUS* status) override {
    if (!status) return D3DERR_INVALIDCALL;
    *status = D3DRASTER_STATUS{TRUE, 0};
    return D3D_OK;
  }
  void WINAPI SetGammaRamp(DWORD, const D3DGAMMARAMP*) override {}
  void WINAPI GetGammaRamp(D3DGAMMARAMP* ramp) override {
    if (!ramp) return;
    for (int i = 0; i < 256; ++i) ramp->red[i] = ramp->green[i] = ramp->blue[i] = WORD(i * 257);
  }
  HRESULT WINAPI CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                               IDirect3DTexture8** texture) override;
  HRESULT WINAPI CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                     IDirect3DVolumeTexture8**) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture8**) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                    IDirect3DVertexBuffer8** buffer) override;
  HRESULT WINAPI CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                   IDirect3DIndexBuffer8** buffer) override;
  HRESULT WINAPI CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL,
                                    IDirect3DSurface8**) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE,
                                           IDirect3DSurface8**) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8**) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CopyRects(IDirect3DSurface8*, const RECT*, UINT, IDirect3DSurface8*, const POINT*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI UpdateTexture(IDirect3DBaseTexture8*, IDirect3DBaseTexture8*) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI GetFrontBuffer(IDirect3DSurface8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetRenderTarget(IDirect3DSurface8*, IDirect3DSurface8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetRenderTarget(IDirect3DSurface8** out) override { return GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, out); }
  HRESULT WINAPI GetDepthStencilSurface(IDirect3DSurface8** out) override {
    if (out) *out = nullptr;
    return D3DERR_NOTFOUND;
  }
  HRESULT WINAPI BeginScene() override {
    if (inScene) return D3DERR_INVALIDCALL;
    inScene = true;
    return D3D_OK;
  }
  HRESULT WINAPI EndScene() override {
    if (!inScene) return D3DERR_INVALIDCALL;
    DrawHeld(nullptr);
    inScene = false;
    return D3D_OK;
  }
  HRESULT WINAPI Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                       DWORD stencil) override;
  HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT WINAPI MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT WINAPI SetViewport(const D3DVIEWPORT8* viewport) override;
  HRESULT WINAPI GetViewport(D3DVIEWPORT8* out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = viewport;
    return D3D_OK;
  }
  HRESULT WINAPI SetMaterial(const D3DMATERIAL8* newMaterial) override {
    if (!newMaterial) return D3DERR_INVALIDCALL;
    material = *newMaterial;
    return D3D_OK;
  }
  HRESULT WINAPI GetMaterial(D3DMATERIAL8* out) override {
    if (!out) return D3DERR_INVALIDCALL;
    *out = material;
    return D3D_OK;
  }
  // Lights are accepted and ignored: with lighting on, vertices get the ambient and emissive
  // terms only (see LightVertex).
  HRESULT WINAPI SetLight(DWORD, const D3DLIGHT8* light) override { return light ? D3D_OK : D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetLight(DWORD, D3DLIGHT8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI LightEnable(DWORD, BOOL) override { return D3D_OK; }
  HRESULT WINAPI GetLightEnable(DWORD, BOOL*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetClipPlane(DWORD, const float*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetClipPlane(DWORD, float*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    if (DWORD(state) >= kRenderStateCount) return D3DERR_INVALIDCALL;
    renderStates[state] = value;
    return D3D_OK;
  }
  HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override {
    if (DWORD(state) >= kRenderStateCount || !value) return D3DERR_INVALIDCALL;
    *value = renderStates[state];
    return D3D_OK;
  }
  HRESULT WINAPI BeginStateBlock() override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI EndStateBlock(DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI ApplyStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI CaptureStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DeleteStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI CreateStateBlock(D3DSTATEBLOCKTYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetClipStatus(const D3DCLIPSTATUS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetClipStatus(D3DCLIPSTATUS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetTexture(DWORD stage, IDirect3DBaseTexture8** out) override {
    if (stage >= kStageCount || !out) return D3DERR_INVALIDCALL;
    *out = textures[stage];
    if (*out) (*out)->AddRef();
    return D3D_OK;
  }
  HRESULT WINAPI SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override {
    if (stage >= kStageCount) return D3DERR_INVALIDCALL;
    if (texture) texture->AddRef();
    if (textures[stage]) textures[stage]->Release();
    textures[stage] = texture;
    return D3D_OK;
  }
  HRESULT WINAPI GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override {
    if (stage >= kStageCount || DWORD(type) >= kStageStateCount || !value) return D3DERR_INVALIDCALL;
    *value = stageStates[stage][type];
    return D3D_OK;
  }
  HRESULT WINAPI SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
    if (stage >= kStageCount || DWORD(type) >= kStageStateCount) return D3DERR_INVALIDCALL;
    stageStates[stage][type] = value;
    return D3D_OK;
  }
  HRESULT WINAPI ValidateDevice(DWORD* passes) override {
    if (passes) *passes = 1;
    return D3D_OK;
  }
  HRESULT WINAPI GetInfo(DWORD, void*, DWORD) override { return S_FALSE; }
  HRESULT WINAPI SetPaletteEntries(UINT, const PALETTEENTRY*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPaletteEntries(UINT, PALETTEENTRY*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetCurrentTexturePalette(UINT) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetCurrentTexturePalette(UINT*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                      UINT primitiveCount) override;
  HRESULT WINAPI DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data,
                                 UINT stride) override;
  HRESULT WINAPI DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                        UINT primitiveCount, const void* indexData, D3DFORMAT indexFormat,
                                        const void* vertexData, UINT stride) override;
  HRESULT WINAPI ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI CreateVertexShader(const DWORD*, const DWORD*, DWORD*, DWORD) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT WINAPI SetVertexShader(DWORD handle) override {
    if (handle & 1) return D3DERR_INVALIDCALL;
    fvf = handle;
    return D3D_OK;
  }
  HRESULT WINAPI GetVertexShader(DWORD* handle) override {
    if (!handle) return D3DERR_INVALIDCALL;
    *handle = fvf;
    return D3D_OK;
  }
  HRESULT WINAPI DeleteVertexShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetVertexShaderConstant(DWORD, const void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetVertexShaderConstant(DWORD, void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetVertexShaderDeclaration(DWORD, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetVertexShaderFunction(DWORD, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetStreamSource(UINT number, IDirect3DVertexBuffer8* data, UINT stride) override {
    if (number != 0) return D3DERR_INVALIDCALL;
    if (data) data->AddRef();
    if (stream) stream->Release();
    stream = static_cast<SoftVertexBuffer*>(data);
    streamStride = stride;
    return D3D_OK;
  }
  HRESULT WINAPI GetStreamSource(UINT number, IDirect3DVertexBuffer8** data, UINT* stride) override {
    if (number != 0 || !data || !stride) return D3DERR_INVALIDCALL;
    *data = stream;
    if (stream) stream->AddRef();
    *stride = streamStride;
    return D3D_OK;
  }
  HRESULT WINAPI SetIndices(IDirect3DIndexBuffer8* data, UINT base) override {
    if (data) data->AddRef();
    if (indices) indices->Release();
    indices = static_cast<SoftIndexBuffer*>(data);
    baseVertexIndex = base;
    return D3D_OK;
  }
  HRESULT WINAPI GetIndices(IDirect3DIndexBuffer8** data, UINT* base) override {
    if (!data || !base) return D3DERR_INVALIDCALL;
    *data = indices;
    if (indices) indices->AddRef();
    *base = baseVertexIndex;
    return D3D_OK;
  }
  HRESULT WINAPI CreatePixelShader(const DWORD*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetPixelShader(DWORD handle) override { return handle == 0 ? D3D_OK : D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPixelShader(DWORD* handle) override {
    if (!handle) return D3DERR_INVALIDCALL;
    *handle = 0;
    return D3D_OK;
  }
  HRESULT WINAPI DeletePixelShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetPixelShaderConstant(DWORD, const void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPixelShaderConstant(DWORD, void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPixelShaderFunction(DWORD, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DeletePatch(UINT) override { return D3DERR_INVALIDCALL; }

  // ---- internals
  void CreateBuffers();
  void FollowWindowSize();
  void SetDefaultStates();
  LONG PhysicalX(LONG x) const;
  LONG PhysicalY(LONG y) const;
  void ReleaseBindings();
  RasterVertex FetchVertex(const uint8_t* vertex, const VertexLayout& layout, const D3DMATRIX& transform,
                           const D3DMATRIX* textureTransform) const;
  void LightVertex(RasterVertex& v, const uint8_t* vertex, const VertexLayout& layout) const;
  void BuildRasterState(bool pretransformed);
  HRESULT Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const uint8_t* vertices, UINT stride,
               UINT vertexCount, const void* indexData, D3DFORMAT indexFormat, UINT indexBase);
  void KeepTargetFormat();
  bool AssembleTriangles(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT vertexCount, const void* indexData,
                         D3DFORMAT indexFormat, UINT indexBase);
  bool Holdable() const;
  void Hold();
  void DrawHeld(const OpaqueCover* cover);
  void ReleaseSharedFrame();

  ULONG references = 1;
  IDirect3D8* direct3D;
  D3DDEVICE_CREATION_PARAMETERS creation;
  D3DPRESENT_PARAMETERS parameters;
  std::unique_ptr<SoftSurface> backBuffer;
  // The back buffer may be larger than the application asked for (the size of the window's
  // picture); the asked-for size maps onto `picture` in it, as a viewport would.
  BackBufferPlacement placement;
  std::vector<uint32_t> depth;
  int depthBits = 0;
  DWORD renderStates[kRenderStateCount];
  DWORD stageStates[kStageCount][kStageStateCount];
  D3DMATRIX world, view, projection, textureMatrices[kStageCount];
  D3DVIEWPORT8 viewport;
  D3DMATERIAL8 material;
  IDirect3DBaseTexture8* textures[kStageCount] = {};
  SoftVertexBuffer* stream = nullptr;
  UINT streamStride = 0;
  SoftIndexBuffer* indices = nullptr;
  UINT baseVertexIndex = 0;
  DWORD fvf = 0;
  bool inScene = false;
  Health health = kHealthy;
  int lostReports = 0;
  int resetCount = 0;
  int presentCount = 0;
  int defaultPoolResources = 0;
  RasterState raster;
  RasterContext context;
  std::vector<RasterVertex> transformed;  // reused by every draw; grows only
  std::vector<RasterVertex> assembled;    // the draw's triangles, three corners each
  // Draws that only replace pixels wait for the next draw: where it covers them with opaque
  // texels (the picture in front of the sky and the water), they are not shaded at all.
  struct HeldDraw {
    RasterState state;
    size_t firstCorner, cornerCount;
  };
  std::vector<HeldDraw> held;
  std::vector<RasterVertex> heldCorners;
  OpaqueCover cover;
};


// ---------------------------------------------------------------------------------------------
// Creation, reset and states

SoftDevice::SoftDevice(IDirect3D8* owner, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       const D3DPRESENT_PARAMETERS& presentParameters)
    : direct3D(owner), creation{D3DADAPTER_DEFAULT, type, focusWindow, behaviorFlags}, parameters(presentParameters) {
  direct3D->AddRef();
  CreateBuffers();
  SetDefaultStates();
}

SoftDevice::~SoftDevice() {
  DrawHeld(nullptr);
  ReleaseSharedFrame();
  ReleaseBindings();
  direct3D->Release();
}

void SoftDevice::CreateBuffers() {
  HWND window = parameters.hDeviceWindow ? parameters.hDeviceWindow : creation.hFocusWindow;
  placement = ChooseBackBuffer(window, int(parameters.BackBufferWidth), int(parameters.BackBufferHeight));
  UINT width = UINT(placement.width);
  UINT height = UINT(placement.height);
  ReleaseSharedFrame();
  if (backBuffer) {
    backBuffer->format = parameters.BackBufferFormat;
    backBuffer->width = width;
    backBuffer->height = height;
  } else {
    backBuffer = std::make_unique<SoftSurface>(this, this, parameters.BackBufferFormat, width, height,
                                               D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
  }
  // Drawn straight into memory the window's server reads, a frame is shown without a copy.
  backBuffer->shared = Win32AllocateSharedFrame(window, int(width), int(height));
  if (backBuffer->shared) {
    decltype(backBuffer->pixels)().swap(backBuffer->pixels);
    std::fill(backBuffer->shared, backBuffer->shared + backBuffer->PixelCount(), 0xFF000000u);
  } else {
    backBuffer->pixels.assign(backBuffer->PixelCount(), 0xFF000000u);
  }
  depthBits = parameters.EnableAutoDepthStencil ? DepthBits(parameters.AutoDepthStencilFormat) : 0;
  depth.assign(depthBits ? size_t(width) * height : 0, 0);
}

void SoftDevice::ReleaseSharedFrame() {
  if (!backBuffer || !backBuffer->shared) return;
  Win32FreeSharedFrame(backBuffer->shared);
  backBuffer->shared = nullptr;
}

void SoftDevice::SetDefaultStates() {
  std::fill(std::begin(renderStates), std::end(renderStates), 0u);
  auto rs = [this](D3DRENDERSTATETYPE state, DWORD value) { renderStates[state] = value; };
  rs(D3DRS_ZENABLE, parameters.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE);
  rs(D3DRS_FILLMODE, D3DFILL_SOLID);
  rs(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  rs(D3DRS_ZWRITEENABLE, TRUE);
  rs(D3DRS_LASTPIXEL, TRUE);
  rs(D3DRS_SRCBLEND, D3DBLEND_ONE);
  rs(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  rs(D3DRS_CULLMODE, D3DCULL_CCW);
  rs(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  rs(D3DRS_ALPHAFUNC, D3DCMP_ALWAYS);
  rs(D3DRS_FOGEND, FloatBits(1.0f));
  rs(D3DRS_FOGDENSITY, FloatBits(1.0f));
  rs(D3DRS_STENCILFAIL, 1);
  rs(D3DRS_STENCILZFAIL, 1);
  rs(D3DRS_STENCILPASS, 1);
  rs(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  rs(D3DRS_STENCILMASK, 0xFFFFFFFF);
  rs(D3DRS_STENCILWRITEMASK, 0xFFFFFFFF);
  rs(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
  rs(D3DRS_CLIPPING, TRUE);
  rs(D3DRS_LIGHTING, TRUE);
  rs(D3DRS_COLORVERTEX, TRUE);
  rs(D3DRS_LOCALVIEWER, TRUE);
  rs(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  rs(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_COLOR2);
  rs(D3DRS_SOFTWAREVERTEXPROCESSING, (creation.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE);
  rs(D3DRS_POINTSIZE, FloatBits(1.0f));
  rs(D3DRS_POINTSIZE_MIN, FloatBits(1.0f));
  rs(D3DRS_POINTSCALE_A, FloatBits(1.0f));
  rs(D3DRS_MULTISAMPLEANTIALIAS, TRUE);
  rs(D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF);
  rs(D3DRS_PATCHSEGMENTS, FloatBits(1.0f));
  rs(D3DRS_POINTSIZE_MAX, FloatBits(64.0f));
  rs(D3DRS_COLORWRITEENABLE, 0xF);
  rs(D3DRS_BLENDOP, D3DBLENDOP_ADD);
  for (int stage = 0; stage < kStageCount; ++stage) {
    DWORD* s = stageStates[stage];
    std::fill(s, s + kStageStateCount, 0u);
    s[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    s[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    s[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    s[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    s[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    s[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    s[D3DTSS_TEXCOORDINDEX] = DWORD(stage);
    s[D3DTSS_ADDRESSU] = s[D3DTSS_ADDRESSV] = s[D3DTSS_ADDRESSW] = D3DTADDRESS_WRAP;
    s[D3DTSS_MAGFILTER] = s[D3DTSS_MINFILTER] = D3DTEXF_POINT;
    s[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
    s[D3DTSS_MAXANISOTROPY] = 1;
    s[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    s[D3DTSS_COLORARG0] = s[D3DTSS_ALPHAARG0] = s[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    textureMatrices[stage] = Identity();
  }
  world = view = projection = Identity();
  viewport = D3DVIEWPORT8{0, 0, parameters.BackBufferWidth, parameters.BackBufferHeight, 0.0f, 1.0f};
  material = D3DMATERIAL8{};
  fvf = 0;
}

void SoftDevice::ReleaseBindings() {
  for (IDirect3DBaseTexture8*& texture : textures) {
    if (texture) texture->Release();
    texture = nullptr;
  }
  SetStreamSource(0, nullptr, 0);
  SetIndices(nullptr, 0);
}

HRESULT SoftDevice::TestCooperativeLevel() {
  if (health == kLost) {
    if (--lostReports <= 0) health = kNotReset;
    return D3DERR_DEVICELOST;
  }
  return health == kNotReset ? D3DERR_DEVICENOTRESET : D3D_OK;
}

HRESULT SoftDevice::Reset(D3DPRESENT_PARAMETERS* presentParameters) {
  if (!presentParameters) return D3DERR_INVALIDCALL;
  if (health == kLost) return D3DERR_DEVICELOST;
  // Resources of the default pool die with the device's memory; the application must have
  // released them, or the reset fails, as it does on a real device.
  if (defaultPoolResources > 0) return D3DERR_INVALIDCALL;
  D3DPRESENT_PARAMETERS checked = *presentParameters;
  HRESULT result = CompletePresentParameters(checked, creation.hFocusWindow);
  if (FAILED(result)) return result;
  *presentParameters = checked;
  parameters = checked;
  DrawHeld(nullptr);
  ReleaseBindings();
  CreateBuffers();
  SetDefaultStates();
  inScene = false;
  health = kHealthy;
  ++resetCount;
  return D3D_OK;
}

// After a present the discarded back buffer may change size, so it follows a resized window.
void SoftDevice::FollowWindowSize() {
  HWND window = parameters.hDeviceWindow ? parameters.hDeviceWindow : creation.hFocusWindow;
  BackBufferPlacement wanted =
      ChooseBackBuffer(window, int(parameters.BackBufferWidth), int(parameters.BackBufferHeight));
  if (std::memcmp(&wanted, &placement, sizeof wanted) != 0) CreateBuffers();
}

LONG SoftDevice::PhysicalX(LONG x) const {
  return LONG(placement.pictureX + int64_t(x) * placement.pictureWidth / int64_t(parameters.BackBufferWidth));
}

LONG SoftDevice::PhysicalY(LONG y) const {
  return LONG(placement.pictureY + int64_t(y) * placement.pictureHeight / int64_t(parameters.BackBufferHeight));
}

HRESULT SoftDevice::GetDisplayMode(D3DDISPLAYMODE* mode) {
  if (!mode) return D3DERR_INVALIDCALL;
  *mode = D3DDISPLAYMODE{parameters.BackBufferWidth, parameters.BackBufferHeight,
                         parameters.FullScreen_RefreshRateInHz, parameters.BackBufferFormat};
  return D3D_OK;
}

HRESULT SoftDevice::Present(const RECT*, const RECT*, HWND destWindowOverride, const RGNDATA*) {
  if (health != kHealthy) return D3DERR_DEVICELOST;
  DrawHeld(nullptr);
  HWND window = destWindowOverride ? destWindowOverride
                                   : (parameters.hDeviceWindow ? parameters.hDeviceWindow : creation.hFocusWindow);
  UINT interval = parameters.FullScreen_PresentationInterval;
  bool waitForRetrace = interval == D3DPRESENT_INTERVAL_ONE ||
                        (interval == D3DPRESENT_INTERVAL_DEFAULT && !parameters.Windowed);
  if (window) {
    DrawFrameRateOverlay(backBuffer->Pixels(), int(backBuffer->width), int(backBuffer->height),
                         int(backBuffer->width));
    Win32ShowFrame(window, backBuffer->Pixels(), int(backBuffer->width), int(backBuffer->height),
                   int(backBuffer->width) * 4, waitForRetrace);
  }
  FollowWindowSize();
  ++presentCount;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Resources

HRESULT SoftDevice::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture8** texture) {
  if (!texture) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (width == 0 || height == 0 || width > 4096 || height > 4096 || !IsColorFormat(format)) return D3DERR_INVALIDCALL;
  if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) return D3DERR_INVALIDCALL;
  *texture = new SoftTexture(this, width, height, levels, usage, format, pool);
  return D3D_OK;
}

HRESULT SoftDevice::CreateVertexBuffer(UINT length, DWORD usage, DWORD vertexFormat, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0) return D3DERR_INVALIDCALL;
  *buffer = new SoftVertexBuffer(this, length, usage, vertexFormat, pool);
  return D3D_OK;
}

HRESULT SoftDevice::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer8** buffer) {
  if (!buffer) return D3DERR_INVALIDCALL;
  *buffer = nullptr;
  if (length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) return D3DERR_INVALIDCALL;
  *buffer = new SoftIndexBuffer(this, length, usage, format, pool);
  return D3D_OK;
}

void DeviceAddResource(SoftDevice* device, D3DPOOL pool) {
  if (pool == D3DPOOL_DEFAULT) ++device->defaultPoolResources;
}

void DeviceRemoveResource(SoftDevice* device, D3DPOOL pool) {
  if (pool == D3DPOOL_DEFAULT) --device->defaultPoolResources;
}

IDirect3DDevice8* DeviceInterface(SoftDevice* device) { return device; }

// ---------------------------------------------------------------------------------------------
// Clear and transforms

HRESULT SoftDevice::Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD) {
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && depthBits == 0) return D3DERR_INVALIDCALL;
  if (rectCount > 0 && !rects) return D3DERR_INVALIDCALL;
  if (health != kHealthy) return D3D_OK;
  DrawHeld(nullptr);
  const uint32_t depthMax = depthBits >= 32 ? 0xFFFFFFFFu : (1u << depthBits) - 1u;
  const uint32_t depthValue = uint32_t(double(std::clamp(z, 0.0f, 1.0f)) * double(depthMax) + 0.5);
  const LONG width = LONG(backBuffer->width);
  QuantiseToFormat(backBuffer->format, &color, 1);
  auto clearArea = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
    x1 = std::max<LONG>({PhysicalX(x1), PhysicalX(LONG(viewport.X)), 0});
    y1 = std::max<LONG>({PhysicalY(y1), PhysicalY(LONG(viewport.Y)), 0});
    x2 = std::min<LONG>({PhysicalX(x2), PhysicalX(LONG(viewport.X + viewport.Width)), width});
    y2 = std::min<LONG>({PhysicalY(y2), PhysicalY(LONG(viewport.Y + viewport.Height)), LONG(backBuffer->height)});
    for (LONG y = y1; y < y2 && x1 < x2; ++y) {
      size_t row = size_t(y) * size_t(width);
      if (flags & D3DCLEAR_TARGET) std::fill(backBuffer->Pixels() + row + x1, backBuffer->Pixels() + row + x2, color);
      if (flags & D3DCLEAR_ZBUFFER) std::fill(&depth[row + x1], &depth[row + x2 - 1] + 1, depthValue);
    }
  };
  if (rectCount == 0) {
    clearArea(0, 0, LONG(parameters.BackBufferWidth), LONG(parameters.BackBufferHeight));
  } else {
    for (DWORD i = 0; i < rectCount; ++i) clearArea(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  return D3D_OK;
}

namespace {

D3DMATRIX* TransformSlot(SoftDevice& d, D3DTRANSFORMSTATETYPE state) {
  DWORD s = DWORD(state);
  if (s == DWORD(D3DTS_WORLD)) return &d.world;
  if (s == D3DTS_VIEW) return &d.view;
  if (s == D3DTS_PROJECTION) return &d.projection;
  if (s >= D3DTS_TEXTURE0 && s <= D3DTS_TEXTURE7) return &d.textureMatrices[s - D3DTS_TEXTURE0];
  return nullptr;
}

}  // namespace

HRESULT SoftDevice::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (!matrix) return D3DERR_INVALIDCALL;
  D3DMATRIX* slot = TransformSlot(*this, state);
  if (slot) *slot = *matrix;
  return D3D_OK;
}

HRESULT SoftDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
  D3DMATRIX* slot = TransformSlot(*this, state);
  if (!matrix || !slot) return D3DERR_INVALIDCALL;
  *matrix = *slot;
  return D3D_OK;
}

HRESULT SoftDevice::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  D3DMATRIX* slot = TransformSlot(*this, state);
  if (!matrix || !slot) return D3DERR_INVALIDCALL;
  *slot = Multiply(*matrix, *slot);
  return D3D_OK;
}

HRESULT SoftDevice::SetViewport(const D3DVIEWPORT8* newViewport) {
  if (!newViewport || newViewport->Width == 0 || newViewport->Height == 0) return D3DERR_INVALIDCALL;
  if (uint64_t(newViewport->X) + newViewport->Width > parameters.BackBufferWidth ||
      uint64_t(newViewport->Y) + newViewport->Height > parameters.BackBufferHeight) {
    return D3DERR_INVALIDCALL;
  }
  viewport = *newViewport;
  return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// The vertex stage

// Lighting without lights: what remains of the fixed-function lighting equation is the ambient
// light times the ambient colour plus the emissive colour; alpha comes from the diffuse source.
void SoftDevice::LightVertex(RasterVertex& v, const uint8_t* vertex, const VertexLayout& layout) const {
  auto source = [&](D3DRENDERSTATETYPE state, const D3DCOLORVALUE& fromMaterial) {
    DWORD which = renderStates[D3DRS_COLORVERTEX] ? renderStates[state] : DWORD(D3DMCS_MATERIAL);
    int offset = which == D3DMCS_COLOR1 ? layout.diffuse : which == D3DMCS_COLOR2 ? layout.specular : -1;
    if (which == D3DMCS_MATERIAL || offset < 0) return fromMaterial;
    uint32_t c;
    std::memcpy(&c, vertex + offset, 4);
    return D3DCOLORVALUE{float((c >> 16) & 255) / 255.0f, float((c >> 8) & 255) / 255.0f, float(c & 255) / 255.0f,
                         float(c >> 24) / 255.0f};
  };
  D3DCOLORVALUE ambient = source(D3DRS_AMBIENTMATERIALSOURCE, material.Ambient);
  D3DCOLORVALUE emissive = source(D3DRS_EMISSIVEMATERIALSOURCE, material.Emissive);
  D3DCOLORVALUE diffuse = source(D3DRS_DIFFUSEMATERIALSOURCE, material.Diffuse);
  uint32_t light = renderStates[D3DRS_AMBIENT];
  auto channel = [](float a, uint32_t lightChannel, float e) {
    return std::clamp(a * float(lightChannel) + e * 255.0f, 0.0f, 255.0f);
  };
  v.r = channel(ambient.r, (light >> 16) & 255, emissive.r);
  v.g = channel(ambient.g, (light >> 8) & 255, emissive.g);
  v.b = channel(ambient.b, light & 255, emissive.b);
  v.a = std::clamp(diffuse.a * 255.0f, 0.0f, 255.0f);
}

RasterVertex SoftDevice::FetchVertex(const uint8_t* vertex, const VertexLayout& layout, const D3DMATRIX& m,
                                     const D3DMATRIX* textureTransform) const {
  float p[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  std::memcpy(p, vertex, layout.pretransformed ? 16 : 12);
  RasterVertex v;
  if (layout.pretransformed) {
    v.x = p[0];
    v.y = p[1];
    v.z = p[2];
    v.w = p[3];
  } else {
    v.x = p[0] * m._11 + p[1] * m._21 + p[2] * m._31 + m._41;
    v.y = p[0] * m._12 + p[1] * m._22 + p[2] * m._32 + m._42;
    v.z = p[0] * m._13 + p[1] * m._23 + p[2] * m._33 + m._43;
    v.w = p[0] * m._14 + p[1] * m._24 + p[2] * m._34 + m._44;
  }
  uint32_t diffuse = 0xFFFFFFFF;
  if (layout.diffuse >= 0) std::memcpy(&diffuse, vertex + layout.diffuse, 4);
  SetColor(v, diffuse);
  if (renderStates[D3DRS_LIGHTING] && !layout.pretransformed) LightVertex(v, vertex, layout);
  v.u = v.v = 0.0f;
  int set = int(stageStates[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF);
  if (set < layout.texCount) {
    float uv[2];
    std::memcpy(uv, vertex + layout.texCoords[set], 8);
    v.u = uv[0];
    v.v = uv[1];
  }
  if (textureTransform) {
    // Two coordinates travel as (u, v, 1, 0), so the third row carries the translation.
    const D3DMATRIX& t = *textureTransform;
    float u = v.u, w = v.v;
    v.u = u * t._11 + w * t._21 + t._31;
    v.v = u * t._12 + w * t._22 + t._32;
  }
  return v;
}

void SoftDevice::BuildRasterState(bool pretransformed) {
  RasterState& s = raster;
  s.target.pixels = backBuffer->Pixels();
  s.target.pitch = int(backBuffer->width);
  s.target.width = int(backBuffer->width);
  s.target.height = int(backBuffer->height);
  s.target.hasAlpha = backBuffer->format == D3DFMT_A8R8G8B8;
  s.target.depth = depthBits ? depth.data() : nullptr;
  s.target.depthPitch = int(backBuffer->width);
  s.target.depthMax = depthBits >= 32 ? 0xFFFFFFFFu : depthBits ? (1u << depthBits) - 1u : 0u;
  s.viewportX = int(PhysicalX(LONG(viewport.X)));
  s.viewportY = int(PhysicalY(LONG(viewport.Y)));
  s.viewportWidth = int(PhysicalX(LONG(viewport.X + viewport.Width))) - s.viewportX;
  s.viewportHeight = int(PhysicalY(LONG(viewport.Y + viewport.Height))) - s.viewportY;
  s.minZ = viewport.MinZ;
  s.maxZ = viewport.MaxZ;
  s.pretransformed = pretransformed;
  s.cullMode = renderStates[D3DRS_CULLMODE];
  s.flatShading = renderStates[D3DRS_SHADEMODE] == D3DSHADE_FLAT;
  s.depthTest = renderStates[D3DRS_ZENABLE] != D3DZB_FALSE;
  s.depthFunc = renderStates[D3DRS_ZFUNC];
  s.depthWrite = renderStates[D3DRS_ZWRITEENABLE] != FALSE;
  s.alphaTest = renderStates[D3DRS_ALPHATESTENABLE] != FALSE;
  s.alphaFunc = renderStates[D3DRS_ALPHAFUNC];
  s.alphaRef = renderStates[D3DRS_ALPHAREF];
  s.blend = renderStates[D3DRS_ALPHABLENDENABLE] != FALSE;
  s.srcBlend = renderStates[D3DRS_SRCBLEND];
  s.destBlend = renderStates[D3DRS_DESTBLEND];
  s.blendOp = renderStates[D3DRS_BLENDOP];
  const DWORD* stage = stageStates[0];
  SoftTexture* texture = static_cast<SoftTexture*>(static_cast<IDirect3DTexture8*>(textures[0]));
  if (texture) texture->FindVisibleColumnsOfLevels();
  s.texture = texture ? &texture->raster : nullptr;
  s.colorOp = stage[D3DTSS_COLOROP];
  s.colorArg1 = stage[D3DTSS_COLORARG1];
  s.colorArg2 = stage[D3DTSS_COLORARG2];
  s.alphaOp = stage[D3DTSS_ALPHAOP];
  s.alphaArg1 = stage[D3DTSS_ALPHAARG1];
  s.alphaArg2 = stage[D3DTSS_ALPHAARG2];
  s.textureFactor = renderStates[D3DRS_TEXTUREFACTOR];
  s.magFilter = stage[D3DTSS_MAGFILTER];
  // Point sampling keeps texels exact where a texel is a pixel of the drawing space; on a back
  // buffer larger than that space it would blow each texel up into a block, so it magnifies
  // smoothly instead, as the picture looks scaled by the screen.
  if (s.magFilter == D3DTEXF_POINT && placement.pictureWidth > int(parameters.BackBufferWidth)) {
    s.magFilter = D3DTEXF_LINEAR;
  }
  s.minFilter = stage[D3DTSS_MINFILTER];
  s.mipFilter = stage[D3DTSS_MIPFILTER];
  s.addressU = stage[D3DTSS_ADDRESSU];
  s.addressV = stage[D3DTSS_ADDRESSV];
  s.mipLodBias = BitsFloat(stage[D3DTSS_MIPMAPLODBIAS]);
  s.maxMipLevel = std::max(stage[D3DTSS_MAXMIPLEVEL], texture ? texture->lod : 0u);
}

HRESULT SoftDevice::Draw(D3DPRIMITIVETYPE type, UINT primitiveCount, const uint8_t* vertices, UINT stride,
                         UINT vertexCount, const void* indexData, D3DFORMAT indexFormat, UINT indexBase) {
  int needed = VertexCountFor(type, primitiveCount);
  VertexLayout layout = ParseFvf(fvf);
  if (needed < 0 || !layout.valid || !vertices || stride == 0) return D3DERR_INVALIDCALL;
  if (health != kHealthy || primitiveCount == 0) return D3D_OK;
  // Points and lines are not drawn by this device; the system draws only triangles.
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP && type != D3DPT_TRIANGLEFAN) return D3D_OK;

  D3DMATRIX combined = Multiply(Multiply(world, view), projection);
  const D3DMATRIX* textureTransform = nullptr;
  if ((stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) != D3DTTFF_DISABLE) textureTransform = &textureMatrices[0];
  if (transformed.size() < vertexCount) transformed.resize(vertexCount);
  for (UINT i = 0; i < vertexCount; ++i) {
    transformed[i] = FetchVertex(vertices + size_t(i) * stride, layout, combined, textureTransform);
  }
  if (layout.pretransformed) ScalePretransformed(transformed.data(), vertexCount, placement,
                                                 parameters.BackBufferWidth, parameters.BackBufferHeight);
  BuildRasterState(layout.pretransformed);
  RasterBegin(context, raster);
  bool ok = AssembleTriangles(type, primitiveCount, vertexCount, indexData, indexFormat, indexBase);
  SoftTexture* texture = static_cast<SoftTexture*>(static_cast<IDirect3DTexture8*>(textures[0]));
  if (Holdable()) {
    Hold();
    return ok ? D3D_OK : D3DERR_INVALIDCALL;
  }
  if (!held.empty()) {
    bool covers = texture && assembled.size() == 6 &&
                  FindOpaqueCover(context, assembled.data(), 2, texture->OpaqueTexelsOfTop(), &cover);
    DrawHeld(covers ? &cover : nullptr);
    RasterBegin(context, raster);
  }
  for (size_t i = 0; i + 2 < assembled.size(); i += 3) {
    RasterTriangle(context, assembled[i], assembled[i + 1], assembled[i + 2]);
  }
  KeepTargetFormat();
  return ok ? D3D_OK : D3DERR_INVALIDCALL;
}

// The corners of the draw's triangles, in order, up to the first index outside the vertices;
// false if there was one.
bool SoftDevice::AssembleTriangles(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT vertexCount,
                                   const void* indexData, D3DFORMAT indexFormat, UINT indexBase) {
  assembled.clear();
  auto corner = [&](int n) {
    UINT index = UINT(n);
    if (indexData) {
      index = indexFormat == D3DFMT_INDEX32 ? static_cast<const uint32_t*>(indexData)[n]
                                            : static_cast<const uint16_t*>(indexData)[n];
      index -= indexBase;
    }
    return index;
  };
  for (UINT p = 0; p < primitiveCount; ++p) {
    int a, b, c;
    if (type == D3DPT_TRIANGLELIST) {
      a = int(p * 3); b = a + 1; c = a + 2;
    } else if (type == D3DPT_TRIANGLEFAN) {
      a = 0; b = int(p + 1); c = int(p + 2);
    } else if (p % 2 == 0) {
      a = int(p); b = a + 1; c = a + 2;
    } else {  // odd strip triangles run the other way so that all keep one winding
      a = int(p + 1); b = int(p); c = int(p + 2);
    }
    UINT ia = corner(a), ib = corner(b), ic = corner(c);
    if (ia >= vertexCount || ib >= vertexCount || ic >= vertexCount) return false;
    assembled.insert(assembled.end(), {transformed[ia], transformed[ib], transformed[ic]});
  }
  return true;
}

// A draw is held when all it does is replace pixels of a 32-bit target with its shading.
bool SoftDevice::Holdable() const {
  return rasterSkipsUnchangedPixels && context.shadeIntoTarget && FormatBytes(backBuffer->format) == 4 && !assembled.empty();
}

// Only the last few draws before a cover gain from waiting; a scene that never ends must not
// gather draws without bound.
constexpr size_t kMostHeldDraws = 64;
constexpr size_t kMostHeldCorners = 1 << 16;

void SoftDevice::Hold() {
  if (held.size() >= kMostHeldDraws || heldCorners.size() >= kMostHeldCorners) DrawHeld(nullptr);
  held.push_back(HeldDraw{raster, heldCorners.size(), assembled.size()});
  heldCorners.insert(heldCorners.end(), assembled.begin(), assembled.end());
}

// Draws the held draws, skipping what `cover` (when not null) will cover.
void SoftDevice::DrawHeld(const OpaqueCover* cover) {
  for (HeldDraw& draw : held) {
    RasterBegin(context, draw.state);
    context.cover = cover;
    const RasterVertex* corners = heldCorners.data() + draw.firstCorner;
    for (size_t i = 0; i + 2 < draw.cornerCount; i += 3) RasterTriangle(context, corners[i], corners[i + 1], corners[i + 2]);
  }
  held.clear();
  heldCorners.clear();
}

void DrawHeldDraws(SoftDevice* device) {
  if (device) device->DrawHeld(nullptr);
}

void SoftwareDeviceSkipUnchangedPixels(bool skip) { rasterSkipsUnchangedPixels = skip; }

// Blending runs on 8-bit channels; a 16-bit target keeps only what its format holds of the
// pixels a draw touched, so the next draw, and every capture, sees what real hardware stores.
void SoftDevice::KeepTargetFormat() {
  if (FormatBytes(backBuffer->format) != 2) return;
  const int width = int(backBuffer->width);
  const int left = std::max(context.touchedLeft, 0), right = std::min(context.touchedRight, width);
  const int bottom = std::min(context.touchedBottom, int(backBuffer->height));
  for (int y = std::max(context.touchedTop, 0); y < bottom && left < right; ++y) {
    QuantiseToFormat(backBuffer->format, backBuffer->Pixels() + size_t(y) * size_t(width) + size_t(left), right - left);
  }
}

HRESULT SoftDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* data, UINT stride) {
  int count = VertexCountFor(type, primitiveCount);
  if (count < 0) return D3DERR_INVALIDCALL;
  return Draw(type, primitiveCount, static_cast<const uint8_t*>(data), stride, UINT(count), nullptr,
              D3DFMT_UNKNOWN, 0);
}

HRESULT SoftDevice::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                           UINT primitiveCount, const void* indexData, D3DFORMAT indexFormat,
                                           const void* vertexData, UINT stride) {
  if (!indexData || !vertexData) return D3DERR_INVALIDCALL;
  const uint8_t* first = static_cast<const uint8_t*>(vertexData) + size_t(minIndex) * stride;
  return Draw(type, primitiveCount, first, stride, vertexCount, indexData, indexFormat, minIndex);
}

HRESULT SoftDevice::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) {
  int count = VertexCountFor(type, primitiveCount);
  if (!stream || streamStride == 0 || count < 0) return D3DERR_INVALIDCALL;
  uint64_t end = (uint64_t(startVertex) + UINT(count)) * streamStride;
  if (end > stream->bytes.size()) return D3DERR_INVALIDCALL;
  return Draw(type, primitiveCount, stream->bytes.data() + size_t(startVertex) * streamStride, streamStride,
              UINT(count), nullptr, D3DFMT_UNKNOWN, 0);
}

HRESULT SoftDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                         UINT primitiveCount) {
  int count = VertexCountFor(type, primitiveCount);
  if (!stream || !indices || streamStride == 0 || count < 0) return D3DERR_INVALIDCALL;
  size_t indexSize = indices->desc.Format == D3DFMT_INDEX32 ? 4 : 2;
  if ((uint64_t(startIndex) + UINT(count)) * indexSize > indices->bytes.size()) return D3DERR_INVALIDCALL;
  uint64_t first = uint64_t(baseVertexIndex) + minIndex;
  if ((first + vertexCount) * streamStride > stream->bytes.size()) return D3DERR_INVALIDCALL;
  return Draw(type, primitiveCount, stream->bytes.data() + first * streamStride, streamStride, vertexCount,
              indices->bytes.data() + startIndex * indexSize, indices->desc.Format, minIndex);
}

// ---------------------------------------------------------------------------------------------
// Creation and test controls

IDirect3DDevice8* CreateSoftDevice(IDirect3D8* direct3D, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                                   const D3DPRESENT_PARAMETERS& parameters) {
  return new SoftDevice(direct3D, type, focusWindow, behaviorFlags, parameters);
}

void SoftwareDeviceLose(IDirect3DDevice8* device, int lostReports) {
  SoftDevice* d = static_cast<SoftDevice*>(device);
  d->lostReports = lostReports;
  d->health = lostReports > 0 ? kLost : kNotReset;
}

int SoftwareDeviceResetCount(IDirect3DDevice8* device) { return static_cast<SoftDevice*>(device)->resetCount; }

int SoftwareDevicePresentCount(IDirect3DDevice8* device) { return static_cast<SoftDevice*>(device)->presentCount; }

int SoftwareDeviceHeldDraws(IDirect3DDevice8* device) { return int(static_cast<SoftDevice*>(device)->held.size()); }

void SoftwareDeviceBackBufferSize(IDirect3DDevice8* device, int* width, int* height) {
  SoftDevice* d = static_cast<SoftDevice*>(device);
  *width = int(d->backBuffer->width);
  *height = int(d->backBuffer->height);
}
