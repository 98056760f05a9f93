// The scenes of the rotation: the one on show and the one the schedule moves to.
#pragma once

// Index of the scene on show.
extern int shownScene;
// Index of the scene being changed to; equal to shownScene outside a scene change.
extern int nextScene;
