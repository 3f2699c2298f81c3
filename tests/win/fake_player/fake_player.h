// What the stand-in banner player records of the calls it receives; the tests read it through
// the DLL's exported FakePlayerRecord().
#pragma once

#include <windows.h>

struct FakePlayerRecord {
  int reportedMajorVersion;  // set by the test before the player is created
  int created;
  wchar_t wmode[32];
  int wmodeSetBeforeActivation;
  int activatedWindowless;
  int setObjectRectsCalls;
  RECT objectRect;
  int loadMovieCalls;
  int loadMovieLayer;
  wchar_t movie[512];
  int playCalls;
  int streamLoads;
  unsigned streamTag;
  unsigned streamLength;
  unsigned streamBytesRead;
  int windowMessages;
  int draws;
  int closed;
};

using FakePlayerRecordFunction = FakePlayerRecord* (*)();
