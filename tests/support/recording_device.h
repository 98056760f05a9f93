// A Direct3D 8 device that draws nothing and remembers what it was asked: draws with their
// vertices copied, render and texture stage states, transforms, bound textures, clears, scene
// brackets, presents and resets, in call order. TestCooperativeLevel answers what a test sets.
#pragma once
#include <windows.h>
#include <d3d8.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct RecordedDraw {
  D3DPRIMITIVETYPE type;
  UINT primitiveCount;
  UINT stride;
  DWORD vertexFormat;
  IDirect3DBaseTexture8* texture;  // stage 0 at the time of the draw, not referenced
  std::vector<uint8_t> vertices;

  // The vertex at `index` as a T, for vertex layouts the test knows.
  template <typename T>
  T Vertex(size_t index) const {
    T v;
    std::memcpy(&v, vertices.data() + index * stride, sizeof(T));
    return v;
  }
};

struct RecordedStageState {
  DWORD stage;
  D3DTEXTURESTAGESTATETYPE type;
  DWORD value;
};

struct RecordedTransform {
  D3DTRANSFORMSTATETYPE state;
  D3DMATRIX matrix;
};

struct RecordedClear {
  DWORD flags;
  D3DCOLOR color;
  float z;
};

class RecordingDevice final : public IDirect3DDevice8 {
 public:
  RecordingDevice();

  // Every call in order by method name ("BeginScene", "SetRenderState", ...).
  std::vector<std::string> calls;
  std::vector<RecordedDraw> draws;
  std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> renderStates;
  std::vector<RecordedStageState> stageStates;
  std::vector<RecordedTransform> transforms;
  std::vector<std::pair<DWORD, IDirect3DBaseTexture8*>> textureBindings;
  std::vector<RecordedClear> clears;
  std::vector<D3DPRESENT_PARAMETERS> resets;
  int presents = 0;
  // What TestCooperativeLevel reports; Reset sets it back to D3D_OK.
  HRESULT cooperativeLevel = D3D_OK;
  ULONG references = 1;

  // The last value set, or `fallback` when the state was never set.
  DWORD RenderState(D3DRENDERSTATETYPE state, DWORD fallback = 0xDEADBEEF) const;
  DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD fallback = 0xDEADBEEF) const;
  // The last matrix set for a slot; fails the test through a zero matrix when never set.
  D3DMATRIX Transform(D3DTRANSFORMSTATETYPE state) const;
  void Forget();

  HRESULT WINAPI QueryInterface(REFIID, void** object) override;
  ULONG WINAPI AddRef() override { return ++references; }
  ULONG WINAPI Release() override { return --references; }
  HRESULT WINAPI TestCooperativeLevel() override;
  UINT WINAPI GetAvailableTextureMem() override { return 0; }
  HRESULT WINAPI ResourceManagerDiscardBytes(DWORD) override { return D3D_OK; }
  HRESULT WINAPI GetDirect3D(IDirect3D8**) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetDeviceCaps(D3DCAPS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetDisplayMode(D3DDISPLAYMODE*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetCursorProperties(UINT, UINT, IDirect3DSurface8*) override { return D3DERR_INVALIDCALL; }
  void WINAPI SetCursorPosition(UINT, UINT, DWORD) override {}
  BOOL WINAPI ShowCursor(BOOL) override { return FALSE; }
  HRESULT WINAPI CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS*, IDirect3DSwapChain8**) override;
  HRESULT WINAPI Reset(D3DPRESENT_PARAMETERS* parameters) override;
  HRESULT WINAPI Present(const RECT*, const RECT*, HWND, const RGNDATA*) override;
  HRESULT WINAPI GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface8**) override;
  HRESULT WINAPI GetRasterStatus(D3DRASTER_STATUS*) override { return D3DERR_INVALIDCALL; }
  void WINAPI SetGammaRamp(DWORD, const D3DGAMMARAMP*) override {}
  void WINAPI GetGammaRamp(D3DGAMMARAMP*) override {}
  HRESULT WINAPI CreateTexture(UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DTexture8**) override;
  HRESULT WINAPI CreateVolumeTexture(UINT, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL,
                                     IDirect3DVolumeTexture8**) override;
  HRESULT WINAPI CreateCubeTexture(UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DCubeTexture8**) override;
  HRESULT WINAPI CreateVertexBuffer(UINT, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8**) override;
  HRESULT WINAPI CreateIndexBuffer(UINT, DWORD, D3DFORMAT, D3DPOOL, IDirect3DIndexBuffer8**) override;
  HRESULT WINAPI CreateRenderTarget(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, BOOL, IDirect3DSurface8**) override;
  HRESULT WINAPI CreateDepthStencilSurface(UINT, UINT, D3DFORMAT, D3DMULTISAMPLE_TYPE, IDirect3DSurface8**) override;
  HRESULT WINAPI CreateImageSurface(UINT, UINT, D3DFORMAT, IDirect3DSurface8**) override;
  HRESULT WINAPI CopyRects(IDirect3DSurface8*, const RECT*, UINT, IDirect3DSurface8*, const POINT*) override;
  HRESULT WINAPI UpdateTexture(IDirect3DBaseTexture8*, IDirect3DBaseTexture8*) override;
  HRESULT WINAPI GetFrontBuffer(IDirect3DSurface8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetRenderTarget(IDirect3DSurface8*, IDirect3DSurface8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetRenderTarget(IDirect3DSurface8**) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetDepthStencilSurface(IDirect3DSurface8**) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI BeginScene() override;
  HRESULT WINAPI EndScene() override;
  HRESULT WINAPI Clear(DWORD, const D3DRECT*, DWORD flags, D3DCOLOR color, float z, DWORD) override;
  HRESULT WINAPI SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT WINAPI GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI MultiplyTransform(D3DTRANSFORMSTATETYPE, const D3DMATRIX*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetViewport(const D3DVIEWPORT8*) override { return D3D_OK; }
  HRESULT WINAPI GetViewport(D3DVIEWPORT8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetMaterial(const D3DMATERIAL8*) override { return D3D_OK; }
  HRESULT WINAPI GetMaterial(D3DMATERIAL8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetLight(DWORD, const D3DLIGHT8*) override { return D3D_OK; }
  HRESULT WINAPI GetLight(DWORD, D3DLIGHT8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI LightEnable(DWORD, BOOL) override { return D3D_OK; }
  HRESULT WINAPI GetLightEnable(DWORD, BOOL*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetClipPlane(DWORD, const float*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetClipPlane(DWORD, float*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT WINAPI GetRenderState(D3DRENDERSTATETYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI BeginStateBlock() override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI EndStateBlock(DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI ApplyStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI CaptureStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DeleteStateBlock(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI CreateStateBlock(D3DSTATEBLOCKTYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetClipStatus(const D3DCLIPSTATUS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetClipStatus(D3DCLIPSTATUS8*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetTexture(DWORD, IDirect3DBaseTexture8**) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) override;
  HRESULT WINAPI GetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT WINAPI ValidateDevice(DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetInfo(DWORD, void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetPaletteEntries(UINT, const PALETTEENTRY*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPaletteEntries(UINT, PALETTEENTRY*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetCurrentTexturePalette(UINT) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetCurrentTexturePalette(UINT*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DrawPrimitive(D3DPRIMITIVETYPE, UINT, UINT) override;
  HRESULT WINAPI DrawIndexedPrimitive(D3DPRIMITIVETYPE, UINT, UINT, UINT, UINT) override;
  HRESULT WINAPI DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data, UINT stride) override;
  HRESULT WINAPI DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE, UINT, UINT, UINT, const void*, D3DFORMAT, const void*,
                                        UINT) override;
  HRESULT WINAPI ProcessVertices(UINT, UINT, UINT, IDirect3DVertexBuffer8*, DWORD) override;
  HRESULT WINAPI CreateVertexShader(const DWORD*, const DWORD*, DWORD*, DWORD) override;
  HRESULT WINAPI SetVertexShader(DWORD handle) override;
  HRESULT WINAPI GetVertexShader(DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DeleteVertexShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetVertexShaderConstant(DWORD, const void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetVertexShaderConstant(DWORD, void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetVertexShaderDeclaration(DWORD, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetVertexShaderFunction(DWORD, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetStreamSource(UINT number, IDirect3DVertexBuffer8* data, UINT stride) override;
  HRESULT WINAPI GetStreamSource(UINT, IDirect3DVertexBuffer8**, UINT*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetIndices(IDirect3DIndexBuffer8*, UINT) override;
  HRESULT WINAPI GetIndices(IDirect3DIndexBuffer8**, UINT*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI CreatePixelShader(const DWORD*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetPixelShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPixelShader(DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DeletePixelShader(DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI SetPixelShaderConstant(DWORD, const void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPixelShaderConstant(DWORD, void*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI GetPixelShaderFunction(DWORD, void*, DWORD*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DrawRectPatch(UINT, const float*, const D3DRECTPATCH_INFO*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DrawTriPatch(UINT, const float*, const D3DTRIPATCH_INFO*) override { return D3DERR_INVALIDCALL; }
  HRESULT WINAPI DeletePatch(UINT) override { return D3DERR_INVALIDCALL; }

  UINT streamStride = 0;
  DWORD vertexFormat = 0;
  IDirect3DBaseTexture8* boundTextures[8] = {};
};
