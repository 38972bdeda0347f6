// SPDX-License-Identifier: MIT
// The modal box window on the offscreen driver: what it shows, and how each
// answer ends it (keys, clicks on and off its button, quit requests, held
// keys that only repeat).
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <vector>

#include <SDL.h>

#include <host/host.h>

namespace {

constexpr int kW = 120, kH = 80;
const host::Rect kButton = {40, 50, 40, 20};

// The box shows this picture: dark grey with a white button rectangle.
std::vector<uint32_t> MakePicture() {
  std::vector<uint32_t> pixels(kW * kH, 0x00303030);
  for (int y = kButton.y; y < kButton.y + kButton.h; ++y)
    for (int x = kButton.x; x < kButton.x + kButton.w; ++x) pixels[y * kW + x] = 0x00FFFFFF;
  return pixels;
}

host::Event Key(uint16_t usage, bool repeat = false) {
  host::Event e;
  e.type = host::EventType::KeyDown;
  e.key = usage;
  e.down = true;
  e.repeat = repeat;
  return e;
}

host::Event Click(int x, int y, bool down) {
  host::Event e;
  e.type = host::EventType::MouseButton;
  e.button = 1;
  e.down = down;
  e.a = x;
  e.b = y;
  return e;
}

class BoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host::Init());
    host::SetBoxObserver(&BoxTest::Observe, this);
  }
  void TearDown() override {
    host::SetBoxObserver(nullptr, nullptr);
    host::Shutdown();
  }

  // Runs a box whose observer does `answer` once it is on the screen.
  host::BoxAnswer Run(std::function<void()> answer) {
    answer_ = std::move(answer);
    std::vector<uint32_t> pixels = MakePicture();
    host::Picture picture;
    picture.pixels = pixels.data();
    picture.w = kW;
    picture.h = kH;
    picture.pitch = kW * 4;
    return host::RunModalBox("Box", picture, kButton);
  }

  static void Observe(const host::Picture& shown, void* user) {
    auto* self = static_cast<BoxTest*>(user);
    ++self->shownCount_;
    self->shownW_ = shown.w;
    self->shownH_ = shown.h;
    auto at = [&](int x, int y) { return shown.pixels[y * (shown.pitch / 4) + x] & 0xFFFFFF; };
    self->corner_ = at(2, 2);
    self->buttonMiddle_ = at(kButton.x + kButton.w / 2, kButton.y + kButton.h / 2);
    if (self->answer_) self->answer_();
  }

  std::function<void()> answer_;
  int shownCount_ = 0;
  int shownW_ = 0, shownH_ = 0;
  uint32_t corner_ = 0, buttonMiddle_ = 0;
};

TEST_F(BoxTest, ShowsThePictureAndReturnOrEnterOrSpaceAnswerOk) {
  for (uint16_t key : {host::HID_RETURN, host::HID_KP_ENTER, host::HID_SPACE}) {
    EXPECT_EQ(Run([key] { host::InjectEvent(Key(key)); }), host::BoxAnswer::Ok) << key;
  }
  EXPECT_EQ(shownCount_, 3);
  EXPECT_EQ(shownW_, kW);
  EXPECT_EQ(shownH_, kH);
  EXPECT_EQ(corner_, 0x303030u);
  EXPECT_EQ(buttonMiddle_, 0xFFFFFFu);
}

TEST_F(BoxTest, EscapeCancelsAndARepeatingHeldKeyDoesNotAnswer) {
  EXPECT_EQ(Run([] {
              host::InjectEvent(Key(host::HID_RETURN, true));  // held since before the box
              host::InjectEvent(Key(host::HID_ESCAPE));
            }),
            host::BoxAnswer::Cancel);
}

TEST_F(BoxTest, OnlyAClickPressedAndReleasedOnTheButtonAnswers) {
  EXPECT_EQ(Run([] {
              host::InjectEvent(Click(5, 5, true));  // off the button
              host::InjectEvent(Click(5, 5, false));
              host::InjectEvent(Click(5, 5, true));  // pressed off, released on it
              host::InjectEvent(Click(50, 55, false));
              host::InjectEvent(Click(50, 55, true));  // pressed on, dragged off
              host::InjectEvent(Click(5, 5, false));
              host::InjectEvent(Key(host::HID_ESCAPE));
            }),
            host::BoxAnswer::Cancel);
  EXPECT_EQ(Run([] {
              host::InjectEvent(Click(50, 55, true));
              host::InjectEvent(Click(79, 69, false));
            }),
            host::BoxAnswer::Ok);
}

struct QuitCounter {
  int quits = 0;
  static void Sink(const host::Event& e, void* user) {
    if (e.type == host::EventType::Quit) ++static_cast<QuitCounter*>(user)->quits;
  }
};

// A quit asked for while the box is up ends the box and stays asked for: the
// program's own window hears it next and ends the program.
TEST_F(BoxTest, AQuitRequestEndsTheBoxAndReachesTheProgramAfterIt) {
  QuitCounter counter;
  int sink = host::AddEventSink(&QuitCounter::Sink, &counter);
  host::Event quit;
  quit.type = host::EventType::Quit;
  EXPECT_EQ(Run([quit] { host::InjectEvent(quit); }), host::BoxAnswer::Quit);
  EXPECT_EQ(counter.quits, 0);  // the box does not hand events to the sinks
  host::PumpEvents(0);
  EXPECT_EQ(counter.quits, 1);
  host::RemoveEventSink(sink);
}

TEST_F(BoxTest, SigtermEndsTheBox) {
  struct sigaction current = {};
  ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
  if (current.sa_handler == SIG_DFL || current.sa_handler == SIG_IGN)
    GTEST_SKIP() << "SDL's signal handler is not installed here; SIGTERM would end the test run";
  QuitCounter counter;
  int sink = host::AddEventSink(&QuitCounter::Sink, &counter);
  EXPECT_EQ(Run([] { std::raise(SIGTERM); }), host::BoxAnswer::Quit);
  host::PumpEvents(0);
  EXPECT_GE(counter.quits, 1);
  host::RemoveEventSink(sink);
}

TEST_F(BoxTest, NoPictureNoBox) {
  host::Picture none;
  EXPECT_EQ(host::RunModalBox("Box", none, kButton), host::BoxAnswer::Failed);
  std::vector<uint32_t> pixels(4);
  host::Picture narrowPitch;
  narrowPitch.pixels = pixels.data();
  narrowPitch.w = 2;
  narrowPitch.h = 2;
  narrowPitch.pitch = 4;
  EXPECT_EQ(host::RunModalBox("Box", narrowPitch, kButton), host::BoxAnswer::Failed);
  EXPECT_EQ(shownCount_, 0);
}

}  // namespace

namespace {

struct KeyRecorder {
  std::vector<host::Event> keys;
  static void Sink(const host::Event& e, void* user) {
    if (e.type == host::EventType::KeyDown || e.type == host::EventType::KeyUp)
      static_cast<KeyRecorder*>(user)->keys.push_back(e);
  }
};

void PushKey(Uint32 type, SDL_Scancode code) {
  SDL_Event e{};
  e.type = type;
  e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.scancode = code;
  SDL_PushEvent(&e);
}

// A key held when the box opened and let go while it was up must reach the
// game afterwards, or the game would go on seeing it held (a ship that keeps
// firing); the key that answered the box is the box's alone.
TEST_F(BoxTest, KeysLetGoWhileTheBoxIsUpReachTheGameAfterIt) {
  ASSERT_TRUE(host::CreateMainWindow("Glorbs", 0, 0, 64, 48, false));
  host::Event spaceDown = Key(host::HID_SPACE);
  host::InjectEvent(spaceDown);
  KeyRecorder recorder;
  int sink = host::AddEventSink(&KeyRecorder::Sink, &recorder);
  host::PumpEvents(0);
  ASSERT_TRUE(host::IsKeyDown(host::HID_SPACE));
  recorder.keys.clear();
  EXPECT_EQ(Run([] {
              PushKey(SDL_KEYUP, SDL_SCANCODE_SPACE);
              PushKey(SDL_KEYDOWN, SDL_SCANCODE_RETURN);
            }),
            host::BoxAnswer::Ok);
  host::PumpEvents(0);
  EXPECT_FALSE(host::IsKeyDown(host::HID_SPACE));
  ASSERT_EQ(recorder.keys.size(), 1u);
  EXPECT_EQ(recorder.keys[0].type, host::EventType::KeyUp);
  EXPECT_EQ(recorder.keys[0].key, host::HID_SPACE);
  host::RemoveEventSink(sink);
}

}  // namespace
