#include "output/channel.h"

#include <gtest/gtest.h>

#include <sstream>

#include "output/document.h"
#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class ChannelTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};

  void UseMode(OutputMode mode, const std::string& parameters = "") {
    run.output_mode = mode;
    run.options = ParseOptions(parameters);
  }
};

TEST_F(ChannelTest, DocumentModeWritesResultBlocks) {
  UseMode(OutputMode::kExeXml);
  AddChannel(run, "LogWrites", "42", "");
  AddChannel(run, "Load", "7", "PerCent");
  EXPECT_EQ(run.result.str(),
            "\n<Result><Channel>LogWrites</Channel>\n<Value>42</Value></Result>\n"
            "\n<Result><Channel>Load</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>PerCent"
            "</CustomUnit>\n<Value>7</Value></Result>\n");
  EXPECT_EQ(run.channel_counter, 2u);
}

TEST_F(ChannelTest, DocumentModeEscapesChannelNames) {
  UseMode(OutputMode::kDrovimo);
  AddChannel(run, "R&D <prod>", "1", "");
  EXPECT_EQ(run.result.str(),
            "\n<Result><Channel>R&amp;D &lt;prod&gt;</Channel>\n<Value>1</Value></Result>\n");
}

TEST_F(ChannelTest, QuintaraWritesMessageAndStatisticForTenChannelsOnly) {
  UseMode(OutputMode::kQuintara);
  AddChannel(run, "Log Writes (a/b): x.y.z", "5", "PerCent");
  EXPECT_EQ(run.result.str(),
            "\n\nMessage.Log_Writes__a_b___x_y.z: Log Writes (a/b): x.y.z (%)"
            "\nStatistic.Log_Writes__a_b___x_y.z: 5");
  for (int i = 2; i <= 10; ++i) AddChannel(run, "C", "1", "");
  std::string ten = run.result.str();
  AddChannel(run, "Eleventh", "1", "");
  EXPECT_EQ(run.result.str(), ten);
  EXPECT_EQ(run.channel_counter, 11u);
}

TEST_F(ChannelTest, QuintaraInItemModeKeysBySystemAlias) {
  UseMode(OutputMode::kQuintara);
  run.item_mode = true;
  run.system_alias = "PRD.P00";
  AddChannel(run, "PRD.P00", "3", "");
  EXPECT_EQ(run.result.str(), "\n\nMessage.PRD_P00: PRD.P00 (#)\nStatistic.PRD_P00: 3");
}

TEST_F(ChannelTest, TalvrenWritesReadingsWithDisplayUnits) {
  UseMode(OutputMode::kTalvren);
  AddChannel(run, "A", "1", "");
  AddChannel(run, "B", "2", "TimeResponse");
  AddChannel(run, "C", "3", "Bytes");
  EXPECT_EQ(run.result.str(), "\n> A: 1 #\n> B: 2 mSec\n> C: 3 Bytes");
}

TEST_F(ChannelTest, TalvrenChannelSelection) {
  struct Case {
    const char* parameters;
    const char* expected;
  } cases[] = {
      {"CH=2,x", "b"}, {"ch=2", "b"},     {"CH=12345", ""},
      {"CH=", ""},     {"x CH=3 y", "c"}, {"CH=02", "b"},
  };
  for (const Case& c : cases) {
    UseMode(OutputMode::kTalvren, c.parameters);
    run.result.Clear();
    run.channel_counter = 0;
    AddChannel(run, "A", "a", "");
    AddChannel(run, "B", "b", "");
    AddChannel(run, "C", "c", "");
    EXPECT_EQ(run.result.str(), c.expected) << c.parameters;
  }
}

TEST_F(ChannelTest, TalvrenSelectsChannelOneHundredTwentyThreeFromLongNumber) {
  UseMode(OutputMode::kTalvren, "CH=12345");
  for (int i = 1; i <= 124; ++i) AddChannel(run, "N", std::to_string(i), "");
  EXPECT_EQ(run.result.str(), "123");
}

TEST_F(ChannelTest, LongInputsAreCut) {
  UseMode(OutputMode::kTalvren);
  AddChannel(run, std::string(500, 'n'), std::string(500, 'v'), std::string(500, 'u'));
  EXPECT_EQ(run.result.str(), "\n> " + std::string(123, 'n') + ": " + std::string(111, 'v') + " " +
                                  std::string(123, 'u'));
}

}  // namespace
}  // namespace quillmeter
