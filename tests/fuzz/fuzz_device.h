// One headless software device for the whole fuzzing run, made at the first input.
#pragma once

#include "render/device.h"
#include "support/picture_files.h"

inline IDirect3DDevice8* FuzzDevice() {
  static HeadlessDevice* gpu = new HeadlessDevice();
  device = gpu->device;
  return gpu->device;
}
