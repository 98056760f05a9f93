// A recording stand-in for the audio layer, linked in place of the real BASS calls in the sound
// system's tests: every call is logged with its arguments, and the answers are set by the test.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct BassCall {
  std::string name;
  std::vector<long long> args;  // numbers in call order; a file name goes to `file`
  std::string file;
};

struct RecordingBass {
  std::vector<BassCall> calls;
  BOOL initResult = TRUE;
  DWORD nextHandle = 100;
  DWORD channelState = 1;  // what BASS_ChannelIsActive answers
};

extern RecordingBass recordingBass;

// Clears the log and restores the default answers.
void ResetRecordingBass();
// The logged calls of that name, in order.
std::vector<BassCall> CallsNamed(const std::string& name);
