#include "output/document.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/fake_platform.h"

namespace quillmeter {
namespace {

class DocumentTest : public ::testing::Test {
 protected:
  FakePlatform platform;
  std::ostringstream out;
  RunState run{platform, out};

  // A normal run's document with one summary text and no channels.
  std::string Document(OutputMode mode, const std::string& parameters = "") {
    run.output_mode = mode;
    run.options = ParseOptions(parameters);
    OpenDocument(run);
    OpenText(run);
    AppendElementText(run, "summary");
    CloseText(run);
    CloseDocument(run);
    return run.result.str();
  }
};

TEST_F(DocumentTest, EachModeFramesTheSummaryInItsOwnWay) {
  EXPECT_EQ(Document(OutputMode::kExeXml), "\n<Prtg>\n\n<Text>summary</Text>\n\n</Prtg>\n");
  EXPECT_EQ(Document(OutputMode::kVorlind), "\n<Prtg>\n\n<Text>summary</Text>\n\n</Prtg>\n");
  EXPECT_EQ(Document(OutputMode::kDrovimo), "\n<Prtg>\n\n<Text>summary</Text>\n\n</Prtg>\n");
  EXPECT_EQ(Document(OutputMode::kQuintara), "\n# summary\n");
  EXPECT_EQ(Document(OutputMode::kTalvren), "\n# summary\n");
}

TEST_F(DocumentTest, TalvrenChannelSelectionDiscardsTheSummary) {
  EXPECT_EQ(Document(OutputMode::kTalvren, "CH=2"), "\n");
  EXPECT_EQ(Document(OutputMode::kTalvren, "X CH=12"), "\n");
}

TEST_F(DocumentTest, ErrorResultReplacesWhateverWasAssembled) {
  Document(OutputMode::kExeXml);
  SetErrorResult(run, "Error 1001: Parameter for Profile-Name is missing !");
  EXPECT_EQ(run.result.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1001: Parameter for Profile-Name is missing "
            "!</Text>\n</Prtg>\n");
  SetErrorResult(run, "");
  EXPECT_EQ(run.result.str(), "<Prtg>\n<Error>1</Error>\n<Text></Text>\n</Prtg>\n");
}

TEST_F(DocumentTest, DocumentModesEscapeElementTextConsoleModesDoNot) {
  run.output_mode = OutputMode::kExeXml;
  SetErrorResult(run, "Error 1002: Profile R&D<1>.P00 is missing...");
  EXPECT_EQ(run.result.str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1002: Profile R&amp;D&lt;1&gt;.P00 is "
            "missing...</Text>\n</Prtg>\n");
  run.output_mode = OutputMode::kQuintara;
  OpenDocument(run);
  AppendElementText(run, "R&D");
  EXPECT_EQ(run.result.str(), "R&D");
}

TEST_F(DocumentTest, OverlongErrorMessageStillEndsTheDocument) {
  std::string message(10000, '&');
  SetErrorResult(run, message);
  const std::string& doc = run.result.str();
  EXPECT_LE(doc.size(), ResultText::kCapacity);
  EXPECT_EQ(doc.substr(doc.size() - 16), "</Text>\n</Prtg>\n");
  EXPECT_EQ(doc.find("&amp;&</Text>"), std::string::npos) << "entity cut in half";
}

TEST_F(DocumentTest, ResultTextNeverGrowsPastItsCapacity) {
  run.output_mode = OutputMode::kExeXml;
  OpenDocument(run);
  for (int i = 0; i < 1000; ++i) AppendElementText(run, "0123456789");
  EXPECT_EQ(run.result.str().size(), ResultText::kCapacity);
}

}  // namespace
}  // namespace quillmeter
