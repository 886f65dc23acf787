#include "rfc/nw_failure.h"

#include <gtest/gtest.h>

namespace quillmeter {
namespace {

constexpr char kNotReached[] =
    "\nLOCATION    CPIC (TCP/IP) on local host pbox with Unicode\n"
    "ERROR       partner 'sapprd01:3300' not reached\n"
    "TIME        Tue Dec  8 22:00:00 2026\n"
    "RELEASE     753\n"
    "COMPONENT   NI (network interface)\n"
    "RC          -10\n"
    "DETAIL      NiPConnect2: 10.0.0.7:3300\n"
    "SYSTEM CALL connect\n"
    "ERRNO       111\n"
    "ERRNO TEXT  Connection refused\n"
    "COUNTER     1\n";

TEST(NwFailureCause, ANetworkBlockGivesItsErrorAndErrnoText) {
  EXPECT_EQ(NwFailureCause(kNotReached, "RFC_COMMUNICATION_FAILURE"),
            "partner 'sapprd01:3300' not reached (Connection refused)");
  // Windows' line ends, no ERRNO TEXT, tabs and trailing blanks.
  EXPECT_EQ(NwFailureCause("LOCATION\tCPIC\r\nERROR\thostname 'nohost' unknown   \r\nRC  -2\r\n", "K"),
            "hostname 'nohost' unknown");
}

TEST(NwFailureCause, AnyOtherMessageIsOneLineAndAnEmptyOneGivesTheKey) {
  EXPECT_EQ(NwFailureCause("Name or password is incorrect (repeat logon)", "RFC_LOGON_FAILURE"),
            "Name or password is incorrect (repeat logon)");
  EXPECT_EQ(NwFailureCause("ERROR in one line", "K"), "ERROR in one line");
  EXPECT_EQ(NwFailureCause(" \n ", "RFC_COMMUNICATION_FAILURE"), "RFC_COMMUNICATION_FAILURE");
  // A block whose ERROR line is empty, or ERRORS that is another key: the
  // whole message, never over several lines.
  EXPECT_EQ(NwFailureCause("ERROR\nRC  -2", "K"), "ERROR RC -2");
  EXPECT_EQ(NwFailureCause("ERRORS  3\nRC  -2", "K"), "ERRORS 3 RC -2");
  EXPECT_EQ(NwFailureCause("\nERROR  \nRC  -2\n", "K"), "ERROR RC -2");
}

TEST(NwLogonRefusal, CodeGroupOrAKnownTextRefuse) {
  EXPECT_TRUE(IsNwLogonRefusal({nw::kLogonFailure, 3, "RFC_LOGON_FAILURE", "Name or password"}));
  EXPECT_TRUE(IsNwLogonRefusal({nw::kAbapRuntimeFailure, nw::kGroupLogonFailure, "X", ""}));
  EXPECT_TRUE(IsNwLogonRefusal({nw::kCommunicationFailure, 4, "",
                                "Password logon no longer possible - too many failed attempts"}));
  EXPECT_FALSE(IsNwLogonRefusal({nw::kCommunicationFailure, 4, "RFC_COMMUNICATION_FAILURE",
                                 kNotReached}));
  EXPECT_FALSE(IsNwLogonRefusal({nw::kInvalidParameter, 5, "RFC_INVALID_PARAMETER",
                                 "Parameter ASHOST, GWHOST, MSHOST or PORT is missing."}));
}

TEST(NwCallFailure, KeepsTheClassicNumbersAndNamesModuleKeyAndMessage) {
  struct Case {
    int code;
    bool lookup;
    const char* message;
  } cases[] = {
      {nw::kAbapException, false, "Error 1012: Exception.: NOT_FOUND"},
      {nw::kAbapException, true, "Error 1015: Other Failure raised !"},
      {nw::kAbapRuntimeFailure, false, "Error 1013: Sys-Exception raised !"},
      {nw::kAbapMessage, false, "Error 1013: Sys-Exception raised !"},
      {nw::kCommunicationFailure, true, "Error 1014: RFC-Failure raised !"},
      {nw::kInvalidParameter, false, "Error 1015: Other Failure raised !"},
      {-1, false, "Error 1015: Other Failure raised !"},
  };
  for (const Case& c : cases) {
    Status status = NwCallFailure("ADA_ST04", {c.code, 1, "NOT_FOUND", "no such\nthing"}, c.lookup);
    EXPECT_EQ(status.message(), c.message) << c.code;
    EXPECT_EQ(status.cause(), "ADA_ST04, NOT_FOUND: no such thing");
  }
  EXPECT_EQ(NwCallFailure("GET_CPU_ALL", {nw::kCommunicationFailure, 4, "", kNotReached}, false)
                .cause(),
            "GET_CPU_ALL: partner 'sapprd01:3300' not reached (Connection refused)");
}

}  // namespace
}  // namespace quillmeter
