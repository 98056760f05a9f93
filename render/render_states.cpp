#include "render/render_states.h"

#include <d3d8.h>

#include <cstring>

#include "draw/quads.h"
#include "render/device.h"

namespace {

void SetTransformSlot(D3DTRANSFORMSTATETYPE slot, const Matrix4* matrix) {
  Matrix4 identity;
  device->SetTransform(slot, reinterpret_cast<const D3DMATRIX*>(matrix ? matrix : &identity));
}

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, sizeof d);
  return d;
}

}  // namespace

void SetDeviceRenderState(DWORD state, DWORD value) {
  device->SetRenderState(D3DRENDERSTATETYPE(state), value);
}

void SetWorldTransform(const Matrix4* matrix) { SetTransformSlot(D3DTS_WORLD, matrix); }

void SetViewTransform(const Matrix4* matrix) { SetTransformSlot(D3DTS_VIEW, matrix); }

void SetProjectionTransform(const Matrix4* matrix) {
  device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(matrix));
}

void SetOrthoProjection(float width, float height, float nearZ, float farZ) {
  Matrix4 projection;
  BuildOrthoMatrix(&projection, width, height, nearZ, farZ);
  device->SetTransform(D3DTS_PROJECTION, reinterpret_cast<const D3DMATRIX*>(&projection));
}

void ClearTarget(DWORD color) { device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 0.0f, 0); }

void BeginDeviceScene() { device->BeginScene(); }

void EndDeviceScene() { device->EndScene(); }

void ApplyDefaultRenderStates() {
  SetDeviceRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  SetDeviceRenderState(D3DRS_ALPHAREF, 128);
  SetDeviceRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  SetDeviceRenderState(D3DRS_LASTPIXEL, FALSE);
  SetDeviceRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  SetDeviceRenderState(D3DRS_LIGHTING, FALSE);
  SetDeviceRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  SetDeviceRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
  SetDeviceRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
  SetDeviceRenderState(D3DRS_POINTSCALEENABLE, TRUE);
  SetDeviceRenderState(D3DRS_POINTSIZE, FloatBits(1.0f));
  SetDeviceRenderState(D3DRS_POINTSIZE_MIN, FloatBits(0.01f));
  SetDeviceRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
  SetDeviceRenderState(D3DRS_POINTSCALE_B, FloatBits(5.0f));
  SetDeviceRenderState(D3DRS_POINTSCALE_C, FloatBits(5.0f));
  device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
  device->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_NONE);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_NONE);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}
