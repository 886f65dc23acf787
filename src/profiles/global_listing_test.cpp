#include "profiles/global_listing.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

constexpr const char kOwn[] = ",Sensor=\"SAP Quillmeter\"";

// A listing line: tag, sensor key in columns 8-17, separators, then text.
std::string Line(const std::string& tag, const std::string& key, const std::string& text,
                 const std::string& separator = ": ") {
  std::string padded = key;
  if (padded.size() < 10) padded.resize(10, ' ');
  return tag + padded + separator + text;
}
std::string List(const std::string& key, const std::string& text) {
  return Line("# GSNG: ", key, text, ": ");
}
std::string Allocation(const std::string& key, const std::string& text) {
  return Line("# GSNX: ", key, text, ":");
}

class GlobalListingTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  ListingRequest request;
  SystemListing listing;
  Status status;

  // Asks for the listing as a command line `args` does, with `lines` in it.
  bool Build(const std::vector<std::string>& args, const std::vector<std::string>& lines) {
    const bool global = UpperCase(args[0]) == "GLOBAL";
    const std::string second = args.size() > 1 ? args[1] : "";
    const std::string words = second + (args.size() > 2 ? " " + args[2] : "");
    const std::string upper = UpperCase(words);
    request.name = global ? kGlobalListingName : kItemProfileName;
    request.path = "/exexml/" + request.name;
    request.first_word = upper.substr(0, upper.find(' '));
    request.item = upper.find("ITEM=") == std::string::npos
                       ? ""
                       : ItemValue(std::string_view(words).substr(upper.find("ITEM=") + 5));
    request.second_argument = second;
    std::string contents;
    for (const std::string& line : lines) contents += line + "\r\n";
    platform.files[request.path] = contents;
    return Read();
  }
  bool Read() {
    status = ReadSystemListing(platform, request, &listing);
    return status.ok();
  }
  std::string Error() const { return status.message(); }
};

TEST_F(GlobalListingTest, SensorKeyIsTheFirstWordPaddedToTen) {
  EXPECT_EQ(SensorKey("AB"), "AB        ");
  EXPECT_EQ(SensorKey(""), "          ");
  EXPECT_EQ(SensorKey("ABCDEFGHIJ"), "ABCDEFGHIJ");
  EXPECT_EQ(SensorKey("ABCDEFGHIJK"), "ABCDEFGHIJK") << "too long for a line: matches none";
}

TEST_F(GlobalListingTest, ListingLinesAndAllocation) {
  const std::string item = "Item=LogWrites";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> lines;
    const char* list;
    const char* item_id;
    char label;
    const char* error;
  } cases[] = {
      {"upper case",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + kOwn)},
       "A.P00#",
       "LogWrites",
       '1',
       ""},
      {"lower case tags and key",
       {"Global", "ab", "#"},
       {"# gsng: ab        ::A.P00#", "# gsnx: ab        :" + item + kOwn},
       "A.P00#",
       "LogWrites",
       '1',
       ""},
      {"separators are not examined",
       {"global", "AB"},
       {"# GSNG: AB        xyA.P00#", "# GSNX: AB        z" + item + kOwn},
       "A.P00#",
       "LogWrites",
       '1',
       ""},
      {"text directly after the key",
       {"global", "ab"},
       {"# GSNG: abA.P00#", "# GSNX: ab" + item + kOwn},
       "",
       "",
       '1',
       "Error 1030: Global Sensor ab not found..."},
      {"other sensors are ignored",
       {"global", "ab"},
       {List("ABC", "X.P00#"), List("AB", "A.P00#"),
        Allocation("ABC", "Item=WaitBusy,Sid" + std::string(kOwn)), Allocation("AB", item + kOwn)},
       "A.P00#",
       "LogWrites",
       '1',
       ""},
      {"list lines join",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + kOwn), List("AB", "B.P00#C.P00#")},
       "A.P00#B.P00#C.P00#",
       "LogWrites",
       '1',
       ""},
      {"a list text without # runs into the next",
       {"global", "ab"},
       {List("AB", "A.P00"), List("AB", "B.P00#"), Allocation("AB", item + kOwn)},
       "A.P00B.P00#",
       "LogWrites",
       '1',
       ""},
      {"later allocation overrides",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + ",Sid" + kOwn),
        Allocation("AB", "Item=RollBacks" + std::string(kOwn))},
       "A.P00#",
       "RollBacks",
       '1',
       ""},
      {"alias",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + ",Alias" + kOwn)},
       "A.P00#",
       "LogWrites",
       '2',
       ""},
      {"host wins over alias",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + ",Host,Alias" + kOwn)},
       "A.P00#",
       "LogWrites",
       '3',
       ""},
      {"sid wins over all",
       {"global", "ab"},
       {List("AB", "A.P00#"),
        Allocation("AB", "Item=WaitBusy,Sid,Profile,Host" + std::string(kOwn))},
       "A.P00#",
       "WaitBusy",
       '4',
       ""},
      {"profile",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + ",Profile" + kOwn)},
       "A.P00#",
       "LogWrites",
       '1',
       ""},
      {"item is cut at a comma or blank, colons become blanks",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", "x,Item=Log:Writes More" + std::string(kOwn))},
       "A.P00#",
       "Log Writes",
       '1',
       ""},
      {"no allocation",
       {"global", "ab", "#"},
       {List("AB", "A.P00#")},
       "",
       "",
       '1',
       "Error 1030: Global Sensor ab not found..."},
      {"no parameters",
       {"global"},
       {List("AB", "A.P00#")},
       "",
       "",
       '1',
       "Error 1030: Global Sensor  not found..."},
      {"second argument shown unchanged",
       {"global", "a<b>&c"},
       {},
       "",
       "",
       '1',
       "Error 1030: Global Sensor a<b>&c not found..."},
      {"key longer than its columns",
       {"global", "abcdefghijk"},
       {List("ABCDEFGHIJ", "A.P00#"), Allocation("ABCDEFGHIJ", item + kOwn)},
       "",
       "",
       '1',
       "Error 1030: Global Sensor abcdefghijk not found..."},
      {"no list",
       {"global", "ab"},
       {Allocation("AB", "Sid" + std::string(kOwn))},
       "",
       "",
       '1',
       "Error 1025: Global Server Listing missing..."},
      {"no item",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", "Alias" + std::string(kOwn))},
       "",
       "",
       '1',
       "Error 1026: Global Item Idenification missing..."},
      {"item key is case-sensitive",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", "ITEM=LogWrites" + std::string(kOwn))},
       "",
       "",
       '1',
       "Error 1026: Global Item Idenification missing..."},
      {"empty item",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", "Item=,Alias" + std::string(kOwn))},
       "",
       "",
       '1',
       "Error 1026: Global Item Idenification missing..."},
      {"allocation for another product",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + ",Sensor=\"SAP Other\" Quillmeter")},
       "",
       "",
       '1',
       "Error 1029: Invalid Sensor-Allocation..."},
      {"allocation without quotes",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + ",Sensor=SAP Quillmeter")},
       "",
       "",
       '1',
       "Error 1029: Invalid Sensor-Allocation..."},
      {"allocation too long for the parameters",
       {"global", "ab"},
       {List("AB", "A.P00#"), Allocation("AB", item + "," + std::string(120, 'x') + kOwn)},
       "",
       "",
       '1',
       "Error 1028: Sensor-Allocation too long..."},
  };
  for (const Case& c : cases) {
    bool ok = Build(c.args, c.lines);
    EXPECT_EQ(Error(), c.error) << c.name;
    EXPECT_EQ(ok, std::string(c.error).empty()) << c.name;
    if (!ok) continue;
    EXPECT_EQ(listing.system_list, c.list) << c.name;
    EXPECT_EQ(listing.item_id, c.item_id) << c.name;
    EXPECT_EQ(listing.label_kind, c.label) << c.name;
    EXPECT_TRUE(listing.parameters) << c.name;
  }
}

TEST_F(GlobalListingTest, WhatTheListingLacksIsTheCause) {
  EXPECT_FALSE(
      Build({"global", "sens1"}, {Allocation("SENS1", "Item=LogWrites" + std::string(kOwn))}));
  EXPECT_EQ(status.cause(), "SAP Tessarin.Gbl names no system for SENS1");
  EXPECT_FALSE(Build({"x", "Item=LogWrites"}, {"# Gsng: x         ::"}));
  EXPECT_EQ(status.cause(), "Tessarin.Prf names no system");
  for (const char* wrong : {",Sensor=\"SAP Other\"", ",Sensor=SAP Quillmeter", ""}) {
    EXPECT_FALSE(Build({"global", "ab"},
                       {List("AB", "A.P00#"), Allocation("AB", "Item=X" + std::string(wrong))}));
    EXPECT_EQ(Error(), "Error 1029: Invalid Sensor-Allocation...") << wrong;
    EXPECT_EQ(status.cause(), "no ,Sensor=\"SAP Quillmeter\"") << wrong;
  }
}

TEST_F(GlobalListingTest, TheAllocationBecomesTheParameters) {
  ASSERT_TRUE(Build({"global", "ab", "#"},
                    {List("AB", "A.P00#"), Allocation("AB", "Item=LogWrites,Host,No:01,SysLog" +
                                                                std::string(kOwn) + ",Note=x")}));
  EXPECT_EQ(listing.parameters, "Item=LogWrites,Host,No 01,SysLog");
  EXPECT_EQ(listing.label_kind, '3');
  EXPECT_EQ(listing.history_sensor, "SAP Tessarin.Gbl:AB/LogWrites");
}

TEST_F(GlobalListingTest, ItemProfileTakesOnlyItsOwnListLines) {
  struct Case {
    std::vector<std::string> lines;
    const char* list;
    const char* error;
  } cases[] = {
      {{"# Gsng: anything   :A.P00#", "# Gsng: other     ::B.P00#"}, "A.P00#B.P00#", ""},
      {{"# GSNG: AB        ::A.P00#", "# gsng: ab        ::B.P00#", "# Gsng:x          ::C.P00#",
        "# Gsng: short"},
       "",
       "Error 1025: Global Server Listing missing..."},
      {{"# Gsng: x         ::A.P00#", "# GSNX: AB        :Item=WaitBusy,Sid" + std::string(kOwn)},
       "A.P00#",
       ""},
  };
  for (const Case& c : cases) {
    bool ok = Build({"x", "Item=LogWrites"}, c.lines);
    EXPECT_EQ(Error(), c.error) << c.lines[0];
    if (!ok) continue;
    EXPECT_EQ(listing.system_list, c.list) << c.lines[0];
    EXPECT_EQ(listing.item_id, "LogWrites") << c.lines[0];
    EXPECT_EQ(listing.label_kind, '1') << c.lines[0];
    EXPECT_EQ(listing.history_sensor, "Tessarin.Prf/LogWrites") << c.lines[0];
    EXPECT_FALSE(listing.parameters) << c.lines[0];
  }
}

TEST_F(GlobalListingTest, MissingFilesNameTheProfile) {
  Build({"x", "item=WaitBusy"}, {});
  platform.files.clear();
  EXPECT_FALSE(Read());
  EXPECT_EQ(Error(), "Error 1024: ProFile Tessarin.Prf is missing...");

  Build({"global", "ab"}, {});
  platform.files.clear();
  EXPECT_FALSE(Read());
  EXPECT_EQ(Error(), "Error 10x1: ProFile SAP Tessarin.Gbl is missing...");
}

TEST_F(GlobalListingTest, SystemListIsBounded) {
  std::string names(kMaxSystemList - 6, 'a');
  EXPECT_TRUE(Build({"global", "ab"}, {List("AB", names), List("AB", "A.P00#"),
                                       Allocation("AB", "Item=LogWrites" + std::string(kOwn))}));
  EXPECT_EQ(listing.system_list.size(), kMaxSystemList);

  EXPECT_FALSE(Build({"global", "ab"}, {List("AB", names), List("AB", "AB.P00#"),
                                        Allocation("AB", "Item=LogWrites" + std::string(kOwn))}));
  EXPECT_EQ(Error(), "Error 1027: Global Server Listing too long...");

  EXPECT_FALSE(Build({"x", "Item=LogWrites"}, std::vector<std::string>(20, "# Gsng: " + names)));
  EXPECT_EQ(Error(), "Error 1027: Global Server Listing too long...");
}

TEST_F(GlobalListingTest, BinaryAndOverlongLinesAreHarmless) {
  std::string junk;
  for (int i = 0; i < 256; ++i) junk.push_back(static_cast<char>(i));
  std::string item = "Item=" + std::string(100, 'W');
  EXPECT_TRUE(Build({"global", "ab"}, {junk, std::string(100000, '#'), List("AB", "A.P00#"),
                                       Allocation("AB", item + std::string(kOwn)), junk}));
  EXPECT_EQ(listing.item_id, std::string(90, 'W'));
  EXPECT_EQ(listing.system_list, "A.P00#");
}

}  // namespace
}  // namespace quillmeter
