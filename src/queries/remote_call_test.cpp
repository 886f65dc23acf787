#include "queries/remote_call.h"

#include <gtest/gtest.h>

#include "queries/fake_rfc.h"

namespace quillmeter {
namespace {

TEST(RemoteCallTest, EachResultCodeHasItsMessage) {
  struct Case {
    RFC_RC code;
    const char* exception;
    const char* message;
  } cases[] = {
      {kRfcOk, "", ""},
      {kRfcFailure, "", "Error 1014: RFC-Failure raised !"},
      {kRfcException, "NO_DATA", "Error 1012: Exception.: NO_DATA"},
      {kRfcException, "", "Error 1012: Exception.: "},
      {kRfcSysException, "X", "Error 1013: Sys-Exception raised !"},
      {4, "", "Error 1015: Other Failure raised !"},
      {-1, "", "Error 1015: Other Failure raised !"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(QueryFailureMessage(c.code, c.exception), c.message) << c.code;
}

TEST(RemoteCallTest, FailureMessageIsAppendedRaw) {
  FakeRun fake;
  fake.run.result.Set("before|");
  AppendQueryFailure(fake.run, kRfcException, "A<B&C");
  EXPECT_EQ(fake.run.result.str(), "before|Error 1012: Exception.: A<B&C");
}

class ExceptionNameTest : public ::testing::Test {
 protected:
  RFC_RC Call(std::string* exception) {
    ParameterList exporting, importing;
    TableList tables;
    return CallRemoteFunction(fake_.run, "Z_ANY", exporting, importing, tables, exception);
  }
  FakeRun fake_;
};

TEST_F(ExceptionNameTest, UnterminatedNameIsCutAtItsRoom) {
  // Exactly the room plus some, without a terminator: reading further would
  // run off the end of the buffer.
  std::vector<char> name(kExceptionNameRoom + 10, 'X');
  TheFakeRfc().receive_result = kRfcException;
  TheFakeRfc().exception_name = name.data();
  std::string exception;
  EXPECT_EQ(Call(&exception), kRfcException);
  EXPECT_EQ(exception, std::string(kExceptionNameRoom, 'X'));
}

TEST_F(ExceptionNameTest, NullNameGivesEmptyText) {
  TheFakeRfc().receive_result = kRfcSysException;
  std::string exception = "stale";
  EXPECT_EQ(Call(&exception), kRfcSysException);
  EXPECT_EQ(exception, "");
}

TEST_F(ExceptionNameTest, OtherResultsLeaveTheBufferAlone) {
  for (RFC_RC code : {RFC_RC{kRfcOk}, RFC_RC{kRfcFailure}, RFC_RC{5}}) {
    TheFakeRfc().receive_result = code;
    TheFakeRfc().exception_name = "IGNORED";
    std::string exception = "untouched";
    EXPECT_EQ(Call(&exception), code);
    EXPECT_EQ(exception, "untouched") << code;
  }
}

}  // namespace
}  // namespace quillmeter
