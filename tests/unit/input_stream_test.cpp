// Recorded input: the text format both ways and the delivery at the stamped tick.
#include "engine/input_stream.h"

#include <gtest/gtest.h>

#include "engine/application.h"
#include "engine/keyboard.h"
#include "engine/mouse.h"
#include "engine/platform/platform.h"
#include "tests/support/test_support.h"

namespace {

using eng::platform::EventType;

TEST(InputStreamFormat, ParsesEveryEventKind) {
  std::vector<eng::StampedEvent> events;
  std::string error;
  ASSERT_TRUE(eng::InputStreamParse(
      "# comment\n"
      "\n"
      "3 key_down 0x1C sys\r\n"
      "3 key_down 20 repeat\n"
      "4 key_up 0x1C\n"
      "5 char 65\n"
      "6 mouse_move 10 -2\n"
      "7 mouse_down 2\n"
      "7 mouse_up 0 400 300\n"
      "8 wheel -1\n"
      "9 focus_lost\n"
      "9 focus_gained\n"
      "10 close\n",
      &events, &error))
      << error;
  ASSERT_EQ(events.size(), 11u);
  EXPECT_EQ(events[0].tick, 3);
  EXPECT_EQ(events[0].event.type, EventType::KeyDown);
  EXPECT_EQ(events[0].event.code, 0x1C);
  EXPECT_TRUE(events[0].event.system);
  EXPECT_TRUE(events[1].event.repeat);
  EXPECT_EQ(events[1].event.code, 20);
  EXPECT_EQ(events[4].event.y, -2);
  EXPECT_EQ(events[5].event.x, -1) << "a press without a position keeps the cursor";
  EXPECT_EQ(events[6].event.x, 400);
  EXPECT_EQ(events[7].event.wheel, -1);
  EXPECT_EQ(events[10].event.type, EventType::Close);
}

TEST(InputStreamFormat, ACommentMayFollowAnEvent) {
  std::vector<eng::StampedEvent> events;
  std::string error;
  ASSERT_TRUE(eng::InputStreamParse("30 key_down 0x01          # Escape\n"
                                    "40 key_down 0x1C sys #sys\n"
                                    "41 mouse_move 1 2 # x y\n"
                                    "42 close\t# tab before\n",
                                    &events, &error))
      << error;
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].event.code, 0x01);
  EXPECT_FALSE(events[0].event.system);
  EXPECT_TRUE(events[1].event.system);
  EXPECT_EQ(events[2].event.y, 2);
  // A '#' inside a word is no comment: the word is still refused.
  EXPECT_FALSE(eng::InputStreamParse("1 key_down 0x01#x\n", &events, &error));
  EXPECT_FALSE(eng::InputStreamParse("1 mouse_move 3 # 4\n", &events, &error)) << "a comment holds no values";
}

TEST(InputStreamFormat, RefusesBadLinesWithTheirNumber) {
  std::vector<eng::StampedEvent> events;
  std::string error;
  const char* bad[] = {"0 key_down 1",      "x key_down 1",       "2 key_down 256",
                       "2 key_down 1 loud", "2 mouse_down 3",     "2 wheel 0",
                       "2 dance",           "2 mouse_move 1",     "2 close now"};
  for (const char* line : bad) {
    EXPECT_FALSE(eng::InputStreamParse(std::string("1 close\n") + line + "\n", &events, &error)) << line;
    EXPECT_EQ(error.substr(0, 2), "2:") << line << " -> " << error;
  }
  EXPECT_FALSE(eng::InputStreamParse("5 close\n4 close\n", &events, &error));
  EXPECT_NE(error.find("decrease"), std::string::npos);
}

TEST(InputStreamFormat, FormattedEventsParseBackToThemselves) {
  eng::platform::Event e;
  e.type = EventType::KeyDown;
  e.code = 0xC8;
  e.repeat = true;
  e.system = true;
  std::vector<eng::StampedEvent> events;
  std::string error;
  ASSERT_TRUE(eng::InputStreamParse("7 " + eng::InputStreamFormat(e), &events, &error)) << error;
  EXPECT_EQ(events[0].event.code, 0xC8);
  EXPECT_TRUE(events[0].event.repeat);
  EXPECT_TRUE(events[0].event.system);
  e = {};
  e.type = EventType::Paint;
  EXPECT_EQ(eng::InputStreamFormat(e), "") << "only input is recorded";
}

TEST(InputStreamReplay, EventsReachTheTickTheyAreStampedWith) {
  eng::InputStreamReset();
  eng::KeyboardReset();
  eng::MouseReset();
  eng::AppReset();
  auto dir = testsupport::ScratchDir();
  testsupport::WriteFile(dir / "in.txt", "2 mouse_move 50 60\n2 key_down 0x01\n4 key_up 0x01\n");
  std::string error;
  ASSERT_TRUE(eng::InputStreamOpenReplay((dir / "in.txt").string(), &error)) << error;
  eng::platform::Event live;
  live.type = EventType::KeyDown;
  EXPECT_FALSE(eng::InputStreamAcceptsLiveEvent(live)) << "live input is ignored while replaying";
  live.type = EventType::Close;
  EXPECT_TRUE(eng::InputStreamAcceptsLiveEvent(live));
  // Headless runs drop focus changes and repaint requests, which would come at moments the display
  // server chooses and make fixed-clock runs differ.
  live.type = EventType::Paint;
  EXPECT_TRUE(eng::InputStreamAcceptsLiveEvent(live));
  eng::platform::SetHeadless(true);
  for (EventType type : {EventType::Paint, EventType::FocusLost, EventType::FocusGained}) {
    live.type = type;
    EXPECT_FALSE(eng::InputStreamAcceptsLiveEvent(live));
  }
  live.type = EventType::Close;
  EXPECT_TRUE(eng::InputStreamAcceptsLiveEvent(live));
  eng::platform::SetHeadless(false);

  eng::InputStreamTickBegin();  // tick 1
  EXPECT_FALSE(eng::KeyDown(0x01));
  eng::InputStreamTickBegin();  // tick 2
  EXPECT_TRUE(eng::KeyDown(0x01));
  EXPECT_EQ(eng::MouseX(), 50);
  eng::InputStreamTickBegin();  // tick 3
  EXPECT_TRUE(eng::KeyDown(0x01));
  eng::InputStreamTickBegin();  // tick 4
  EXPECT_FALSE(eng::KeyDown(0x01));
  eng::InputStreamReset();
}

TEST(InputStreamRecord, StampsWithTheTickThatWillSeeTheEvent) {
  eng::InputStreamReset();
  eng::AppReset();
  auto dir = testsupport::ScratchDir();
  std::string error;
  ASSERT_TRUE(eng::InputStreamOpenRecord((dir / "rec.txt").string(), &error)) << error;
  eng::InputStreamTickBegin();
  eng::platform::Event e;
  e.type = EventType::KeyDown;
  e.code = 0x14;
  eng::WindowProc(e);
  e.type = EventType::Paint;
  eng::WindowProc(e);
  eng::InputStreamClose();
  std::string text = testsupport::ReadFile(dir / "rec.txt");
  EXPECT_NE(text.find("\n2 key_down 0x14\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("Paint"), std::string::npos);
  eng::InputStreamReset();
}

}  // namespace
