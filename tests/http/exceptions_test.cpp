// The fixed messages of the client's errors.
#include "http/exceptions.h"

#include <gtest/gtest.h>

TEST(Exceptions, MessagesAreTheFixedTexts) {
  struct Case {
    std::string got;
    const char* want;
  };
  const Case cases[] = {
      {EIdConnClosedGracefully().what(), "Connection Closed Gracefully."},
      {EIdReadTimeout().what(), "Read Timeout"},
      {EIdReadLnMaxLineLengthExceeded().what(), "Max line length exceeded."},
      {EIdInvalidSocket().what(), "Cannot allocate socket."},
      {EIdCouldNotBindSocket().what(),
       "Could not bind socket. Address and port are already in use."},
      {EIdConnectTimeout().what(), "Connect timed out."},
      {EIdNotConnected().what(), "Not Connected"},
      {EIdUnknownProtocol().what(), ""},
      {EIdIOHandlerPropInvalid().what(), "IOHandler value is not valid"},
      {EIdSocketError(10061).what(), "Socket Error # 10061\r\nConnection refused."},
      {EIdSocketError(10035).what(), "Socket Error # 10035\r\nOperation would block. "},
      {EIdSocketError(10066).what(), "Socket Error # 10066\r\nDirectory not empty"},
      {EIdSocketError(11001).what(), "Socket Error # 11001\r\nHost not found."},
      {EIdSocketError(12345).what(), "Socket Error # 12345\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);

  EIdHTTPProtocolException error(500, "HTTP/1.1 500 Internal Server Error", "body");
  EXPECT_STREQ(error.what(), "HTTP/1.1 500 Internal Server Error");
  EXPECT_EQ(error.ErrorCode(), 500);
  EXPECT_EQ(error.ErrorMessage(), "body");
  const EIdException& base = error;  // every client error is an EIdException
  EXPECT_STREQ(base.what(), error.what());
}
