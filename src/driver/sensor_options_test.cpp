#include "driver/sensor_options.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

TEST(SensorOptionsTest, KeysAreFoundInAnyCaseAndValuesKeepTheCallersCase) {
  SensorOptions o = ParseOptions("Item=Host:01,next x,host=SapPrd02,no=11 ch=2,syslog");
  EXPECT_EQ(o.item, "Host 01");
  EXPECT_EQ(o.host, "SapPrd02");
  EXPECT_EQ(o.system_number, "11");
  EXPECT_EQ(o.channel, 2u);
  EXPECT_TRUE(o.call_log);
  EXPECT_EQ(o.first_word, "ITEM=HOST:01,NEXT");
  EXPECT_FALSE(o.console_trace);
}

TEST(SensorOptionsTest, AbsentKeysStayAbsent) {
  SensorOptions o = ParseOptions("plain words");
  EXPECT_FALSE(o.item || o.channel || o.host || o.system_number);
  EXPECT_FALSE(o.call_log || o.console_trace || o.open_in_place);
  EXPECT_EQ(o.first_word, "PLAIN");
}

TEST(SensorOptionsTest, ValuesEndAtTheirLimits) {
  struct Case {
    const char* text;
    std::optional<std::string> item;
    std::optional<unsigned> channel;
    std::optional<std::string> host;
  } cases[] = {
      {"ITEM=", "", std::nullopt, std::nullopt},
      {"item=abc def", "abc", std::nullopt, std::nullopt},
      {"CH=12345", std::nullopt, 123u, std::nullopt},
      {"CH=,5", std::nullopt, 0u, std::nullopt},
      {"CH=02", std::nullopt, 2u, std::nullopt},
      {",HOST=", std::nullopt, std::nullopt, ""},
      {",HOST=a b", std::nullopt, std::nullopt, "a"},
      {"HOST=a", std::nullopt, std::nullopt, std::nullopt},  // the comma belongs to the key
  };
  for (const Case& c : cases) {
    SensorOptions o = ParseOptions(c.text);
    EXPECT_EQ(o.item, c.item) << c.text;
    EXPECT_EQ(o.channel, c.channel) << c.text;
    EXPECT_EQ(o.host, c.host) << c.text;
  }
  EXPECT_EQ(ParseOptions("ITEM=" + std::string(120, 'w')).item, std::string(90, 'w'));
}

TEST(SensorOptionsTest, TimeoutAndJobsAreWholeNumbersInTheirRanges) {
  struct Case {
    const char* text;
    unsigned timeout;
    unsigned jobs;
  } cases[] = {
      {"", 50, 4},
      {"timeout=20 jobs=8", 20, 8},
      {"TIMEOUT=1,JOBS=1", 1, 1},
      {"TIMEOUT=900 JOBS=32", 900, 32},
      {"TIMEOUT=0007", 7, 4},
      {"Item=a,Timeout=15", 15, 4},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(CheckNumbers(c.text).ok()) << c.text;
    SensorOptions o = ParseOptions(c.text);
    EXPECT_EQ(o.timeout_seconds, c.timeout) << c.text;
    EXPECT_EQ(o.jobs, c.jobs) << c.text;
  }
}

TEST(SensorOptionsTest, AnythingElseIsError1048SayingWhatWasRead) {
  const std::string timeout =
      "Error 1048: TIMEOUT= must be a whole number of seconds from 1 to 900";
  const std::string jobs = "Error 1048: JOBS= must be a whole number from 1 to 32";
  struct Case {
    const char* text;
    const std::string& message;
    const char* cause;
  } cases[] = {
      {"TIMEOUT=5O", timeout, "read \"5O\""},
      {"timeout=abc", timeout, "read \"abc\""},
      {"TIMEOUT=-3", timeout, "read \"-3\""},
      {"TIMEOUT=0", timeout, "read \"0\""},
      {"TIMEOUT=901", timeout, "read \"901\""},
      {"TIMEOUT=99999999999999999999", timeout, "read \"99999999999999999999\""},
      {"TIMEOUT= JOBS=2", timeout, "read \"\""},
      {"Item=x,JOBS=0", jobs, "read \"0\""},
      {"JOBS=33", jobs, "read \"33\""},
      {"TIMEOUT=5 Jobs=4x", jobs, "read \"4x\""},
  };
  for (const Case& c : cases) {
    Status checked = CheckNumbers(c.text);
    EXPECT_EQ(checked.message(), c.message) << c.text;
    EXPECT_EQ(checked.cause(), c.cause) << c.text;
  }
  EXPECT_EQ(CheckNumbers("Item=x,TIMEOUT=5O", "SAP Tessarin.Gbl").cause(),
            "read \"5O\" in SAP Tessarin.Gbl");
}

TEST(SensorOptionsTest, EveryMarkerSwitchesOnTheTraceAndOnlyTheAtOpensInPlace) {
  for (const char* marker : {"#", "@", "$", "%", "a$b"}) {
    SensorOptions o = ParseOptions(marker);
    EXPECT_TRUE(o.console_trace) << marker;
    EXPECT_EQ(o.open_in_place, std::string_view(marker) == "@") << marker;
  }
}

TEST(SensorOptionsTest, AnAllocationReplacesTheWordsButNotTheTrace) {
  SensorOptions command_line = ParseOptions("key #");
  SensorOptions o = AllocationOptions(command_line, "Item=LogWrites ,HOST=b ch=1");
  EXPECT_TRUE(o.console_trace);
  EXPECT_EQ(o.host, "b");
  EXPECT_EQ(o.channel, 1u);
  EXPECT_EQ(o.parameter_text, "Item=LogWrites ,HOST=b ch=1");
  EXPECT_FALSE(AllocationOptions(ParseOptions("key"), "#").console_trace);
}

TEST(SensorOptionsTest, TheCommandLinesTimeAndWorkersHoldOverAnAllocation) {
  SensorOptions o = AllocationOptions(ParseOptions("key TIMEOUT=20 JOBS=8"), "Item=X JOBS=2");
  EXPECT_EQ(o.timeout_seconds, 20u);
  EXPECT_EQ(o.jobs, 8u);
  o = AllocationOptions(ParseOptions("key"), "Item=X TIMEOUT=30 JOBS=2");
  EXPECT_EQ(o.timeout_seconds, 30u);
  EXPECT_EQ(o.jobs, 2u);
}

TEST(SensorOptionsTest, ParameterDisplaysCutAtMarkers) {
  struct Case {
    const char* text;
    const char* display;
  } cases[] = {
      {"", "(No Parameters)"},
      {"(No #1", "(No Parameters)"},
      {"(No", "(No"},
      {"(Parameters #x", "(No Parameters)"},
      {",HOST=a #trace", ",HOST=a "},
      {"a@b#c", "a"},
      {"#", "(No Parameters)"},
      {"Item=LogWrites", "Item=LogWrites"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParameterDisplay(c.text), c.display) << c.text;
  EXPECT_EQ(ListingParameterDisplay("Item=Log:Writes,Alias @x"), "Item=Log Writes,Alias");
  EXPECT_EQ(ListingParameterDisplay("a@b"), "a@b");
}

}  // namespace
}  // namespace quillmeter
