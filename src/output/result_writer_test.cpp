#include "output/result_writer.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

// A run's whole output in one mode: a summary and three channels, the
// second with a unit.
std::string Render(OutputMode mode, std::optional<unsigned> channel = std::nullopt) {
  std::unique_ptr<ResultWriter> writer = MakeResultWriter(mode, channel);
  writer->OpenDocument();
  writer->Summary("sum");
  writer->Channel("A", "1", "");
  writer->Channel("B", "2", "TimeResponse");
  writer->Channel("C", "3", "");
  writer->CloseDocument();
  return writer->result().str();
}

TEST(ResultWriterTest, EachModeRendersARunInItsOwnForm) {
  const std::string document =
      "\n<Prtg>\n\n<Text>sum</Text>\n"
      "\n<Result><Channel>A</Channel>\n<Value>1</Value></Result>\n"
      "\n<Result><Channel>B</Channel>\n<Unit>Custom</Unit>\n<CustomUnit>TimeResponse"
      "</CustomUnit>\n<Value>2</Value></Result>\n"
      "\n<Result><Channel>C</Channel>\n<Value>3</Value></Result>\n"
      "\n</Prtg>\n";
  for (OutputMode mode : {OutputMode::kExeXml, OutputMode::kVorlind, OutputMode::kDrovimo})
    EXPECT_EQ(Render(mode), document) << OutputModeName(mode);
  EXPECT_EQ(Render(OutputMode::kQuintara),
            "\n# sum\n\nMessage.A: A (#)\nStatistic.A: 1\n\nMessage.B: B (mSec)\nStatistic.B: 2"
            "\n\nMessage.C: C (#)\nStatistic.C: 3\n");
  EXPECT_EQ(Render(OutputMode::kTalvren), "\n# sum\n> A: 1 #\n> B: 2 mSec\n> C: 3 #\n");
}

TEST(ResultWriterTest, TalvrenSelectionPrintsOnlyThatChannelsBareValue) {
  EXPECT_EQ(Render(OutputMode::kTalvren, 2u), "2\n");
  EXPECT_EQ(Render(OutputMode::kTalvren, 0u), "\n");
  EXPECT_EQ(Render(OutputMode::kTalvren, 4u), "\n");
  std::unique_ptr<ResultWriter> writer = MakeResultWriter(OutputMode::kTalvren, 123u);
  for (int i = 1; i <= 124; ++i) writer->Channel("N", std::to_string(i), "");
  EXPECT_EQ(writer->result().str(), "123");
}

TEST(ResultWriterTest, QuintaraShowsTenChannelsUnderSanitizedKeys) {
  std::unique_ptr<ResultWriter> writer = MakeResultWriter(OutputMode::kQuintara, std::nullopt);
  writer->Channel("Log Writes (a/b): x.y.z", "5", "PerCent");
  EXPECT_EQ(writer->result().str(),
            "\n\nMessage.Log_Writes__a_b___x_y.z: Log Writes (a/b): x.y.z (%)"
            "\nStatistic.Log_Writes__a_b___x_y.z: 5");
  for (int i = 2; i <= 10; ++i) writer->Channel("C", "1", "");
  std::string ten = writer->result().str();
  writer->Channel("Eleventh", "1", "");
  EXPECT_EQ(writer->result().str(), ten);
}

TEST(ResultWriterTest, DocumentModesEscapeConsoleModesDoNot) {
  std::unique_ptr<ResultWriter> xml = MakeResultWriter(OutputMode::kDrovimo, std::nullopt);
  xml->Channel("R&D <prod>", "1", "a&b");
  EXPECT_EQ(xml->result().str(),
            "\n<Result><Channel>R&amp;D &lt;prod&gt;</Channel>\n<Unit>Custom</Unit>\n"
            "<CustomUnit>a&amp;b</CustomUnit>\n<Value>1</Value></Result>\n");
  xml->ErrorDocument("Error 1002: Profile R&D<1>.P00 is missing...");
  EXPECT_EQ(xml->result().str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1002: Profile R&amp;D&lt;1&gt;.P00 is "
            "missing...</Text>\n</Prtg>\n");
  std::unique_ptr<ResultWriter> console = MakeResultWriter(OutputMode::kQuintara, std::nullopt);
  console->Summary("R&D");
  console->ErrorDocument("R&D");
  EXPECT_EQ(console->result().str(), "<Prtg>\n<Error>1</Error>\n<Text>R&D</Text>\n</Prtg>\n");
}

TEST(ResultWriterTest, LongTextsAreCutAndTheBufferNeverOverflows) {
  std::unique_ptr<ResultWriter> talvren = MakeResultWriter(OutputMode::kTalvren, std::nullopt);
  talvren->Channel(std::string(500, 'n'), std::string(500, 'v'), std::string(500, 'u'));
  EXPECT_EQ(talvren->result().str(), "\n> " + std::string(123, 'n') + ": " + std::string(111, 'v') +
                                         " " + std::string(123, 'u'));

  std::unique_ptr<ResultWriter> xml = MakeResultWriter(OutputMode::kExeXml, std::nullopt);
  xml->OpenDocument();
  for (int i = 0; i < 1000; ++i) xml->Summary("0123456789");
  EXPECT_EQ(xml->result().str().size(), ResultText::kCapacity);

  // PRTG shows 2000 characters of a text: a longer one is cut at its end,
  // never inside an entity, and says so.
  xml->ErrorDocument("Error 1002: x - " + std::string(10000, '&'));
  const std::string& doc = xml->result().str();
  const std::string head = "<Prtg>\n<Error>1</Error>\n<Text>", tail = "</Text>\n</Prtg>\n";
  ASSERT_TRUE(doc.starts_with(head + "Error 1002: x - &amp;")) << doc;
  ASSERT_TRUE(doc.ends_with("&amp;..." + tail)) << doc;
  const size_t text = doc.size() - head.size() - tail.size();
  EXPECT_LE(text, 2000u);
  EXPECT_GT(text, 1995u);
  xml->ErrorDocument(std::string(2000, 'x'));
  EXPECT_EQ(xml->result().str().find("..."), std::string::npos) << "2000 fit whole";
  xml->ErrorDocument(std::string(2001, 'x'));
  EXPECT_EQ(xml->result().str(),
            "<Prtg>\n<Error>1</Error>\n<Text>" + std::string(1997, 'x') + "...</Text>\n</Prtg>\n");
  xml->ErrorDocument("");
  EXPECT_EQ(xml->result().str(), "<Prtg>\n<Error>1</Error>\n<Text></Text>\n</Prtg>\n");
}

TEST(ResultWriterTest, AFailedDocumentEndsTheOneAlreadyStarted) {
  std::unique_ptr<ResultWriter> xml = MakeResultWriter(OutputMode::kExeXml, std::nullopt);
  xml->OpenDocument();
  xml->FailDocument("Error 1018: <x>");
  EXPECT_EQ(xml->result().str(), "<Error>1</Error>\n<Text>Error 1018: &lt;x&gt;</Text>\n</Prtg>\n");
  xml->FailDocument(std::string(10000, 'x'));
  EXPECT_EQ(xml->result().str().substr(xml->result().str().size() - 16), "</Text>\n</Prtg>\n");
  std::unique_ptr<ResultWriter> console = MakeResultWriter(OutputMode::kTalvren, std::nullopt);
  console->FailDocument("Error 1018: <x>");
  EXPECT_EQ(console->result().str(),
            "<Prtg>\n<Error>1</Error>\n<Text>Error 1018: <x></Text>\n</Prtg>\n");
}

}  // namespace
}  // namespace quillmeter
