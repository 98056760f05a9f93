// Device buffers of a built mesh, in the managed pool so a device reset needs nothing from us.
#pragma once
#include <d3d8.h>

struct Mesh;

// Creates and fills the write-only vertex buffer, and for smooth meshes the 16-bit index
// buffer, on the current device. Creation failures leave the buffer pointers null.
void CreateMeshBuffers(Mesh* mesh, DWORD format);
