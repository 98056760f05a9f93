// Thin wrappers over the device's states, transforms, clears and scene brackets, and the default
// states the device gets after creation and after every reset. Results are not examined.
#pragma once
#include <windows.h>

#include "math/matrix.h"

void SetDeviceRenderState(DWORD state, DWORD value);
// A null matrix loads the identity.
void SetWorldTransform(const Matrix4* matrix);
void SetViewTransform(const Matrix4* matrix);
void SetProjectionTransform(const Matrix4* matrix);
// Left-handed orthographic projection of a width x height area centred on the origin.
void SetOrthoProjection(float width, float height, float nearZ, float farZ);
// Clears the render target only (no depth), to a 0xAARRGGBB colour.
void ClearTarget(DWORD color);
void BeginDeviceScene();
void EndDeviceScene();
void ApplyDefaultRenderStates();
