// SPDX-License-Identifier: MIT
// The tables the world and the input side import hold the application's
// real services from the program's start, and those reach the real pieces.
#include <gtest/gtest.h>

#include "app/app_globals.h"
#include "app/input_wiring.h"
#include "app/world_wiring.h"
#include "render/scene_camera.h"

namespace {

TEST(ServicesWiring, BothTablesHoldTheRealServicesBeforeAnyTestRuns) {
  const WorldServices world = GameWorldServices();
  EXPECT_EQ(worldServices.applicationTime, world.applicationTime);
  EXPECT_EQ(worldServices.seedClock, world.seedClock);
  EXPECT_EQ(worldServices.closeProgram, world.closeProgram);
  EXPECT_EQ(worldServices.playSound, world.playSound);
  EXPECT_EQ(worldServices.stopSound, world.stopSound);
  EXPECT_EQ(worldServices.aimCamera, world.aimCamera);
  const InputServices input = GameInputServices();
  EXPECT_EQ(inputServices.mainWindow, input.mainWindow);
  EXPECT_EQ(inputServices.requestDisplayMode, input.requestDisplayMode);
  EXPECT_EQ(inputServices.present, input.present);
  EXPECT_EQ(inputServices.reportNoInput, input.reportNoInput);
}

TEST(ServicesWiring, TheWorldsCameraViewReachesTheSceneCameraUnchanged) {
  const D3DXVECTOR3 eye = sceneCamera.GetEyePt(), lookAt = sceneCamera.GetLookatPt(),
                    up = sceneCamera.GetUpVec();
  GameWorldServices().aimCamera(Vector3(8.5f, 1.3f, 1.0f), Vector3(1.5f, 1.0f, 1.0f),
                                Vector3(0.0f, 1.0f, 0.0f));
  EXPECT_EQ(sceneCamera.GetEyePt(), D3DXVECTOR3(8.5f, 1.3f, 1.0f));
  EXPECT_EQ(sceneCamera.GetLookatPt(), D3DXVECTOR3(1.5f, 1.0f, 1.0f));
  EXPECT_EQ(sceneCamera.GetUpVec(), D3DXVECTOR3(0.0f, 1.0f, 0.0f));
  sceneCamera.SetView(eye, lookAt, up);
}

TEST(ServicesWiring, TheMenusSeeTheApplicationsStateAndScreen) {
  const InputServices input = GameInputServices();
  const AppState oldState = appState;
  const bool oldFullScreen = fullScreen, oldCursor = cursorShown;
  appState = APP_LEVEL_INTRO;
  EXPECT_FALSE(input.playing());
  appState = APP_PLAYING;
  EXPECT_TRUE(input.playing());
  fullScreen = true;
  EXPECT_TRUE(input.fullScreen());
  DWORD width = 0, height = 0;
  input.screenSize(&width, &height);
  EXPECT_EQ(width, screenWidth);
  EXPECT_EQ(height, screenHeight);
  input.showCursor(false);
  EXPECT_FALSE(cursorShown);
  appState = oldState;
  fullScreen = oldFullScreen;
  cursorShown = oldCursor;
}

}  // namespace
