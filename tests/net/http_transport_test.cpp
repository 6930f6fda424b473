// The wire under the HTTP client, whichever the system's transport is:
// limits that hold for every exchange.
#include "net/http_transport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/http_test_server.h"

namespace kestrune {
namespace {

using test::HttpTestServer;

class CollectingEvents : public HttpExchangeEvents {
 public:
  bool ShouldStop() override { return false; }
  void OnConnected() override {}
  void OnRequestHeaders(std::string_view) override {}
  void OnResponseHead(const HttpResponseHead& head) override { status = head.status; }
  bool OnBodyData(std::string_view bytes) override {
    body.append(bytes);
    return true;
  }
  int status = 0;
  std::string body;
};

HttpExchangeRequest Get(const HttpTestServer& server, const std::string& target) {
  HttpExchangeRequest request;
  request.host = "127.0.0.1";
  request.port = static_cast<uint16_t>(server.port());
  request.target = target;
  request.verb = "GET";
  return request;
}

// A server that sends one byte now and then is never idle for long; the
// exchange's own deadline still ends it.
TEST(HttpTransportTest, DripFeedingServerMeetsTheExchangeDeadline) {
  HttpTestServer server;
  ASSERT_TRUE(server.ok());
  HttpExchangeRequest request = Get(server, "/d?drip=40&every=100");
  request.receiveTimeoutMs = 1000;
  request.totalTimeoutMs = 1500;
  CollectingEvents events;
  auto start = std::chrono::steady_clock::now();
  HttpExchangeResult result = PerformHttpExchange(request, events);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("longer than 1.5 s"), std::string::npos) << result.error;
  EXPECT_EQ(events.status, 200);
  EXPECT_LT(events.body.size(), 40u);
  EXPECT_LT(seconds, 3.5);

  // The same drip within the deadline completes.
  request.target = "/d?drip=5&every=100";
  CollectingEvents quick;
  result = PerformHttpExchange(request, quick);
  EXPECT_TRUE(result.ok) << result.error;
  EXPECT_EQ(quick.body, "xxxxx");
}

}  // namespace
}  // namespace kestrune
