// The screen state: the operations through which the frame driver and the window procedure
// reach the running scene. Every base operation does nothing.
#pragma once
#include <windows.h>

class ScreenState {
 public:
  virtual void Reserved0() {}
  virtual void Reserved1() {}
  virtual void AfterFrame() {}
  virtual void Reserved3() {}
  virtual void Frame() {}
  virtual void OnKeyDown(WPARAM virtualKey) { (void)virtualKey; }
  virtual void OnLeftButtonDown() {}
  virtual void OnLeftButtonUp() {}
  virtual void OnRightButtonDown() {}
  virtual void OnRightButtonUp() {}
  virtual void OnMiddleButtonDown() {}
  virtual void OnMouseMove() {}

 protected:
  ~ScreenState() = default;
};

// The one concrete screen state: the landscape scene. A key press ends the saver.
class SceneState final : public ScreenState {
 public:
  void Reserved0() override {}
  void Reserved1() override {}
  void AfterFrame() override {}
  void Reserved3() override {}
  void Frame() override;
  void OnKeyDown(WPARAM virtualKey) override;
  void OnLeftButtonDown() override {}
  void OnLeftButtonUp() override {}
  void OnRightButtonDown() override {}
  void OnRightButtonUp() override {}
  void OnMiddleButtonDown() override {}
  void OnMouseMove() override {}
};

extern SceneState sceneState;
extern ScreenState* currentScreenState;
