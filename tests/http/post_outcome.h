// What one HttpPost gave: the body, or the error's class, message and the
// status code and body an error response carried. For the session tests.
#pragma once

#include <functional>
#include <string>

#include "http/exceptions.h"
#include "platform/convert_error.h"

struct TPostOutcome {
  std::string Body;
  std::string Error;  // the class name, "" when the post succeeded
  std::string Message;
  int Code = 0;
  std::string ErrorBody = "";
};

inline TPostOutcome Outcome(const std::function<std::string()>& post) {
  TPostOutcome out;
  try {
    out.Body = post();
  } catch (const EIdHTTPProtocolException& e) {
    out = {"", "EIdHTTPProtocolException", e.what(), e.ErrorCode(), e.ErrorMessage()};
  } catch (const EIdConnClosedGracefully& e) {
    out = {"", "EIdConnClosedGracefully", e.what()};
  } catch (const EIdReadTimeout& e) {
    out = {"", "EIdReadTimeout", e.what()};
  } catch (const EIdReadLnMaxLineLengthExceeded& e) {
    out = {"", "EIdReadLnMaxLineLengthExceeded", e.what()};
  } catch (const EIdSocketError& e) {
    out = {"", "EIdSocketError", e.what(), e.LastError()};
  } catch (const EIdUnknownProtocol& e) {
    out = {"", "EIdUnknownProtocol", e.what()};
  } catch (const EIdIOHandlerPropInvalid& e) {
    out = {"", "EIdIOHandlerPropInvalid", e.what()};
  } catch (const EIdConnectTimeout& e) {
    out = {"", "EIdConnectTimeout", e.what()};
  } catch (const EIdException& e) {
    out = {"", "EIdException", e.what()};
  } catch (const EConvertError& e) {
    out = {"", "EConvertError", e.what()};
  }
  return out;
}
