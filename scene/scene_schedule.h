// The scene schedule: which scene is on show, the six-second scene change (the outgoing scene
// zooms toward the viewer for 3 s, then the incoming one fades in over it for 3 s), and the
// morning, day and evening light cycle.
#pragma once

struct TextureRecord;

constexpr float kSceneChangeTime = 6000.0f;
constexpr float kLightStepTime = 20000.0f;

// Counts down from 6000 ms during a change; 0 otherwise.
extern float T;
// The incoming scene's opacity, 0 .. 1.
extern float f;
// ms the scene on show has been fully shown; -1 during a change.
extern double sceneTimer;  // double: "eternity" is past where a float still gains a frame
// ms since the change began; -1 when none is in progress.
extern float changeTimer;
extern TextureRecord* currentBackground;
// The incoming scene's background during a change.
extern TextureRecord* pendingBackground;
extern int lightVariant;
extern float lightTimer;

// The background picture of a scene: "_a_back%i.jpg", 800 x 600.
TextureRecord* LoadSceneBackground(int scene);

// Once per frame: advances the timers, draws the scene or the change, steps the light.
void UpdateScene();
void BeginSceneChange();
void DrawSceneChange();

// Timers and light back to their start values (the backgrounds are left alone).
void ResetSceneSchedule();
